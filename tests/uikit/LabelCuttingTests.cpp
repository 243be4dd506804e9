// A one-line label too narrow for its Chinese text cuts it between characters, never through
// one, with an ellipsis where its line-break mode asks for one.
#include "WidgetTestSupport.h"

#include "platform/uikit/UILabel.h"

#include <gtest/gtest.h>

namespace {

const NSString kTitle = "科目二 第15课 道路交通安全法律法规";

bool isInk(RGBA pixel) { return std::min({ pixel >> 24, (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF }) < 0x80; }

int lastInkColumn(const CGImageRef& image)
{
    for (int x = int(image->width()) - 1; x >= 0; --x)
        for (int y = 0; y < int(image->height()); ++y)
            if (isInk(pixelOf(image, x, y)))
                return x;
    return -1;
}

CGImageRef picture(const UILabelRef& label)
{
    return drawnPicture(label->bounds().size, [&] {
        CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 1, 1, 1, 1);
        CGContextFillRect(UIGraphicsGetCurrentContext(), label->bounds());
        label->drawRect(label->bounds());
    });
}

} // namespace

TEST(LabelCutting, aTooLongTitleEndsInsideTheLabelInEveryMode)
{
    for (NSLineBreakMode mode : { NSLineBreakByWordWrapping, NSLineBreakByCharWrapping, NSLineBreakByClipping,
             NSLineBreakByTruncatingHead, NSLineBreakByTruncatingTail, NSLineBreakByTruncatingMiddle }) {
        auto label = UILabel::create(CGRectMake(0, 0, 231, 21));
        label->setFont(UIFont::systemFontOfSize(15));
        label->setText(kTitle);
        label->setLineBreakMode(mode);
        const CGImageRef drawn = picture(label);
        EXPECT_LT(lastInkColumn(drawn), 229) << "mode " << mode;
    }
}
