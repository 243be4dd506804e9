#pragma once
// What both hosts share: the picture of the screen (the compositor over the screen's layer),
// the run loop's turns between frames, and the turning of input into touches.

#include "platform/layers/LayerCompositor.h"
#include "platform/uikit/UIApplication.h"

class ScreenDriver : public NSObject {
    NS_OBJECT(ScreenDriver, NSObject)
public:
    static constexpr NSTimeInterval frameInterval = 1.0 / 60;

    const std::shared_ptr<LayerCompositor>& compositor() const { return m_compositor; }
    // Commits pending layer changes; true when the screen shows something new since the last frame.
    bool needsFrame() const;
    // Draws a frame if one is needed; true when it did.
    bool renderFrameIfNeeded();
    void renderFrame();

    // A screen point in straight RGBA, from the last frame.
    std::array<uint8_t, 4> pixelAt(CGPoint point) const;
    bool writePNG(const NSString& path);
    // The view alone, drawn again at the screen's scale, origin at its bounds' top left.
    static bool writePNG(const std::shared_ptr<UIView>& view, const NSString& path);
    // The window's views as indented lines: class, frame, text and hidden.
    static NSString viewTree(const std::shared_ptr<UIView>& root);

    // Where the view's centre is on the screen; nothing when it is in no window.
    static std::optional<CGPoint> screenPointOfView(const std::shared_ptr<UIView>& view);

protected:
    void init();

private:
    std::shared_ptr<LayerCompositor> m_compositor;
};
