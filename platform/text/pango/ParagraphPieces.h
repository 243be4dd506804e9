#pragma once
// The lines of one paragraph wrapped to a width, laid out a piece at a time: Pango gives a single
// line for a paragraph whose layout grows taller than about 262,000 points, so a long one (a
// notice of 200,000 characters) is laid out in pieces of a few thousand characters, each starting
// at a line the one before found, and the lines are the same as one layout's.

#include "platform/text/pango/TextParagraph.h"

class ParagraphPieces {
public:
    // UTF-16 units of one piece: at a line a character, and lines at most 128 points tall, a
    // piece stays below Pango's limit.
    static constexpr NSUInteger kPieceLength = 2048;

    ParagraphPieces(const std::shared_ptr<NSAttributedString>& text, NSRange range, const TextParagraph::Wrapping& wrapping);

    // Absolute UTF-16 index where each line starts.
    const std::vector<NSUInteger>& lineStarts() const { return m_starts; }
    // The piece a line is in, and its index there.
    const std::shared_ptr<TextParagraph>& pieceOfLine(std::size_t line) const { return m_pieces[m_lines[line].first]; }
    std::size_t indexInPiece(std::size_t line) const { return m_lines[line].second; }

private:
    std::vector<std::shared_ptr<TextParagraph>> m_pieces;
    std::vector<NSUInteger> m_starts;
    std::vector<std::pair<std::size_t, std::size_t>> m_lines;
};
