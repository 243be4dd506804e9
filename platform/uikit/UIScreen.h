#pragma once
// The device's one screen: 320 by 568 points at two pixels a point. Its layer is the root of
// what the display shows: the layers of the visible windows, lowest level first.

#include "platform/layers/CALayer.h"

class UIScreen : public NSObject {
    NS_OBJECT(UIScreen, NSObject)
public:
    static const std::shared_ptr<UIScreen>& mainScreen();

    CGRect bounds() const { return { { 0, 0 }, { 320, 568 } }; }
    CGRect nativeBounds() const { return { { 0, 0 }, { 640, 1136 } }; }
    CGFloat scale() const { return 2; }
    // The screen less the status bar while it shows.
    CGRect applicationFrame() const;

    // Main thread only; the screen itself (its size and scale) may be asked from any thread.
    const CALayerRef& layer() const;

protected:
    void init();

private:
    mutable CALayerRef m_layer;
};
