#include "platform/text/pango/PangoText.h"

#include "platform/text/pango/FontLibrary.h"
#include "platform/text/pango/TextDrawing.h"
#include "platform/text/pango/TextParagraph.h"

#include "platform/graphics/CGContext.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double toPoints(int pangoUnits) { return static_cast<double>(pangoUnits) / PANGO_SCALE; }

const PangoAttrShape* shapeOf(const PangoItem* item)
{
    for (GSList* node = item->analysis.extra_attrs; node; node = node->next) {
        auto* attribute = static_cast<PangoAttribute*>(node->data);
        if (attribute->klass->type == PANGO_ATTR_SHAPE)
            return reinterpret_cast<const PangoAttrShape*>(attribute);
    }
    return nullptr;
}

CTRun::Metrics metricsOfItem(const PangoItem* item)
{
    if (const PangoAttrShape* shape = shapeOf(item))
        return { toPoints(-shape->logical_rect.y), toPoints(shape->logical_rect.y + shape->logical_rect.height), 0 };
    FontLibrary& library = FontLibrary::shared();
    MutexLocker lock(library.mutex());
    PangoFontDescription* description = pango_font_describe_with_absolute_size(item->analysis.font);
    const double size = toPoints(pango_font_description_get_size(description));
    pango_font_description_free(description);
    const FontFaceMetrics metrics = library.metricsOfFontLocked(item->analysis.font);
    return { metrics.ascent * size, metrics.descent * size, metrics.lineGap * size };
}

bool isTrailingWhitespace(unichar character)
{
    return character == ' ' || character == '\t' || character == 0x3000 || character == 0xA0 || character == '\n' || character == '\r'
        || character == 0x2028 || character == 0x2029;
}

} // namespace

void CTLine::init(std::shared_ptr<TextParagraph> paragraph, std::size_t lineIndex, NSUInteger stringEnd)
{
    m_paragraph = std::move(paragraph);
    {
        MutexLocker lock(FontLibrary::shared().mutex());
        PangoLayoutLine* line = pango_layout_get_line_readonly(m_paragraph->layout(), static_cast<int>(lineIndex));
        m_backend.reset(std::make_unique<Backend>(line).release());
    }
    // A laid-out line's runs and glyphs no longer change, so they are read without the lock; only
    // what Pango works out when asked (extents, positions, fonts' metrics) is asked under it. The
    // lock is not held here, as an empty line may load the default font.
    const NSUInteger start = m_paragraph->indexOfByte(m_backend->line()->start_index);
    m_stringRange = CFRangeMake(static_cast<CFIndex>(start), static_cast<CFIndex>(stringEnd - start));
    measure();
    makeRuns();
}

void CTLine::BackendDeleter::operator()(Backend* backend) const
{
    std::default_delete<Backend>()(backend);
}

CTLine::Backend::~Backend()
{
    MutexLocker lock(FontLibrary::shared().mutex());
    pango_layout_line_unref(m_line);
}

void CTLine::measure()
{
    PangoRectangle logical;
    {
        MutexLocker lock(FontLibrary::shared().mutex());
        pango_layout_line_get_extents(m_backend->line(), nullptr, &logical);
    }
    m_width = toPoints(logical.width);
    bool any = false;
    for (GSList* node = m_backend->line()->runs; node; node = node->next) {
        const auto* run = static_cast<PangoGlyphItem*>(node->data);
        const CTRun::Metrics metrics = metricsOfItem(run->item);
        m_ascent = std::max(m_ascent, metrics.ascent);
        m_descent = std::max(m_descent, metrics.descent);
        m_leading = std::max(m_leading, metrics.leading);
        any = true;
    }
    if (!any) {
        // An empty line is as tall as the font it would have been written in.
        const auto& text = m_paragraph->text();
        const NSUInteger index = static_cast<NSUInteger>(m_stringRange.location);
        auto font = TextParagraph::fontOfAttributes(index < text->length() ? text->attributesAtIndex(index)
                                                                          : (text->length() ? text->attributesAtIndex(text->length() - 1) : nullptr));
        m_ascent = font->ascender();
        m_descent = -font->descender();
        m_leading = font->lineGap();
    }

    const std::u16string_view units = m_paragraph->text()->string().view();
    const NSUInteger lineStart = m_paragraph->indexOfByte(m_backend->line()->start_index);
    NSUInteger contentEnd = m_paragraph->indexOfByte(m_backend->line()->start_index + m_backend->line()->length);
    const NSUInteger lineEnd = contentEnd;
    while (contentEnd > lineStart && isTrailingWhitespace(units[contentEnd - 1]))
        --contentEnd;
    if (contentEnd < lineEnd)
        m_trailingWhitespaceWidth = std::max<CGFloat>(0, m_width - offsetForStringIndex(static_cast<CFIndex>(contentEnd)));
}

