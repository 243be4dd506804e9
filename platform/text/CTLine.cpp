#include "platform/text/CTLine.h"

#include "platform/graphics/CGContext.h"

#include <algorithm>

CTLine::~CTLine() = default;

bool CTLine::charactersStandAlone(std::u16string_view units)
{
    return std::all_of(units.begin(), units.end(), [](char16_t unit) {
        return (unit >= 0x20 && unit < 0x7F) || (unit >= 0x3000 && unit < 0x302A) || (unit >= 0x3030 && unit < 0x3040)
            || (unit >= 0x4E00 && unit < 0xA000) || (unit >= 0xFF01 && unit < 0xFF5F);
    });
}

void CTLine::rebase(CFRange range)
{
    const CFIndex shift = range.location - m_stringRange.location;
    m_indexOffset += shift;
    m_stringRange = range;
    for (CTRunRef& run : m_runs) {
        CFRange runRange = run->stringRange();
        runRange.location += shift;
        run = CTRun::create(runRange, run->attributes(), run->status(), run->x(), run->width(), run->metrics(), run->positions());
    }
}

namespace {

// Indices where the text may be cut: the starts of its composed character sequences, and its end.
std::vector<NSUInteger> cutPositions(const NSString& string)
{
    std::vector<NSUInteger> positions;
    const std::u16string_view units = string.view();
    if (CTLine::charactersStandAlone(units)) {
        positions.resize(units.size() + 1);
        for (NSUInteger index = 0; index < positions.size(); ++index)
            positions[index] = index;
        return positions;
    }
    for (NSUInteger index = 0; index < string.length(); index = string.rangeOfComposedCharacterSequenceAtIndex(index).end())
        positions.push_back(index);
    positions.push_back(string.length());
    return positions;
}

} // namespace

CTLineRef CTLineCreateTruncatedLine(const CTLineRef& line, double width, CTLineTruncationType truncationType, const CTLineRef& truncationToken)
{
    if (!line || !(width >= 0))
        return nullptr;
    if (line->width() - line->trailingWhitespaceWidth() <= width)
        return line;
    const double tokenWidth = truncationToken ? truncationToken->width() : 0;
    if (tokenWidth > width)
        return nullptr;
    const auto text = line->attributedText();
    const auto token = truncationToken ? truncationToken->attributedText() : NSAttributedString::create();
    // A line laid out alone from its whole text is already the line measured here.
    const auto whole = line->isWholeText() ? line : CTLineCreateWithAttributedString(text);
    const std::vector<NSUInteger> cuts = cutPositions(text->string());
    const double lineWidth = whole->width();
    auto x = [&](NSUInteger index) { return whole->offsetForStringIndex(static_cast<CFIndex>(index)); };

    auto build = [&](NSUInteger headEnd, NSUInteger tailStart) {
        auto result = NSMutableAttributedString::create();
        if (truncationType != kCTLineTruncationStart)
            result->appendAttributedString(text->attributedSubstringFromRange(NSMakeRange(0, headEnd)));
        result->appendAttributedString(token);
        if (truncationType != kCTLineTruncationEnd)
            result->appendAttributedString(text->attributedSubstringFromRange(NSMakeRange(tailStart, text->length() - tailStart)));
        return CTLineCreateWithAttributedString(result);
    };

    // Widths are measured on the whole line, then checked on the line built, since shaping
    // across the cut may differ; each failed check gives up one more character.
    const double available = width - tokenWidth;
    CTLineRef result;
    switch (truncationType) {
    case kCTLineTruncationEnd: {
        std::size_t keep = cuts.size();
        while (keep > 1 && x(cuts[keep - 1]) > available)
            --keep;
        for (; keep >= 1; --keep) {
            result = build(cuts[keep - 1], text->length());
            if (result->width() - result->trailingWhitespaceWidth() <= width || keep == 1)
                break;
        }
        break;
    }
    case kCTLineTruncationStart: {
        std::size_t from = 0;
        while (from + 1 < cuts.size() && lineWidth - x(cuts[from]) > available)
            ++from;
        for (; from < cuts.size(); ++from) {
            result = build(0, cuts[from]);
            if (result->width() <= width || from + 1 == cuts.size())
                break;
        }
        break;
    }
    case kCTLineTruncationMiddle: {
        std::size_t head = cuts.size();
        while (head > 1 && x(cuts[head - 1]) > available / 2)
            --head;
        const double headWidth = x(cuts[head - 1]);
        std::size_t tail = head - 1;
        while (tail + 1 < cuts.size() && headWidth + lineWidth - x(cuts[tail]) > available)
            ++tail;
        for (; tail < cuts.size(); ++tail) {
            result = build(cuts[head - 1], cuts[tail]);
            if (result->width() <= width || tail + 1 == cuts.size())
                break;
        }
        break;
    }
    }
    if (result)
        result->rebase(line->stringRange());
    return result;
}

std::vector<CTRunRef> CTLineGetGlyphRuns(const CTLineRef& line)
{
    return line ? line->runs() : std::vector<CTRunRef> {};
}

CFIndex CTLineGetGlyphCount(const CTLineRef& line)
{
    CFIndex count = 0;
    for (const auto& run : CTLineGetGlyphRuns(line))
        count += CTRunGetGlyphCount(run);
    return count;
}

CFRange CTLineGetStringRange(const CTLineRef& line)
{
    return line ? line->stringRange() : CFRangeMake(0, 0);
}

double CTLineGetTypographicBounds(const CTLineRef& line, CGFloat* ascent, CGFloat* descent, CGFloat* leading)
{
    if (ascent)
        *ascent = line ? line->ascent() : 0;
    if (descent)
        *descent = line ? line->descent() : 0;
    if (leading)
        *leading = line ? line->leading() : 0;
    return line ? line->width() : 0;
}

double CTLineGetTrailingWhitespaceWidth(const CTLineRef& line)
{
    return line ? line->trailingWhitespaceWidth() : 0;
}

double CTLineGetPenOffsetForFlush(const CTLineRef& line, CGFloat flushFactor, double flushWidth)
{
    if (!line)
        return 0;
    const double slack = flushWidth - (line->width() - line->trailingWhitespaceWidth());
    return slack > 0 ? slack * std::clamp<CGFloat>(flushFactor, 0, 1) : 0;
}

CFIndex CTLineGetStringIndexForPosition(const CTLineRef& line, CGPoint position)
{
    return line ? line->stringIndexForPosition(position.x) : kCFNotFound;
}

CGFloat CTLineGetOffsetForStringIndex(const CTLineRef& line, CFIndex charIndex, CGFloat* secondaryOffset)
{
    const CGFloat offset = line ? line->offsetForStringIndex(charIndex) : 0;
    if (secondaryOffset)
        *secondaryOffset = offset;
    return offset;
}

CGRect CTLineGetImageBounds(const CTLineRef& line, const std::shared_ptr<CGContext>& context)
{
    if (!line)
        return CGRectNull;
    const CGPoint position = context ? CGContextGetTextPosition(context) : CGPointZero;
    return CGRectOffset(line->imageBounds(), position.x, position.y);
}
