#include "platform/text/pango/TextParagraph.h"
#include "platform/text/pango/PangoText.h"

#include "platform/text/CTRunDelegate.h"
#include "platform/text/CTStringAttributes.h"
#include "platform/text/pango/FontLibrary.h"
#include "platform/text/TextColor.h"

#include "platform/foundation/NSNumber.h"
#include "platform/foundation/StringEncoding.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

guint16 channel(CGFloat value)
{
    return static_cast<guint16>(std::lround(std::clamp(value, 0.0, 1.0) * 65535));
}

void insert(PangoAttrList* list, PangoAttribute* attribute, int start, int end)
{
    attribute->start_index = static_cast<guint>(start);
    attribute->end_index = static_cast<guint>(end);
    pango_attr_list_insert(list, attribute);
}

void insertColor(PangoAttrList* list, const std::array<CGFloat, 4>& rgba, bool background, int start, int end)
{
    if (background)
        insert(list, pango_attr_background_new(channel(rgba[0]), channel(rgba[1]), channel(rgba[2])), start, end);
    else
        insert(list, pango_attr_foreground_new(channel(rgba[0]), channel(rgba[1]), channel(rgba[2])), start, end);
    // Pango reads an alpha of 0 as "unset", so fully clear ends up at the least visible value.
    const guint16 alpha = std::max<guint16>(1, channel(rgba[3]));
    if (alpha != 65535)
        insert(list, background ? pango_attr_background_alpha_new(alpha) : pango_attr_foreground_alpha_new(alpha), start, end);
}

PangoUnderline underlineOf(NSInteger style)
{
    switch (style & 0xff) {
    case NSUnderlineStyleNone:
        return PANGO_UNDERLINE_NONE;
    case NSUnderlineStyleDouble:
        return PANGO_UNDERLINE_DOUBLE;
    default:
        return PANGO_UNDERLINE_SINGLE;
    }
}

// Punctuation that closes what comes before it, and so never starts a line.
bool closesText(char16_t unit)
{
    static constexpr std::u16string_view closing = u"。，、；：？！）》」』】〕〉〗〙〛”’…‥・ー々〜,.;:?!)]}%\uFF09\uFF3D\uFF5D\uFF0C\uFF0E\uFF1B\uFF1A\uFF1F\uFF01\uFF05";
    return closing.find(unit) != std::u16string_view::npos;
}

} // namespace

std::shared_ptr<UIFont> TextParagraph::fontOfAttributes(const NSAttributes& attributes)
{
    if (attributes) {
        if (auto font = ns::cast<UIFont>(attributes->objectForKey(kCTFontAttributeName)))
            return font;
    }
    return UIFont::defaultTextFont();
}

std::shared_ptr<NSParagraphStyle> TextParagraph::paragraphStyleOfAttributes(const NSAttributes& attributes)
{
    if (attributes) {
        if (auto style = ns::cast<NSParagraphStyle>(attributes->objectForKey(kCTParagraphStyleAttributeName)))
            return style;
    }
    return NSParagraphStyle::defaultParagraphStyle();
}

