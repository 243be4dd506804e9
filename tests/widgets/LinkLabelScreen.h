#pragma once
// Link labels of one line at 14 points on the widget screen, drawn when asked.

#include "library/widgets/linklabel/LKAttributedLabel.h"
#include "platform/text/UIFont.h"
#include "tests/widgets/WidgetScreen.h"

class LinkLabelScreen : public WidgetScreenTest {
protected:
    std::shared_ptr<LKAttributedLabel> label(CGRect frame, const char* text)
    {
        auto made = LKAttributedLabel::create(frame);
        made->setFont(UIFont::systemFontOfSize(14));
        made->setNumberOfLines(1);
        made->setText(NSString(text));
        screen()->addSubview(made);
        return made;
    }
    void draw()
    {
        host->runUntilIdle();
        host->advance(0.1);
    }
};
