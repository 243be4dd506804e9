#pragma once
// The status bar the window host draws over every window: carrier, clock and battery in the
// application's status-bar style, with the network activity mark while it is on, and nothing
// while the bar is hidden. Its layer sits above the windows on the screen's layer.

#include "platform/foundation/NSTimer.h"
#include "platform/layers/CATextLayer.h"

class StatusBarOverlay : public NSObject {
    NS_OBJECT(StatusBarOverlay, NSObject)
public:
    ~StatusBarOverlay() override;
    // Reads the application's status-bar state again.
    void update();
    const CALayerRef& layer() const { return m_layer; }

protected:
    void init();

private:
    CALayerRef m_layer;
    std::shared_ptr<CATextLayer> m_carrier;
    std::shared_ptr<CATextLayer> m_clock;
    std::shared_ptr<CATextLayer> m_battery;
    std::shared_ptr<NSTimer> m_minuteTimer;
};
