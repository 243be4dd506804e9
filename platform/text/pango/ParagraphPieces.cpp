#include "platform/text/pango/ParagraphPieces.h"

ParagraphPieces::ParagraphPieces(const std::shared_ptr<NSAttributedString>& text, NSRange range, const TextParagraph::Wrapping& wrapping)
{
    const std::u16string_view units = text->string().view();
    NSUInteger start = range.location;
    TextParagraph::Wrapping pieceWrapping = wrapping;
    NSUInteger length = kPieceLength;
    for (;;) {
        NSUInteger end = range.end();
        const bool cut = wrapping.width >= 0 && end - start > length;
        if (cut) {
            end = start + length;
            // Not between the halves of a character.
            if (units[end] >= 0xDC00 && units[end] < 0xE000)
                --end;
        }
        auto piece = std::make_shared<TextParagraph>(text, NSMakeRange(start, end - start), pieceWrapping);
        const std::vector<NSUInteger> starts = piece->lineStartIndices();
        // Lines as wide as the piece: a longer one.
        if (cut && starts.size() <= 2) {
            length *= 2;
            continue;
        }
        // The last two lines of a cut piece may read past the cut: the next piece starts with them.
        const std::size_t kept = cut ? starts.size() - 2 : starts.size();
        m_pieces.push_back(piece);
        for (std::size_t line = 0; line < kept; ++line) {
            m_starts.push_back(starts[line]);
            m_lines.emplace_back(m_pieces.size() - 1, line);
        }
        if (kept == starts.size())
            return;
        start = starts[kept];
        length = kPieceLength;
        // Lines after the first are indented as such.
        pieceWrapping.firstLineHeadIndent = wrapping.headIndent;
    }
}
