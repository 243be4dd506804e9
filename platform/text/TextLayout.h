#pragma once
// Stacks the lines of an attributed string in a rectangle: paragraph by paragraph, with the
// paragraph style's wrapping, indents, alignment, line heights and spacings. Frames, suggested
// frame sizes and UIKit's measuring and drawing all go through here, so a suggested size always
// holds every line of the frame made with it.

#include "platform/graphics/CGContext.h"
#include "platform/text/CTLine.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"

#include <optional>
#include <vector>

class TextLayout {
public:
    struct Options {
        // CGFLOAT_MAX (or more than 1e15): unconstrained.
        CGSize size { CGFLOAT_MAX, CGFLOAT_MAX };
        // UIKit's older drawing wraps in every line break mode and truncates only the last
        // line; the text engine keeps a truncating or clipping paragraph on one line.
        bool wrapInEveryMode { false };
        // Truncate the last line that fits when text remains, in the style's mode (tail when
        // the mode truncates nothing).
        bool truncateLastVisibleLine { false };
        // UIKit keeps a first line that does not fit; the text engine drops it.
        bool keepsFirstLine { false };
        // The last line's leading counts in the used height.
        bool usesFontLeading { false };
        // At most this many lines (0: any number). More text ends them as a height at the bottom
        // of the last one would: a line past it that fits above that still shows, and the last
        // line shown is truncated as the style says.
        std::size_t maximumLines { 0 };
        // Overrides the style's alignment and line break mode (UIKit's older drawing).
        std::optional<NSTextAlignment> alignment;
        std::optional<NSLineBreakMode> lineBreakMode;
        // Only where the lines go, their sizes and their drawing are wanted, not the characters
        // each holds: a first paragraph that overflows the one line allowed is cut from the line
        // of its whole text without being wrapped first. The cut line then stands for the whole
        // paragraph, and the visible range runs to its end.
        bool placesOnly { false };
        // White space ending a wrapped line takes no room on it; an editor, whose caret walks
        // over it, keeps its width.
        bool hangsTrailingWhitespace { true };
        // Every line stands in this font's line: its baseline the font's ascender below its top
        // and the next line the font's leading further on, whatever faces its characters fall
        // back to, so that the lines of a text keep one pitch as on ruled paper.
        std::shared_ptr<UIFont> lineFont;
    };

    struct PlacedLine {
        CTLineRef line;
        // x from the left edge, y the baseline from the top edge.
        CGPoint origin;
    };

    TextLayout(const std::shared_ptr<NSAttributedString>& text, NSRange range, const Options& options);

    const std::vector<PlacedLine>& lines() const { return m_lines; }
    // The characters the lines hold.
    NSRange visibleRange() const { return m_visibleRange; }
    // Widest line (without trailing white space, with its indent and alignment offset) and
    // the bottom of the last line.
    CGSize usedSize() const { return m_usedSize; }

    // Draws the lines in the context's y-down user space (UIKit's), the layout's top-left corner
    // at a point, with the context's fill colour for text without its own, shadow and alpha.
    void drawInContext(const CGContextRef& context, CGPoint topLeft) const;

    // Draws one line in the context's y-down user space (UIKit's), its baseline origin at a point,
    // as drawInContext draws each of its lines.
    static void drawLine(const CTLineRef& line, const CGContextRef& context, CGPoint baselineOrigin);

    // The mark standing for cut text, in the attributes of the text it replaces.
    static CTLineRef ellipsisToken(const NSAttributes& attributes);

private:
    // The line of the paragraph's whole text when each of its characters stands alone (a line
    // of it breaks only at a character's edge), and nothing indents or justifies it; nil else.
    static CTLineRef wholeParagraphLine(const std::shared_ptr<NSAttributedString>& text, NSRange paragraph, const NSParagraphStyle& style,
        NSTextAlignment alignment);
    // The one line allowed, cut from the line of a first paragraph's whole text, when that is
    // sure to be the line wrapping and cutting give: the text wider than the line, and the
    // first character in the tallest font; false, with nothing placed, when it is not.
    bool cutFirstParagraph(const std::shared_ptr<NSAttributedString>& text, NSRange paragraph, const NSParagraphStyle& style,
        NSLineBreakMode mode, NSTextAlignment alignment, const Options& options, const CTLineRef& whole);

    std::vector<PlacedLine> m_lines;
    NSRange m_visibleRange;
    CGSize m_usedSize;
};
