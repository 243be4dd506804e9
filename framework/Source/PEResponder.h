#pragma once
// What takes part in the engine's touch handling. Points are in the graph's coordinates; an
// answer of true consumes the event.

#include "platform/uikit/UIEvent.h"
#include "platform/graphics/CGGeometry.h"

class PEResponder {
public:
    virtual ~PEResponder() = default;
    virtual bool pointingDeviceDownEvent(const UIEventRef& event, CGPoint interactionPoint) = 0;
    virtual bool pointingDeviceUpEvent(const UIEventRef& event, CGPoint interactionPoint) = 0;
    virtual bool pointingDeviceDraggedEvent(const UIEventRef& event, CGPoint interactionPoint) = 0;
    virtual bool pointingDeviceCancelledEvent(const UIEventRef& event) = 0;
};
