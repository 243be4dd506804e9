#include "library/widgets/keyboard/KMSegmentedNextPrevious.h"

#include "library/widgets/keyboard/KMToolbar.h"

void KMSegmentedNextPrevious::init(Action previousAction, Action nextAction)
{
    UISegmentedControl::init(std::vector<Item> { KMLocalizedString("Previous"), KMLocalizedString("Next") });
    setMomentary(true);
    setTintColor(UIColor::blackColor());
    m_previousAction = std::move(previousAction);
    m_nextAction = std::move(nextAction);
    addTarget(nullptr, UIControl::Action([this](UIControl& sender, const UIEventRef&) {
        segmentedControlHandler(static_cast<UISegmentedControl&>(sender));
    }), UIControlEventValueChanged);
}
void KMSegmentedNextPrevious::segmentedControlHandler(UISegmentedControl& sender)
{
    const NSInteger segment = sender.selectedSegmentIndex();
    if (segment == 0 && m_previousAction)
        m_previousAction(sender);
    else if (segment == 1 && m_nextAction)
        m_nextAction(sender);
}