void CTLine::makeRuns()
{
    const auto& text = m_paragraph->text();
    double x = 0;
    for (GSList* node = m_backend->line()->runs; node; node = node->next) {
        const auto* run = static_cast<PangoGlyphItem*>(node->data);
        const PangoItem* item = run->item;
        const PangoGlyphString* glyphs = run->glyphs;
        const CTRun::Metrics metrics = metricsOfItem(item);
        const CTRunStatus status = item->analysis.level % 2 ? kCTRunStatusRightToLeft : kCTRunStatusNoStatus;
        const NSUInteger itemStart = m_paragraph->indexOfByte(item->offset);
        const NSUInteger itemEnd = m_paragraph->indexOfByte(item->offset + item->length);

        // Pango's items need not end where attributes change (colours, links): cut them there.
        struct Piece {
            NSRange range;
            NSAttributes attributes;
            std::vector<CGPoint> positions;
            double left { 0 };
            double right { 0 };
            bool empty { true };
        };
        std::vector<Piece> pieces;
        for (NSUInteger index = itemStart; index < itemEnd;) {
            NSRange effective;
            NSAttributes attributes = text->attributesAtIndex(index, &effective);
            NSRange range = NSIntersectionRange(effective, NSMakeRange(index, itemEnd - index));
            pieces.push_back({ range, attributes, {}, 0, 0, true });
            index = range.end();
        }
        if (pieces.empty())
            continue;
        double glyphX = x;
        for (int glyph = 0; glyph < glyphs->num_glyphs; ++glyph) {
            const PangoGlyphInfo& info = glyphs->glyphs[glyph];
            const NSUInteger index = m_paragraph->indexOfByte(item->offset + glyphs->log_clusters[glyph]);
            auto piece = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& candidate) { return NSLocationInRange(index, candidate.range); });
            if (piece == pieces.end())
                piece = pieces.begin();
            const double advance = toPoints(info.geometry.width);
            if (piece->empty) {
                piece->left = glyphX;
                piece->right = glyphX + advance;
                piece->empty = false;
            } else {
                piece->left = std::min(piece->left, glyphX);
                piece->right = std::max(piece->right, glyphX + advance);
            }
            piece->positions.push_back(CGPointMake(glyphX + toPoints(info.geometry.x_offset), -toPoints(info.geometry.y_offset)));
            glyphX += advance;
        }
        for (Piece& piece : pieces) {
            if (piece.empty)
                continue;
            m_runs.push_back(CTRun::create(CFRangeMake(static_cast<CFIndex>(piece.range.location), static_cast<CFIndex>(piece.range.length)),
                piece.attributes, status, piece.left, piece.right - piece.left, metrics, std::move(piece.positions)));
        }
        x = glyphX;
    }
}

CGRect CTLine::imageBounds() const
{
    MutexLocker lock(FontLibrary::shared().mutex());
    PangoRectangle ink;
    pango_layout_line_get_extents(m_backend->line(), &ink, nullptr);
    if (ink.width <= 0 || ink.height <= 0)
        return CGRectZero;
    return CGRectMake(toPoints(ink.x), -toPoints(ink.y + ink.height), toPoints(ink.width), toPoints(ink.height));
}

CGFloat CTLine::offsetForStringIndex(CFIndex index) const
{
    index -= m_indexOffset;
    const CFIndex start = static_cast<CFIndex>(m_paragraph->indexOfByte(m_backend->line()->start_index));
    const CFIndex lineEnd = static_cast<CFIndex>(m_paragraph->indexOfByte(m_backend->line()->start_index + m_backend->line()->length));
    if (index <= start)
        return 0;
    if (index >= lineEnd)
        return m_width;
    MutexLocker lock(FontLibrary::shared().mutex());
    int x = 0;
    pango_layout_line_index_to_x(m_backend->line(), m_paragraph->byteOfIndex(static_cast<NSUInteger>(index)), FALSE, &x);
    return toPoints(x);
}

