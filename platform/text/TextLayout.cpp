#include "platform/text/TextLayout.h"

#include "platform/text/pango/ParagraphPieces.h"
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

CTLineRef TextLayout::wholeParagraphLine(const std::shared_ptr<NSAttributedString>& text, NSRange paragraph, const NSParagraphStyle& style,
    NSTextAlignment alignment)
{
    if (style.firstLineHeadIndent() != 0 || style.headIndent() != 0 || alignment == NSTextAlignmentJustified || paragraph.length == 0)
        return nullptr;
    const std::u16string_view units = text->string().view().substr(paragraph.location, paragraph.length);
    if (!CTLine::charactersStandAlone(units))
        return nullptr;
    return CTLineCreateWithAttributedString(text->attributedSubstringFromRange(paragraph));
}

bool TextLayout::cutFirstParagraph(const std::shared_ptr<NSAttributedString>& text, NSRange paragraph, const NSParagraphStyle& style,
    NSLineBreakMode mode, NSTextAlignment alignment, const Options& options, const CTLineRef& whole)
{
    // A line below the first starts lower than it ends, so it never shows.
    if (style.lineHeightMultiple() != 0 || style.maximumLineHeight() != 0 || style.lineSpacing() < 0)
        return false;
    // Two characters before the spaces that end it, at least: one alone on a line may overflow it.
    const std::u16string_view units = text->string().view().substr(paragraph.location, paragraph.length);
    std::size_t content = units.size();
    while (content > 0 && (units[content - 1] == u' ' || units[content - 1] == 0x3000))
        --content;
    const CGFloat available = options.size.width;
    // Wider than the line by more than Pango's rounding: wrapping breaks it.
    if (content < 2 || whole->runs().empty() || !(whole->width() - whole->trailingWhitespaceWidth() > available + 0.01))
        return false;
    // The first line holds the first character at least: when that is in the tallest font, the
    // first line is as tall as the whole. Leadings part the lines (never closer), and count only
    // in a height that holds them.
    const CTRun::Metrics& first = whole->runs().front()->metrics();
    if (first.ascent != whole->ascent() || first.descent != whole->descent() || (options.usesFontLeading && first.leading != whole->leading()))
        return false;
    for (const CTRunRef& run : whole->runs()) {
        const CTRun::Metrics& metrics = run->metrics();
        if (!(metrics.ascent + metrics.descent > 1e-6) || metrics.leading < 0)
            return false;
    }
    const CGFloat natural = whole->ascent() + whole->descent();
    const CGFloat lineHeight = style.minimumLineHeight() > 0 ? std::max(natural, style.minimumLineHeight()) : natural;
    const CGFloat baseline = lineHeight - natural + whole->ascent();
    const CGFloat bottom = baseline + whole->descent();
    if (bottom > options.size.height + 1e-6 && !options.keepsFirstLine)
        return false;
    const NSLineBreakMode cutMode = truncates(mode) ? mode : NSLineBreakByTruncatingTail;
    const CGFloat limit = std::min<CGFloat>(std::max<CGFloat>(0, available), whole->width() - whole->trailingWhitespaceWidth() - 1e-9);
    const CTLineRef cut = CTLineCreateTruncatedLine(whole, std::max<CGFloat>(0, limit), truncationOf(cutMode),
        ellipsisToken(text->attributesAtIndex(paragraph.end() - 1)));
    if (!cut || cut == whole)
        return false;
    cut->rebase(CFRangeMake(CFIndex(paragraph.location), CFIndex(paragraph.length)));
    const CGFloat x = std::max<CGFloat>(0, available - (cut->width() - cut->trailingWhitespaceWidth())) * flushOf(alignment);
    m_lines.push_back({ cut, CGPointMake(x, baseline) });
    m_usedSize = CGSizeMake(x + cut->width() - cut->trailingWhitespaceWidth(), bottom + (options.usesFontLeading ? whole->leading() : 0));
    return true;
}

