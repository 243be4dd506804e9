#pragma once
// The link label on its own: links found in its text in the background, taps and long presses
// reported below, and its decorations, shadows, vertical alignment and paragraph settings.

#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/uikit/UIViewController.h"

class LinkLabelDemoViewController : public UIViewController, public LKAttributedLabelDelegate {
    NS_OBJECT(LinkLabelDemoViewController, UIViewController)
public:
    void loadView() override;

    bool attributedLabelDidSelectLinkWithTextCheckingResult(LKAttributedLabel&, const std::shared_ptr<NSTextCheckingResult>& result) override;
    bool attributedLabelDidLongPressLinkWithTextCheckingResult(LKAttributedLabel&, const std::shared_ptr<NSTextCheckingResult>& result,
        CGPoint point) override;

    const std::shared_ptr<LKAttributedLabel>& linkedLabel() const { return m_linkedLabel; }
    const std::shared_ptr<UILabel>& resultLabel() const { return m_resultLabel; }

private:
    std::shared_ptr<LKAttributedLabel> m_linkedLabel;
    std::shared_ptr<UILabel> m_resultLabel;
};
