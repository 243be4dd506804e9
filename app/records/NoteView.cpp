#include "app/records/NoteView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIFont.h"

void NoteView::init(CGRect frame)
{
    UITextView::init(frame);
    setBackgroundColor(UIColor::whiteColor());
    setFont(UIFont::fontWithName("TimesNewRomanPS-BoldMT", 12));
    setDelegate(std::static_pointer_cast<UITextViewDelegate>(self()));
}

CGFloat NoteView::linePitch() const { return font() ? font()->leading() : 0; }

std::vector<CGFloat> NoteView::ruleOffsets() const
{
    std::vector<CGFloat> offsets;
    const CGFloat pitch = linePitch();
    if (pitch <= 0)
        return offsets;
    // The text view lays every line at its font's leading, so the rules can run on at one pitch
    // to the end of what can be scrolled to.
    const auto count = static_cast<unsigned long>((contentSize().height + bounds().size.height) / pitch);
    for (unsigned long i = 1; i < count; ++i)
        offsets.push_back(static_cast<CGFloat>(i) * pitch + 0.5 + 6.0);
    return offsets;
}

void NoteView::drawRect(CGRect)
{
    // The text view draws its text in a view of its own; the base class's drawRect would only mark
    // this picture as empty, and the rules would be thrown away.
    auto context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSetStrokeColorWithColor(context, UIColor_Addition::colorWithHexString("e66444")->CGColor());
    CGContextSetLineWidth(context, 0.6);
    const CGRect area = bounds();
    for (const CGFloat y : ruleOffsets()) {
        CGContextMoveToPoint(context, area.origin.x, y);
        CGContextAddLineToPoint(context, area.size.width, y);
    }
    CGContextStrokePath(context);
}

void NoteView::scrollViewDidScroll(UIScrollView&)
{
    setNeedsDisplay();
}
