#pragma once

#include "platform/uikit/UISegmentedControl.h"

#include <functional>

// Previous and Next as two segments, for systems whose bars show no arrows.
class KMSegmentedNextPrevious : public UISegmentedControl {
    NS_OBJECT(KMSegmentedNextPrevious, UISegmentedControl)
public:
    using Action = std::function<void(UIControl& sender)>;
    void segmentedControlHandler(UISegmentedControl& sender);

protected:
    void init(Action previousAction, Action nextAction);

private:
    Action m_previousAction;
    Action m_nextAction;
};
