#pragma once
// One paragraph of an attributed string laid out by Pango, with the map between Pango's UTF-8
// byte indices and the string's UTF-16 indices. Lines of the text engine point into it.

#include "platform/text/NSAttributedString.h"
#include "platform/text/NSParagraphStyle.h"
#include "platform/text/UIFont.h"

#include <pango/pango.h>

#include <vector>

class TextParagraph {
public:
    struct Wrapping {
        // Negative: one line, however long.
        CGFloat width { -1 };
        bool byCharacters { false };
        CGFloat firstLineHeadIndent { 0 };
        CGFloat headIndent { 0 };
        bool justified { false };
        // White space that ends a line takes no room, so that it never pushes the word before
        // it onto a line of its own; an editor keeps its width, for its caret walks over it.
        bool hangsTrailingWhitespace { true };
    };

    // Lays out range of text (no paragraph separator inside it) with the wrapping.
    TextParagraph(std::shared_ptr<NSAttributedString> text, NSRange range, const Wrapping& wrapping);
    ~TextParagraph();
    TextParagraph(const TextParagraph&) = delete;
    TextParagraph& operator=(const TextParagraph&) = delete;

    PangoLayout* layout() const { return m_layout; }
    const std::shared_ptr<NSAttributedString>& text() const { return m_text; }
    NSRange range() const { return m_range; }

    // Absolute UTF-16 index where each of the layout's lines starts.
    std::vector<NSUInteger> lineStartIndices() const;
    // Absolute UTF-16 index of a byte index of the layout's text, and back.
    NSUInteger indexOfByte(int byte) const;
    int byteOfIndex(NSUInteger index) const;

    // Font of the attributes, the engine's default when they name none.
    static std::shared_ptr<UIFont> fontOfAttributes(const NSAttributes& attributes);
    static std::shared_ptr<NSParagraphStyle> paragraphStyleOfAttributes(const NSAttributes& attributes);

private:
    PangoAttrList* makeAttributes() const;
    // A wrapped line never breaks before closing punctuation.
    void insertBreakRules(PangoAttrList* list) const;
    // White space that ends a line takes no room there, as the platform lets it hang past the
    // edge; the layout is made again on the base attributes until the lines agree.
    void hangWhiteSpaceEndingLines(PangoAttrList* base);

    std::shared_ptr<NSAttributedString> m_text;
    NSRange m_range;
    std::string m_utf8;
    // m_byteOfUnit[i]: byte offset of UTF-16 unit i of the paragraph (the second unit of a
    // surrogate pair maps to its character's byte); one entry past the end.
    std::vector<int> m_byteOfUnit;
    PangoLayout* m_layout { nullptr };
};