CTLineRef TextLayout::ellipsisToken(const NSAttributes& attributes)
{
    // The rows of a list cut their texts in the same attributes, one after another: the last
    // mark made on this thread serves while the attributes stay equal. A copy is kept, so that
    // attributes changed in place after are not taken for the ones it was made in.
    struct Kept {
        NSAttributes attributes;
        CTLineRef token;
    };
    thread_local Kept kept;
    if (kept.token && (kept.attributes == attributes || (kept.attributes && attributes && kept.attributes->isEqualToDictionary(attributes))))
        return kept.token;
    auto token = CTLineCreateWithAttributedString(NSAttributedString::create(NSString(u"\u2026"), attributes));
    kept = { attributes ? attributes->copyDictionary() : nullptr, token };
    return token;
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
    // The line of the first paragraph's whole text, when it was made and not cut.
    CTLineRef firstParagraphLine;
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

        // A first paragraph of one line at most, and of characters that each stand alone, is laid
        // out whole first: cut from there when it overflows, the very line wrapping gives when it
        // fits, and the rest to cut when wrapping is needed after all.
        CTLineRef single;
        if (options.placesOnly && options.maximumLines == 1 && m_lines.empty() && start == range.location && constrained && !singleLine
            && (options.truncateLastVisibleLine || (options.wrapInEveryMode && truncates(mode)))) {
            firstParagraphLine = wholeParagraphLine(text, NSMakeRange(start, end - start), *style, alignment);
            if (firstParagraphLine) {
                if (cutFirstParagraph(text, NSMakeRange(start, end - start), *style, mode, alignment, options, firstParagraphLine)) {
                    m_visibleRange = NSMakeRange(range.location, end - range.location);
                    return;
                }
                const std::u16string_view units = text->string().view().substr(start, end - start);
                if (units.back() != u' ' && units.back() != 0x3000 && firstParagraphLine->width() <= width - 0.01) {
                    single = firstParagraphLine;
                    firstParagraphLine = nullptr;
                    single->rebase(CFRangeMake(CFIndex(start), CFIndex(next - start)));
                }
            }
        }

        std::shared_ptr<ParagraphPieces> paragraph;
        std::vector<NSUInteger> lineStarts { start };
        if (!single) {
            TextParagraph::Wrapping wrapping;
            if (constrained && !singleLine) {
                wrapping.width = width;
                wrapping.byCharacters = mode == NSLineBreakByCharWrapping;
                wrapping.firstLineHeadIndent = style->firstLineHeadIndent();
                wrapping.headIndent = style->headIndent();
                wrapping.justified = alignment == NSTextAlignmentJustified;
                wrapping.hangsTrailingWhitespace = options.hangsTrailingWhitespace;
            }
            paragraph = std::make_shared<ParagraphPieces>(text, NSMakeRange(start, end - start), wrapping);
            lineStarts = paragraph->lineStarts();
        }

        for (std::size_t index = 0; index < lineStarts.size(); ++index) {
            const NSUInteger lineEnd = index + 1 < lineStarts.size() ? lineStarts[index + 1] : next;
            CTLineRef line = single ? single : CTLine::create(paragraph->pieceOfLine(index), paragraph->indexInPiece(index), lineEnd);
            const CGFloat indent = index == 0 ? style->firstLineHeadIndent() : style->headIndent();
            const CGFloat available = width - indent;
            if (constrained && singleLine && truncates(mode) && line->width() - line->trailingWhitespaceWidth() > available) {
                const NSAttributes lastAttributes = text->attributesAtIndex(end > start ? end - 1 : start);
                if (CTLineRef cut = CTLineCreateTruncatedLine(line, std::max<CGFloat>(0, available), truncationOf(mode), ellipsisToken(lastAttributes)))
                    line = cut;
            }

            const auto& font = options.lineFont;
            const CGFloat ascent = font ? font->ascender() : line->ascent();
            const CGFloat descent = font ? -font->descender() : line->descent();
            const CGFloat gap = font ? font->leading() - ascent - descent : line->leading();
            const CGFloat natural = ascent + descent;
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
            const CGFloat baseline = lineTop + (lineHeight - natural) + ascent;
            const CGFloat bottom = baseline + descent;
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
            usedHeight = bottom + (options.usesFontLeading ? gap : 0);
            last = { end, style, mode, available, indent, alignment };

            CGFloat spacing = gap + style->lineSpacing();
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
        const NSLineBreakMode mode = truncates(last.mode) ? last.mode : NSLineBreakByTruncatingTail;
        const NSAttributes lastAttributes = text->attributesAtIndex(restEnd > lineStart ? restEnd - 1 : lineStart);
        // The rest of a first paragraph cut on its first line is the line already made of it.
        auto whole = firstParagraphLine && lineStart == range.location && firstParagraphLine->stringRange().length == CFIndex(restEnd - lineStart)
            ? firstParagraphLine
            : CTLineCreateWithAttributedString(text->attributedSubstringFromRange(NSMakeRange(lineStart, restEnd - lineStart)));
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
