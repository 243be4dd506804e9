#pragma once
// One card of exams: a title bar with an accent strip, then per exam a state badge, the subject,
// in the schedule the learner's sequence number, and the time. Kind 0 is the schedule (exams
// ahead), kind 1 the history (exams sat, passed or failed).

#include "platform/foundation/NSArray.h"
#include "platform/uikit/UIView.h"

class KaoInfoItemView : public UIView {
    NS_OBJECT(KaoInfoItemView, UIView)
public:
    static constexpr CGFloat kTitleHeight = 40.5;
    static constexpr CGFloat kRowHeight = 62;

    double getHeight() const { return m_height; }

protected:
    void init(CGRect frame, const std::shared_ptr<NSArray>& data, const NSString& title, NSInteger sts);

private:
    void initViews(const std::shared_ptr<NSArray>& data, const NSString& title, NSInteger sts);

    double m_height { 0 };
};
