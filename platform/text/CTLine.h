#pragma once
// A line of laid-out text: its runs, typographic bounds and the map between positions and
// string indices. Lines come from frames, or stand alone (CTLineCreateWithAttributedString).
//
// Lines are drawn the text engine's way: in a y-up space, baseline at the text position.

#include "platform/text/CTRun.h"
#include "platform/text/CTTypes.h"
#include "platform/text/NSAttributedString.h"

#include <array>
#include <string_view>
#include <vector>

class CGContext;
class TextParagraph;

enum CTLineTruncationType : std::uint32_t {
    kCTLineTruncationStart = 0,
    kCTLineTruncationEnd = 1,
    kCTLineTruncationMiddle = 2,
};

class CTLine : public NSObject {
    NS_OBJECT(CTLine, NSObject)
public:
    ~CTLine() override;

    CFRange stringRange() const { return m_stringRange; }
    const std::vector<CTRunRef>& runs() const { return m_runs; }
    CGFloat width() const { return m_width; }
    CGFloat ascent() const { return m_ascent; }
    CGFloat descent() const { return m_descent; }
    CGFloat leading() const { return m_leading; }
    CGFloat trailingWhitespaceWidth() const { return m_trailingWhitespaceWidth; }
    // The ink of the glyphs, relative to the origin, y up.
    CGRect imageBounds() const;

    CGFloat offsetForStringIndex(CFIndex index) const;
    CFIndex stringIndexForPosition(CGFloat x) const;

    // Whether every unit is printable ASCII, CJK punctuation (not its tone marks), a unified
    // ideograph or a full-width form: characters of one unit each, left to right, that join no
    // neighbour and force no break, so a line of them may be cut at any index.
    static bool charactersStandAlone(std::u16string_view units);

    // The text back end's line; complete only inside the back end.
    class Backend;
    const Backend& backend() const { return *m_backend; }

    // The line's text on its own, from the start of its range, for truncation.
    std::shared_ptr<NSAttributedString> attributedText() const;
    // Whether the line is all of its text laid out alone on one line, unwrapped and not rebased:
    // the line CTLineCreateWithAttributedString would make of attributedText().
    bool isWholeText() const;
    // Makes the line report indices of another string whose range it stands for: a truncated
    // line reports the range of the line it was cut from.
    void rebase(CFRange range);

protected:
    // The line at lineIndex of a paragraph; stringEnd: the absolute end of its string range,
    // past a paragraph separator that ends it.
    void init(std::shared_ptr<TextParagraph> paragraph, std::size_t lineIndex, NSUInteger stringEnd);

private:
    void measure();
    void makeRuns();

    struct BackendDeleter {
        void operator()(Backend* backend) const;
    };

    std::shared_ptr<TextParagraph> m_paragraph;
    std::unique_ptr<Backend, BackendDeleter> m_backend;
    CFRange m_stringRange;
    // Added to the paragraph's indices to give the indices this line reports.
    CFIndex m_indexOffset { 0 };
    std::vector<CTRunRef> m_runs;
    CGFloat m_width { 0 };
    CGFloat m_ascent { 0 };
    CGFloat m_descent { 0 };
    CGFloat m_leading { 0 };
    CGFloat m_trailingWhitespaceWidth { 0 };
};

using CTLineRef = std::shared_ptr<CTLine>;

// One line of the whole string, however long; paragraph separators do not break it.
CTLineRef CTLineCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string);
// The line cut to fit the width, the token standing for what was cut; the line itself when it
// fits; nil when not even the token fits. A nil token cuts without a mark.
CTLineRef CTLineCreateTruncatedLine(const CTLineRef& line, double width, CTLineTruncationType truncationType, const CTLineRef& truncationToken);
std::vector<CTRunRef> CTLineGetGlyphRuns(const CTLineRef& line);
CFIndex CTLineGetGlyphCount(const CTLineRef& line);
CFRange CTLineGetStringRange(const CTLineRef& line);
double CTLineGetTypographicBounds(const CTLineRef& line, CGFloat* ascent, CGFloat* descent, CGFloat* leading);
double CTLineGetTrailingWhitespaceWidth(const CTLineRef& line);
double CTLineGetPenOffsetForFlush(const CTLineRef& line, CGFloat flushFactor, double flushWidth);
// kCFNotFound for a nil line; the nearest caret index otherwise.
CFIndex CTLineGetStringIndexForPosition(const CTLineRef& line, CGPoint position);
CGFloat CTLineGetOffsetForStringIndex(const CTLineRef& line, CFIndex charIndex, CGFloat* secondaryOffset);
// Draws at the context's text position, through its text matrix, with its shadow and alpha.
void CTLineDraw(const CTLineRef& line, const std::shared_ptr<CGContext>& context);
// The ink of the glyphs, relative to the context's text position (nil context: to the origin).
CGRect CTLineGetImageBounds(const CTLineRef& line, const std::shared_ptr<CGContext>& context);
