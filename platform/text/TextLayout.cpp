#include "platform/text/TextLayout.h"

#include "platform/text/pango/TextParagraph.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr CGFloat unconstrainedLimit = 1e15;

bool isParagraphSeparator(unichar character)
{
    return character == '\n' || character == '\r' || character == 0x2029;
}

CGFloat flushOf(NSTextAlignment alignment)
{
    switch (alignment) {
    case NSTextAlignmentCenter:
        return 0.5;
    case NSTextAlignmentRight:
        return 1;
    default:
        return 0;
    }
}

CTLineTruncationType truncationOf(NSLineBreakMode mode)
{
    switch (mode) {
    case NSLineBreakByTruncatingHead:
        return kCTLineTruncationStart;
    case NSLineBreakByTruncatingMiddle:
        return kCTLineTruncationMiddle;
    default:
        return kCTLineTruncationEnd;
    }
}

bool truncates(NSLineBreakMode mode)
{
    return mode == NSLineBreakByTruncatingHead || mode == NSLineBreakByTruncatingTail || mode == NSLineBreakByTruncatingMiddle;
}

} // namespace

CTLineRef TextLayout::ellipsisToken(const NSAttributes& attributes)
{
    return CTLineCreateWithAttributedString(NSAttributedString::create(NSString(u"\u2026"), attributes));
}