CFIndex CTLine::stringIndexForPosition(CGFloat x) const
{
    const CFIndex lineEnd = static_cast<CFIndex>(m_paragraph->indexOfByte(m_backend->line()->start_index + m_backend->line()->length));
    if (!(x > 0))
        return m_stringRange.location;
    if (x >= m_width)
        return lineEnd + m_indexOffset;
    MutexLocker lock(FontLibrary::shared().mutex());
    int byte = 0;
    int trailing = 0;
    pango_layout_line_x_to_index(m_backend->line(), static_cast<int>(std::lround(x * PANGO_SCALE)), &byte, &trailing);
    NSUInteger index = m_paragraph->indexOfByte(byte);
    if (trailing > 0) {
        const NSString& string = m_paragraph->text()->string();
        if (index < string.length())
            index = string.rangeOfComposedCharacterSequenceAtIndex(index).end();
    }
    return std::clamp<CFIndex>(static_cast<CFIndex>(index) + m_indexOffset, m_stringRange.location, lineEnd + m_indexOffset);
}

void CTLine::Backend::draw(cairo_t* cairo, CGPoint origin, bool yUp) const
{
    if (!cairo)
        return;
    MutexLocker lock(FontLibrary::shared().mutex());
    cairo_save(cairo);
    cairo_translate(cairo, origin.x, origin.y);
    if (yUp)
        cairo_scale(cairo, 1, -1);
    cairo_move_to(cairo, 0, 0);
    pango_cairo_show_layout_line(cairo, m_line);
    cairo_new_path(cairo);
    cairo_restore(cairo);
}

std::shared_ptr<NSAttributedString> CTLine::attributedText() const
{
    const auto& text = m_paragraph->text();
    const NSUInteger start = m_paragraph->indexOfByte(m_backend->line()->start_index);
    NSUInteger end = m_paragraph->indexOfByte(m_backend->line()->start_index + m_backend->line()->length);
    return text->attributedSubstringFromRange(NSMakeRange(start, std::max(end, start) - start));
}

bool CTLine::isWholeText() const
{
    const NSUInteger length = m_paragraph->text()->length();
    if (m_indexOffset != 0 || m_stringRange.location != 0 || NSUInteger(m_stringRange.length) != length
        || m_paragraph->range().location != 0 || m_paragraph->range().length != length)
        return false;
    MutexLocker lock(FontLibrary::shared().mutex());
    return pango_layout_get_width(m_paragraph->layout()) == -1 && pango_layout_get_line_count(m_paragraph->layout()) == 1;
}

CTLineRef CTLineCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string)
{
    auto text = string ? string : NSAttributedString::create();
    auto paragraph = std::make_shared<TextParagraph>(text, NSMakeRange(0, text->length()), TextParagraph::Wrapping {});
    {
        MutexLocker lock(FontLibrary::shared().mutex());
        pango_layout_set_single_paragraph_mode(paragraph->layout(), TRUE);
    }
    return CTLine::create(paragraph, std::size_t(0), text->length());
}

void CTLineDraw(const CTLineRef& line, cairo_t* cairo)
{
    if (!line || !cairo)
        return;
    double x = 0;
    double y = 0;
    if (cairo_has_current_point(cairo))
        cairo_get_current_point(cairo, &x, &y);
    line->backend().draw(cairo, CGPointMake(x, y), true);
}

void CTLineDraw(const CTLineRef& line, const std::shared_ptr<CGContext>& context)
{
    if (!line || !context)
        return;
    const CGAffineTransform matrix = context->textMatrix();
    TextDrawing::drawInContext(context, [&](cairo_t* cairo) {
        cairo_matrix_t textMatrix;
        cairo_matrix_init(&textMatrix, matrix.a, matrix.b, matrix.c, matrix.d, matrix.tx, matrix.ty);
        cairo_transform(cairo, &textMatrix);
        line->backend().draw(cairo, CGPointZero, true);
    });
}
