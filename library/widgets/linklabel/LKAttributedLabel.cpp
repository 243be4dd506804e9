#include "library/widgets/linklabel/LKAttributedLabel.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/UIFont.h"

#include <cmath>

void LKAttributedLabel::setText(const NSString& text)
{
    if (text.isNil())
        return setText(std::shared_ptr<NSAttributedString>());
    setText(NSAttributedString::create(text));
}

void LKAttributedLabel::setText(const std::shared_ptr<NSAttributedString>& text)
{
    if (text && m_attributedText && text->isEqualToAttributedString(m_attributedText))
        return;
    m_attributedText = text ? std::static_pointer_cast<NSAttributedString>(text->copy()) : nullptr;
    UILabel::setText(text ? text->string() : NSString());
    setNeedsDisplay();
}

std::shared_ptr<NSAttributedString> LKAttributedLabel::renderedAttributedText() const
{
    if (!m_attributedText)
        return nullptr;
    auto rendered = m_attributedText->mutableCopyAttributedString();
    const NSRange all { 0, rendered->length() };
    auto fill = [&](const NSString& key, const id& value) {
        if (!value)
            return;
        m_attributedText->enumerateAttribute(key, all, 0, [&](const id& present, NSRange range, bool&) {
            if (!present)
                rendered->addAttribute(key, value, range);
        });
    };
    fill(kCTFontAttributeName, font());
    {
        // Either colour key counts as the range's own colour.
        auto colour = textColor() ? textColor() : UIColor::blackColor();
        m_attributedText->enumerateAttribute(NSForegroundColorAttributeName, all, 0, [&](const id& present, NSRange range, bool&) {
            if (present)
                return;
            m_attributedText->enumerateAttribute(kCTForegroundColorAttributeName, range, 0, [&](const id& own, NSRange inner, bool&) {
                if (!own)
                    rendered->addAttribute(NSForegroundColorAttributeName, colour, inner);
            });
        });
    }
    return rendered;
}

CGSize LKAttributedLabel::sizeThatFits(CGSize size) const
{
    auto rendered = renderedAttributedText();
    if (!rendered || rendered->length() == 0)
        return UILabel::sizeThatFits(size);
    auto framesetter = CTFramesetterCreateWithAttributedString(rendered);
    const CGFloat width = numberOfLines() == 1 ? 100000 : size.width;
    const CGSize suggested = CTFramesetterSuggestFrameSizeWithConstraints(framesetter, CFRange { 0, 0 }, nullptr, CGSizeMake(width, 100000), nullptr);
    return CGSizeMake(std::ceil(suggested.width) + m_textInsets.left + m_textInsets.right, std::ceil(suggested.height) + m_textInsets.top + m_textInsets.bottom);
}

void LKAttributedLabel::drawTextInRect(CGRect rect)
{
    m_drawnLines.clear();
    const CGRect inset = UIEdgeInsetsInsetRect(rect, m_textInsets);
    auto rendered = renderedAttributedText();
    auto context = UIGraphicsGetCurrentContext();
    if (!rendered || !context)
        return;
    auto framesetter = CTFramesetterCreateWithAttributedString(rendered);
    // Laid out unbounded in height, then cut to the lines that fit the rectangle.
    auto path = CGPathCreateWithRect(CGRectMake(0, 0, inset.size.width, 100000), nullptr);
    auto frame = CTFramesetterCreateFrame(framesetter, CFRange { 0, 0 }, path, nullptr);
    if (!frame)
        return;
    const auto& lines = frame->lines();
    const auto& origins = frame->lineOrigins();
    std::size_t count = lines.size();
    if (numberOfLines() > 0)
        count = std::min<std::size_t>(count, static_cast<std::size_t>(numberOfLines()));
    CGFloat used = 0;
    std::size_t fitting = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const CGFloat bottom = 100000 - origins[i].y + lines[i]->descent();
        if (bottom > inset.size.height && fitting > 0)
            break;
        used = bottom;
        fitting = i + 1;
    }
    const CGFloat top = origins.empty() ? 0 : 100000 - origins[0].y - lines[0]->ascent();
    const CGFloat shift = std::floor(std::max<CGFloat>(0, inset.size.height - (used - top)) / 2) - top;
    CGContextSaveGState(context);
    CGContextSetTextMatrix(context, CGAffineTransformIdentity);
    CGContextTranslateCTM(context, inset.origin.x, inset.origin.y + inset.size.height);
    CGContextScaleCTM(context, 1, -1);
    const CFIndex end = static_cast<CFIndex>(rendered->length());
    for (std::size_t i = 0; i < fitting; ++i) {
        CTLineRef line = lines[i];
        const CFRange range = line->stringRange();
        const bool last = i + 1 == fitting;
        if (last && range.location + range.length < end) {
            // The token takes the attributes at the cut; the rest of the text is laid on one line.
            const NSRange rest { static_cast<NSUInteger>(range.location), static_cast<NSUInteger>(end - range.location) };
            auto text = rendered->attributedSubstringFromRange(rest)->mutableCopyAttributedString();
            const NSString token = m_truncationTokenString.isNil() ? NSString("…") : m_truncationTokenString;
            auto tokenLine = CTLineCreateWithAttributedString(NSAttributedString::create(token,
                rendered->attributesAtIndex(static_cast<NSUInteger>(std::max<CFIndex>(0, range.location + range.length - 1)))));
            auto whole = CTLineCreateWithAttributedString(text);
            auto cut = CTLineCreateTruncatedLine(whole, inset.size.width, kCTLineTruncationEnd, tokenLine);
            line = cut ? cut : tokenLine;
        }
        const CGFloat y = inset.size.height - (100000 - origins[i].y + shift);
        CGContextSetTextPosition(context, origins[i].x, y);
        CTLineDraw(line, context);
        if (auto text = line->attributedText())
            m_drawnLines.push_back(text->string());
    }
    CGContextRestoreGState(context);
}