TextParagraph::TextParagraph(std::shared_ptr<NSAttributedString> text, NSRange range, const Wrapping& wrapping)
    : m_text(std::move(text))
    , m_range(range)
{
    const std::u16string_view units = m_text->string().view().substr(range.location, range.length);
    m_byteOfUnit.reserve(units.size() + 1);
    for (std::size_t index = 0; index < units.size();) {
        char32_t character = units[index];
        std::size_t count = 1;
        if (character >= 0xD800 && character < 0xDC00 && index + 1 < units.size() && units[index + 1] >= 0xDC00 && units[index + 1] < 0xE000) {
            character = 0x10000 + ((character - 0xD800) << 10) + (units[index + 1] - 0xDC00);
            count = 2;
        } else if (character >= 0xD800 && character < 0xE000) {
            character = 0xFFFD;
        }
        for (std::size_t unit = 0; unit < count; ++unit)
            m_byteOfUnit.push_back(static_cast<int>(m_utf8.size()));
        ns::appendUTF8(m_utf8, character);
        index += count;
    }
    m_byteOfUnit.push_back(static_cast<int>(m_utf8.size()));

    // Fonts are found before the lock is taken: the first use of the default font loads it, under
    // the lock. A new attribute list is the caller's alone and needs no lock.
    PangoAttrList* attributes = makeAttributes();
    if (wrapping.width >= 0)
        insertBreakRules(attributes);
    // The whole paragraph's first font sets the height of an empty line.
    const auto firstFont = fontOfAttributes(range.length ? m_text->attributesAtIndex(range.location) : nullptr);
    FontLibrary& library = FontLibrary::shared();
    MutexLocker lock(library.mutex());
    m_layout = pango_layout_new(library.context());
    pango_layout_set_text(m_layout, m_utf8.data(), static_cast<int>(m_utf8.size()));
    pango_layout_set_attributes(m_layout, attributes);
    pango_layout_set_font_description(m_layout, firstFont->backend().description());
    if (wrapping.width >= 0) {
        // Pango has one width and a first-line indent; the smaller indent becomes the offset
        // applied when drawing, and the difference Pango's indent (negative: hanging lines).
        // Widths and indents past what Pango's units hold (a frame from a damaged file) are cut
        // to the most they hold; NaN falls to the least.
        const CGFloat widest = CGFloat(std::numeric_limits<int>::max() / PANGO_SCALE);
        const CGFloat base = std::min(wrapping.firstLineHeadIndent, wrapping.headIndent);
        const CGFloat available = std::min(widest, std::max<CGFloat>(1.0 / PANGO_SCALE, wrapping.width - base));
        const CGFloat hanging = wrapping.firstLineHeadIndent - wrapping.headIndent;
        const CGFloat indent = std::isnan(hanging) ? 0 : std::clamp(hanging, -widest, widest);
        pango_layout_set_width(m_layout, static_cast<int>(std::floor(available * PANGO_SCALE)));
        pango_layout_set_indent(m_layout, static_cast<int>(std::lround(indent * PANGO_SCALE)));
        pango_layout_set_wrap(m_layout, wrapping.byCharacters ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
        pango_layout_set_justify(m_layout, wrapping.justified);
        if (wrapping.hangsTrailingWhitespace)
            hangWhiteSpaceEndingLines(attributes);
    } else {
        pango_layout_set_width(m_layout, -1);
    }
    pango_attr_list_unref(attributes);
}

TextParagraph::~TextParagraph()
{
    MutexLocker lock(FontLibrary::shared().mutex());
    g_object_unref(m_layout);
}

std::vector<NSUInteger> TextParagraph::lineStartIndices() const
{
    std::vector<NSUInteger> starts;
    MutexLocker lock(FontLibrary::shared().mutex());
    for (GSList* node = pango_layout_get_lines_readonly(m_layout); node; node = node->next)
        starts.push_back(indexOfByte(static_cast<PangoLayoutLine*>(node->data)->start_index));
    return starts;
}

NSUInteger TextParagraph::indexOfByte(int byte) const
{
    auto found = std::lower_bound(m_byteOfUnit.begin(), m_byteOfUnit.end(), byte);
    return m_range.location + static_cast<NSUInteger>(found - m_byteOfUnit.begin());
}

int TextParagraph::byteOfIndex(NSUInteger index) const
{
    if (index <= m_range.location)
        return 0;
    const NSUInteger unit = std::min<NSUInteger>(index - m_range.location, m_byteOfUnit.size() - 1);
    return m_byteOfUnit[unit];
}

void TextParagraph::insertBreakRules(PangoAttrList* list) const
{
    const std::u16string_view units = m_text->string().view().substr(m_range.location, m_range.length);
    for (std::size_t index = 1; index < units.size(); ++index) {
        if (closesText(units[index]))
            insert(list, pango_attr_allow_breaks_new(FALSE), m_byteOfUnit[index - 1], m_byteOfUnit[index + 1]);
    }
}

void TextParagraph::hangWhiteSpaceEndingLines(PangoAttrList* base)
{
    // Runs of two or more white characters; Pango already lets a lone one hang.
    const std::u16string_view units = m_text->string().view().substr(m_range.location, m_range.length);
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t index = 0; index < units.size();) {
        std::size_t end = index;
        while (end < units.size() && (units[end] == u' ' || units[end] == 0x3000))
            ++end;
        if (end - index >= 2)
            runs.emplace_back(index, end);
        index = std::max(end, index + 1);
    }
    if (runs.empty())
        return;
    // Laid out first with every run hanging, then with those that ended a line, until the runs
    // that end lines are the ones hanging; a run inside a line keeps its width.
    std::vector<bool> hanging(runs.size(), true);
    for (int pass = 0; pass < 4; ++pass) {
        PangoAttrList* list = pango_attr_list_copy(base);
        PangoRectangle none { 0, 0, 0, 0 };
        for (std::size_t run = 0; run < runs.size(); ++run) {
            if (hanging[run])
                insert(list, pango_attr_shape_new(&none, &none), m_byteOfUnit[runs[run].first], m_byteOfUnit[runs[run].second]);
        }
        pango_layout_set_attributes(m_layout, list);
        pango_attr_list_unref(list);
        std::vector<int> starts;
        for (GSList* node = pango_layout_get_lines_readonly(m_layout); node; node = node->next)
            starts.push_back(static_cast<PangoLayoutLine*>(node->data)->start_index);
        std::vector<bool> ending(runs.size(), false);
        for (std::size_t run = 0; run < runs.size(); ++run) {
            const int end = m_byteOfUnit[runs[run].second];
            ending[run] = runs[run].second == units.size() || std::find(starts.begin(), starts.end(), end) != starts.end();
        }
        if (ending == hanging)
            return;
        hanging = std::move(ending);
    }
}