TextLayout::TextLayout(const std::shared_ptr<NSAttributedString>& text, NSRange range, const Options& options)
{
    const CGFloat width = options.size.width;
    CGFloat height = options.size.height;
    const bool constrained = width < unconstrainedLimit;
    const std::u16string_view units = text->string().view();
    m_visibleRange = NSMakeRange(range.location, 0);

    CGFloat top = 0;
    CGFloat usedWidth = 0;
    CGFloat usedHeight = 0;
    bool full = false;
    // Past the most lines allowed, lines end at the bottom of the last of them.
    bool limitedByLines = false;
    CGFloat lowestBottom = -CGFLOAT_MAX;
    NSUInteger textEnd = range.location;
    struct LastLine {
        NSUInteger paragraphEnd { 0 };
        std::shared_ptr<NSParagraphStyle> style;
        NSLineBreakMode mode { NSLineBreakByWordWrapping };
        CGFloat available { 0 };
        CGFloat indent { 0 };
        NSTextAlignment alignment { NSTextAlignmentNatural };
    } last;

    for (NSUInteger start = range.location; start < range.end();) {
        NSUInteger end = start;
        while (end < range.end() && !isParagraphSeparator(units[end]))
            ++end;
        NSUInteger next = end;
        if (next < range.end())
            next += (units[next] == '\r' && next + 1 < range.end() && units[next + 1] == '\n') ? 2 : 1;

        const NSAttributes attributes = start < text->length() ? text->attributesAtIndex(start) : (text->length() ? text->attributesAtIndex(text->length() - 1) : nullptr);
        const auto style = TextParagraph::paragraphStyleOfAttributes(attributes);
        const NSLineBreakMode mode = options.lineBreakMode.value_or(style->lineBreakMode());
        const NSTextAlignment alignment = options.alignment.value_or(style->alignment());
        const bool singleLine = !options.wrapInEveryMode && (truncates(mode) || mode == NSLineBreakByClipping);

        TextParagraph::Wrapping wrapping;
        if (constrained && !singleLine) {
            wrapping.width = width;
            wrapping.byCharacters = mode == NSLineBreakByCharWrapping;
            wrapping.firstLineHeadIndent = style->firstLineHeadIndent();
            wrapping.headIndent = style->headIndent();
            wrapping.justified = alignment == NSTextAlignmentJustified;
        }
        auto paragraph = std::make_shared<TextParagraph>(text, NSMakeRange(start, end - start), wrapping);
        const std::vector<NSUInteger> lineStarts = paragraph->lineStartIndices();

        for (std::size_t index = 0; index < lineStarts.size(); ++index) {
            const NSUInteger lineEnd = index + 1 < lineStarts.size() ? lineStarts[index + 1] : next;
            CTLineRef line = CTLine::create(paragraph, index, lineEnd);
            const CGFloat indent = index == 0 ? style->firstLineHeadIndent() : style->headIndent();
            const CGFloat available = width - indent;
            if (constrained && singleLine && truncates(mode) && line->width() - line->trailingWhitespaceWidth() > available) {
                const NSAttributes lastAttributes = text->attributesAtIndex(end > start ? end - 1 : start);
                if (CTLineRef cut = CTLineCreateTruncatedLine(line, std::max<CGFloat>(0, available), truncationOf(mode), ellipsisToken(lastAttributes)))
                    line = cut;
            }

            const CGFloat natural = line->ascent() + line->descent();
            CGFloat lineHeight = natural;
            if (style->lineHeightMultiple() > 0)
                lineHeight *= style->lineHeightMultiple();
            if (style->minimumLineHeight() > 0)
                lineHeight = std::max(lineHeight, style->minimumLineHeight());
            if (style->maximumLineHeight() > 0)
                lineHeight = std::min(lineHeight, style->maximumLineHeight());
            CGFloat lineTop = top;
            if (index == 0 && !m_lines.empty())
                lineTop += style->paragraphSpacingBefore();
            const CGFloat baseline = lineTop + (lineHeight - natural) + line->ascent();
            const CGFloat bottom = baseline + line->descent();
            if (bottom > height + 1e-6 && !(options.keepsFirstLine && m_lines.empty())) {
                full = true;
                break;
            }
            if (options.maximumLines && !limitedByLines && m_lines.size() == options.maximumLines) {
                const PlacedLine& lastAllowed = m_lines.back();
                const CGFloat limit = lastAllowed.origin.y + lastAllowed.line->descent();
                // A line above the last allowed one reaches lower: only a layout made with that
                // height tells which lines show.
                if (lowestBottom > limit + 1e-6) {
                    Options limited = options;
                    limited.size.height = limit;
                    limited.maximumLines = 0;
                    *this = TextLayout(text, range, limited);
                    return;
                }
                height = limit;
                limitedByLines = true;
                if (bottom > height + 1e-6) {
                    full = true;
                    break;
                }
            }
            lowestBottom = std::max(lowestBottom, bottom);

            CGFloat x = indent;
            if (constrained && alignment != NSTextAlignmentJustified)
                x += std::max<CGFloat>(0, available - (line->width() - line->trailingWhitespaceWidth())) * flushOf(alignment);
            m_lines.push_back({ line, CGPointMake(x, baseline) });
            textEnd = lineEnd;
            usedWidth = std::max(usedWidth, x + line->width() - line->trailingWhitespaceWidth());
            usedHeight = bottom + (options.usesFontLeading ? line->leading() : 0);
            last = { end, style, mode, available, indent, alignment };

            CGFloat spacing = line->leading() + style->lineSpacing();
            if (style->minimumLineSpacing() > 0)
                spacing = std::max(spacing, style->minimumLineSpacing());
            if (style->maximumLineSpacing() > 0)
                spacing = std::min(spacing, style->maximumLineSpacing());
            top = bottom + spacing + (index + 1 == lineStarts.size() ? style->paragraphSpacing() : 0);
        }
        if (full || next == start)
            break;
        start = next;
    }

    const bool textRemains = textEnd < range.end();
    if (textRemains && !m_lines.empty() && constrained && (options.truncateLastVisibleLine || (options.wrapInEveryMode && truncates(last.mode)))) {
        PlacedLine& placed = m_lines.back();
        const NSUInteger lineStart = static_cast<NSUInteger>(placed.line->stringRange().location);
        const NSUInteger restEnd = std::max(last.paragraphEnd, lineStart);
        auto rest = text->attributedSubstringFromRange(NSMakeRange(lineStart, restEnd - lineStart));
        const NSLineBreakMode mode = truncates(last.mode) ? last.mode : NSLineBreakByTruncatingTail;
        const NSAttributes lastAttributes = text->attributesAtIndex(restEnd > lineStart ? restEnd - 1 : lineStart);
        auto whole = CTLineCreateWithAttributedString(rest);
        // The cut line must end with the mark even when the rest of the paragraph would fit.
        const CGFloat limit = std::min<CGFloat>(std::max<CGFloat>(0, last.available), whole->width() - whole->trailingWhitespaceWidth() - 1e-9);
        if (CTLineRef cut = CTLineCreateTruncatedLine(whole, std::max<CGFloat>(0, limit), truncationOf(mode), ellipsisToken(lastAttributes))) {
            cut->rebase(placed.line->stringRange());
            placed.line = cut;
            placed.origin.x = last.indent;
            if (last.alignment != NSTextAlignmentJustified)
                placed.origin.x += std::max<CGFloat>(0, last.available - (cut->width() - cut->trailingWhitespaceWidth())) * flushOf(last.alignment);
            usedWidth = 0;
            for (const PlacedLine& line : m_lines)
                usedWidth = std::max(usedWidth, line.origin.x + line.line->width() - line.line->trailingWhitespaceWidth());
        }
    }
    m_visibleRange = NSMakeRange(range.location, textEnd - range.location);
    m_usedSize = CGSizeMake(usedWidth, usedHeight);
}
