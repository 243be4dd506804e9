#include "app/records/NoteView.h"

#include "app/screens/base/UIColor_Addition.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/UIFont.h"
#include "platform/text/UIStringDrawing.h"

void NoteView::init(CGRect frame)
{
    UITextView::init(frame);
    setBackgroundColor(UIColor::whiteColor());
    setFont(UIFont::fontWithName("TimesNewRomanPS-BoldMT", 12));
    setDelegate(std::static_pointer_cast<UITextViewDelegate>(self()));
}

CGFloat NoteView::linePitch() const
{
    // The pad's font has no Chinese: the lines a letter is written in are drawn in a fallback
    // font, taller than the pad's own line.
    if (!font())
        return 0;
    return UIStringDrawing::sizeWithFont("国\n国", font()).height - UIStringDrawing::sizeWithFont("国", font()).height;
}

std::vector<CGFloat> NoteView::lineTops() const
{
    std::vector<CGFloat> tops;
    const NSString written = text();
    // The caret after a closing line break stands a line of the pad's font lower, not a line of
    // the text: the lines end with the last character.
    const NSUInteger last = written.isNil() || written.length() == 0 ? 0 : written.length() - 1;
    for (NSUInteger index = 0; index <= last; ++index) {
        const CGFloat top = caretRectForIndex(index).origin.y;
        if (tops.empty() || top > tops.back() + 0.5)
            tops.push_back(top);
    }
    return tops;
}

std::vector<CGFloat> NoteView::ruleOffsets() const
{
    std::vector<CGFloat> offsets;
    const CGFloat pitch = linePitch();
    if (pitch <= 0)
        return offsets;
    // A rule under each line as it is laid out (lines of Chinese and of Latin differ in height),
    // then on at the pitch of Chinese lines down to the end of what can be scrolled to.
    const std::vector<CGFloat> tops = lineTops();
    const CGFloat start = tops.front();
    for (std::size_t line = 1; line < tops.size(); ++line)
        offsets.push_back(tops[line] - start + 6.5);
    const CGFloat end = contentSize().height + bounds().size.height;
    for (CGFloat y = tops.back() - start + pitch + 6.5; y + pitch - 6.5 <= end; y += pitch)
        offsets.push_back(y);
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
