#pragma once
// A label whose text stands at the top, in the middle (the default) or at the bottom of its bounds.

#include "platform/uikit/UILabel.h"

enum VerticalAlignment : NSInteger {
    VerticalAlignmentTop = 0,
    VerticalAlignmentMiddle = 1,
    VerticalAlignmentBottom = 2,
};

class VerticalAlignmentLabel : public UILabel {
    NS_OBJECT(VerticalAlignmentLabel, UILabel)
public:
    VerticalAlignment verticalAlignment() const { return m_verticalAlignment; }
    void setVerticalAlignment(VerticalAlignment alignment);
    CGRect textRectForBounds(CGRect bounds, NSInteger numberOfLines) const override;
    void drawTextInRect(CGRect rect) override;

private:
    VerticalAlignment m_verticalAlignment { VerticalAlignmentMiddle };
};