PangoAttrList* TextParagraph::makeAttributes() const
{
    PangoAttrList* list = pango_attr_list_new();
    // The platform breaks an over-long word without adding a hyphen.
    insert(list, pango_attr_insert_hyphens_new(FALSE), 0, G_MAXINT);
    if (!m_range.length)
        return list;
    m_text->enumerateAttributesInRange(m_range, 0, [&](const NSAttributes& attributes, NSRange range, bool&) {
        const int start = byteOfIndex(range.location);
        const int end = byteOfIndex(range.end());
        auto font = fontOfAttributes(attributes);
        insert(list, pango_attr_font_desc_new(font->backend().description()), start, end);

        id foreground = attributes->objectForKey(kCTForegroundColorAttributeName);
        if (!foreground)
            foreground = attributes->objectForKey(NSForegroundColorAttributeName);
        auto fromContextValue = ns::cast<NSNumber>(attributes->objectForKey(kCTForegroundColorFromContextAttributeName));
        const bool fromContext = fromContextValue && fromContextValue->boolValue();
        // Text without a colour is black, as the platform draws it; only text that asks for the
        // context's colour takes the source the line is drawn with.
        if (!fromContext)
            insertColor(list, TextColor::rgbaOfColorValue(foreground).value_or(std::array<CGFloat, 4> { 0, 0, 0, 1 }), false, start, end);
        if (auto rgba = TextColor::rgbaOfColorValue(attributes->objectForKey(NSBackgroundColorAttributeName)))
            insertColor(list, *rgba, true, start, end);

        if (auto underline = ns::cast<NSNumber>(attributes->objectForKey(NSUnderlineStyleAttributeName)); underline && underline->integerValue()) {
            insert(list, pango_attr_underline_new(underlineOf(underline->integerValue())), start, end);
            if (auto rgba = TextColor::rgbaOfColorValue(attributes->objectForKey(kCTUnderlineColorAttributeName)))
                insert(list, pango_attr_underline_color_new(channel((*rgba)[0]), channel((*rgba)[1]), channel((*rgba)[2])), start, end);
        }
        if (auto strike = ns::cast<NSNumber>(attributes->objectForKey(NSStrikethroughStyleAttributeName)); strike && strike->integerValue())
            insert(list, pango_attr_strikethrough_new(TRUE), start, end);
        if (auto kern = ns::cast<NSNumber>(attributes->objectForKey(NSKernAttributeName)); kern && std::isfinite(kern->doubleValue()) && kern->doubleValue() != 0)
            insert(list, pango_attr_letter_spacing_new(static_cast<int>(std::lround(kern->doubleValue() * PANGO_SCALE))), start, end);
        if (auto superscript = ns::cast<NSNumber>(attributes->objectForKey(kCTSuperscriptAttributeName)); superscript && superscript->integerValue()) {
            const double rise = std::clamp<NSInteger>(superscript->integerValue(), -3, 3) * font->pointSize() / 3;
            insert(list, pango_attr_rise_new(static_cast<int>(std::lround(rise * PANGO_SCALE))), start, end);
        }
        if (auto runDelegate = ns::cast<CTRunDelegate>(attributes->objectForKey(kCTRunDelegateAttributeName))) {
            PangoRectangle logical {
                0,
                static_cast<int>(std::lround(-runDelegate->ascent() * PANGO_SCALE)),
                static_cast<int>(std::lround(runDelegate->width() * PANGO_SCALE)),
                static_cast<int>(std::lround((runDelegate->ascent() + runDelegate->descent()) * PANGO_SCALE)),
            };
            PangoRectangle ink { 0, 0, 0, 0 };
            insert(list, pango_attr_shape_new(&ink, &logical), start, end);
        }
    });
    return list;
}
