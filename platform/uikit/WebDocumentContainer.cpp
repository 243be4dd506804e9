#include "platform/uikit/WebDocumentContainer.h"

#include "platform/foundation/NSData.h"
#include "platform/graphics/UIGraphics.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSNumber.h"
#include "platform/text/NSStringDrawing.h"
#include "platform/text/TextLayout.h"
#include "platform/text/UIStringDrawing.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/WebDefaultStyle.h"
#include "platform/uikit/WebLocalFile.h"
#include "platform/uikit/WebMarkupFilter.h"
#include "platform/uikit/WebMeteredCell.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>

namespace {

// Style sheets and pictures larger than this are not read: a page cannot make the view read
// a whole disk into memory.
constexpr NSUInteger largestResource = 16 * 1024 * 1024;
// A picture wider or taller than this is drawn at no size at all.
constexpr std::size_t largestImageSide = 16384;

std::string trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string lowercased(std::string text)
{
    for (auto& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The families of a CSS font-family list, unquoted, in order.
std::vector<std::string> families(const char* list)
{
    std::vector<std::string> names;
    std::string_view rest = list ? list : "";
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        std::string name = trimmed(rest.substr(0, comma));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        if (!name.empty())
            names.push_back(name);
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return names;
}

UIFontRef matchingFont(const std::vector<std::string>& names, CGFloat size, bool bold, bool italic)
{
    for (const auto& name : names) {
        const std::string generic = lowercased(name);
        if (generic == "sans-serif" || generic == "serif" || generic == "system-ui" || generic == "cursive"
            || generic == "fantasy")
            break;
        const NSString family = generic == "monospace" ? NSString("Courier") : NSString(name);
        if (bold || italic) {
            const char* suffixes[] = { bold && italic ? "-BoldOblique" : bold ? "-Bold" : "-Oblique",
                bold && italic ? "-BoldItalic" : bold ? "-Bold" : "-Italic" };
            for (const char* suffix : suffixes)
                if (auto font = UIFont::fontWithName(family.stringByAppendingString(suffix), size))
                    return font;
            continue;
        }
        if (auto font = UIFont::fontWithName(family, size))
            return font;
    }
    if (bold)
        return UIFont::boldSystemFontOfSize(size);
    if (italic)
        return UIFont::italicSystemFontOfSize(size);
    return UIFont::systemFontOfSize(size);
}

void setFillColor(const CGContextRef& context, const litehtml::web_color& color)
{
    CGContextSetRGBFillColor(context, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

CGRect rectOf(const litehtml::position& position)
{
    return CGRectMake(position.x, position.y, position.width, position.height);
}

// A rectangle with a radius of its own at each corner (the mean of the corner's two radii).
void addRoundedRect(const CGContextRef& context, CGRect rect, const litehtml::border_radiuses& radii)
{
    const CGFloat limit = std::min(rect.size.width, rect.size.height) / 2;
    // In double: a page can ask for radii near the int limits.
    const auto radius = [limit](int x, int y) { return std::clamp((double(x) + y) / 2.0, 0.0, limit); };
    const CGFloat topLeft = radius(radii.top_left_x, radii.top_left_y);
    const CGFloat topRight = radius(radii.top_right_x, radii.top_right_y);
    const CGFloat bottomRight = radius(radii.bottom_right_x, radii.bottom_right_y);
    const CGFloat bottomLeft = radius(radii.bottom_left_x, radii.bottom_left_y);
    const CGFloat left = CGRectGetMinX(rect), top = CGRectGetMinY(rect);
    const CGFloat right = CGRectGetMaxX(rect), bottom = CGRectGetMaxY(rect);
    CGContextMoveToPoint(context, left + topLeft, top);
    CGContextAddArcToPoint(context, right, top, right, bottom, topRight);
    CGContextAddArcToPoint(context, right, bottom, left, bottom, bottomRight);
    CGContextAddArcToPoint(context, left, bottom, left, top, bottomLeft);
    CGContextAddArcToPoint(context, left, top, right, top, topLeft);
    CGContextClosePath(context);
}

bool hasRadius(const litehtml::border_radiuses& radii)
{
    return radii.top_left_x || radii.top_left_y || radii.top_right_x || radii.top_right_y || radii.bottom_right_x
        || radii.bottom_right_y || radii.bottom_left_x || radii.bottom_left_y;
}

bool sameColor(const litehtml::web_color& a, const litehtml::web_color& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

bool visible(const litehtml::border& side)
{
    return side.width > 0 && side.style != litehtml::border_style_none && side.style != litehtml::border_style_hidden;
}

bool isBlank(char32_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Characters of the scripts written without spaces, each a place where a line may break.
bool isIdeographic(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3040 && c <= 0x30FF) || (c >= 0x3100 && c <= 0x312F)
        || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF)
        || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x2FFFF) || (c >= 0x3000 && c <= 0x303F)
        || (c >= 0xFF00 && c <= 0xFFEF);
}

// Punctuation that never starts a line, and punctuation that never ends one.
bool closesLine(char32_t c)
{
    static constexpr char32_t marks[] = { U'，', U'。', U'、', U'；', U'：', U'！', U'？', U'）', U'」', U'』', U'》', U'〉',
        U'】', U'〕', U'”', U'’', U'…', U'·', U',', U'.', U';', U':', U'!', U'?', U')', U']', U'}', U'%' };
    return std::find(std::begin(marks), std::end(marks), c) != std::end(marks);
}

bool opensLine(char32_t c)
{
    static constexpr char32_t marks[] = { U'（', U'「', U'『', U'《', U'〈', U'【', U'〔', U'“', U'‘', U'(', U'[', U'{' };
    return std::find(std::begin(marks), std::end(marks), c) != std::end(marks);
}

// The code point at text[index] and its length in bytes; malformed bytes count as one U+FFFD.
std::pair<char32_t, std::size_t> decodeAt(std::string_view text, std::size_t index)
{
    const auto lead = static_cast<unsigned char>(text[index]);
    std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || index + length > text.size())
        return { 0xFFFD, 1 };
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[index + i]);
        if ((next & 0xC0) != 0x80)
            return { 0xFFFD, 1 };
        c = (c << 6) | (next & 0x3F);
    }
    return { c, length };
}

} // namespace

WebDocumentContainer::WebDocumentContainer(Client client)
    : m_client(std::move(client))
    , m_meter(std::make_shared<WebLayoutMeter>(layoutBudget))
{
    m_engine.load_master_stylesheet(WebDefaultStyle::sheet());
}

WebDocumentContainer::~WebDocumentContainer()
{
    // The document gives its fonts back through this object, which must still be whole.
    m_document.reset();
}

void WebDocumentContainer::load(const std::string& html, const std::shared_ptr<NSURL>& baseURL)
{
    m_document.reset();
    m_title = nullptr;
    m_baseURL = baseURL;
    // Whatever base the page names for itself later, only a page read from a file reads files.
    m_localPage = baseURL && baseURL->isFileURL();
    m_localWaitLeft = localReadWait;
    m_images.clear();
    m_requestedImages.clear();
    m_styleSheets.clear();
    m_requestedStyleSheets.clear();
    m_html = WebMarkupFilter::filter(html).html;
    m_shownAsText = false;
    m_cellsPastBudget = false;
    parseWithinBounds();
}

void WebDocumentContainer::reparse()
{
    parseWithinBounds();
}

void WebDocumentContainer::parseWithinBounds()
{
    parse();
    const Shape built = shape();
    const bool tooDeep = built.depth > deepestTree || built.tables > WebMarkupFilter::tableNestingLimit;
    // The filter's count of what the parser nests fell short, or style sheets made tables of
    // nested blocks: the page is shown as its text. So it is when its cells would cost more
    // layout than the budget, known for certain only by laying it out; a page with tables is
    // laid out once here, at the last size or a phone's, which the first layout then keeps.
    if (tooDeep || double(built.elements) + built.cellWork > double(layoutBudget)
        || (built.tables > 0 && !render(m_clientWidth > 0 ? m_clientWidth : 320, m_clientHeight > 0 ? m_clientHeight : 568))) {
        m_cellsPastBudget = !tooDeep;
        showAsText();
    }
}

void WebDocumentContainer::showAsText()
{
    m_shownAsText = true;
    m_html = WebMarkupFilter::filter(m_html, 0, 0).html;
    parse();
}

void WebDocumentContainer::parse()
{
    m_document.reset();
    m_laidOutFor.reset();
    m_title = nullptr;
    m_document = litehtml::document::createFromUTF8(m_html.c_str(), this, &m_engine);
}

WebDocumentContainer::Shape WebDocumentContainer::shape() const
{
    Shape shape;
    if (!m_document || !m_document->root())
        return shape;
    struct Place {
        litehtml::element::ptr element;
        std::size_t depth;
        std::size_t tables;
        double passes;
        bool unmetered;
    };
    // Passes a table was measured to make over a cell's content: 3.6 with two columns and a
    // float in the cell, about 2.6 with auto widths, 2 with a fixed width. The layout counts
    // metered cells itself; here they count at 2, so that a page past the budget even so is
    // not laid out to find it out.
    constexpr double mostPasses = 3.6;
    constexpr double fewestPasses = 2;
    std::vector<Place> pending { { m_document->root(), 1, 0, 1, false } };
    while (!pending.empty()) {
        auto [element, depth, tables, passes, unmetered] = std::move(pending.back());
        pending.pop_back();
        const auto display = element->get_display();
        tables += display == litehtml::display_table || display == litehtml::display_inline_table;
        if (display == litehtml::display_table_cell) {
            const char* tag = element->get_tagName();
            unmetered = unmetered || !tag || !WebMeteredCell<litehtml::el_td>::meters(tag);
            passes *= unmetered ? mostPasses : fewestPasses;
        }
        ++shape.elements;
        shape.cellWork += passes - 1;
        shape.depth = std::max(shape.depth, depth);
        shape.tables = std::max(shape.tables, tables);
        for (std::size_t i = 0; i < element->get_children_count(); ++i)
            pending.push_back({ element->get_child(int(i)), depth + 1, tables, passes, unmetered });
    }
    return shape;
}

void WebDocumentContainer::addStyleSheet(const NSString& URL, std::string text)
{
    m_styleSheets[URL] = std::move(text);
}

CGSize WebDocumentContainer::layout(int width, int viewportHeight)
{
    if (!m_document)
        return CGSizeZero;
    if (!render(width, viewportHeight)) {
        m_cellsPastBudget = true;
        showAsText();
        render(width, viewportHeight);
        if (!m_document)
            return CGSizeZero;
    }
    return CGSizeMake(std::max(m_document->width(), 0), std::max(m_document->height(), 0));
}

bool WebDocumentContainer::render(int width, int viewportHeight)
{
    m_clientWidth = std::max(width, 1);
    m_clientHeight = std::max(viewportHeight, 1);
    if (!m_document || m_laidOutFor == std::pair { m_clientWidth, m_clientHeight })
        return true;
    m_meter->start(shape().elements);
    m_document->media_changed();
    m_document->render(m_clientWidth);
    if (m_meter->exceeded())
        return false;
    m_laidOutFor = std::pair { m_clientWidth, m_clientHeight };
    return true;
}

std::optional<int> WebDocumentContainer::declaredViewportWidth(int deviceWidth) const
{
    if (!m_document || !m_document->root())
        return std::nullopt;
    for (const auto& meta : m_document->root()->select_all(std::string("meta"))) {
        const char* name = meta->get_attr("name");
        const char* content = meta->get_attr("content");
        if (!name || !content || lowercased(trimmed(name)) != "viewport")
            continue;
        std::string_view rest = content;
        while (!rest.empty()) {
            const auto separator = rest.find_first_of(",;");
            const std::string entry = lowercased(trimmed(rest.substr(0, separator)));
            const auto equals = entry.find('=');
            if (equals != std::string::npos && trimmed(entry.substr(0, equals)) == "width") {
                const std::string value = trimmed(entry.substr(equals + 1));
                if (value == "device-width")
                    return deviceWidth;
                char* end = nullptr;
                const double number = std::strtod(value.c_str(), &end);
                // The platform's range for a declared width.
                if (end != value.c_str() && std::isfinite(number))
                    return int(std::clamp(number, 200.0, 10000.0));
            }
            if (separator == std::string_view::npos)
                break;
            rest.remove_prefix(separator + 1);
        }
    }
    return std::nullopt;
}

void WebDocumentContainer::draw(const CGContextRef& context, CGRect clip)
{
    if (!m_document || !context)
        return;
    m_context = context;
    m_clipDepth = 0;
    UIGraphicsPushContext(context);
    const litehtml::position area(int(std::floor(CGRectGetMinX(clip))), int(std::floor(CGRectGetMinY(clip))),
        int(std::ceil(clip.size.width)) + 1, int(std::ceil(clip.size.height)) + 1);
    m_document->draw(reinterpret_cast<litehtml::uint_ptr>(context.get()), 0, 0, &area);
    while (m_clipDepth > 0) {
        CGContextRestoreGState(context);
        --m_clipDepth;
    }
    UIGraphicsPopContext();
    m_context = nullptr;
}

void WebDocumentContainer::click(CGPoint point)
{
    if (!m_document)
        return;
    const int x = int(std::lround(point.x)), y = int(std::lround(point.y));
    litehtml::position::vector changed;
    m_document->on_mouse_over(x, y, x, y, changed);
    m_document->on_lbutton_down(x, y, x, y, changed);
    m_document->on_lbutton_up(x, y, x, y, changed);
    m_document->on_mouse_leave(changed);
}

std::optional<CGFloat> WebDocumentContainer::anchorTop(const NSString& name) const
{
    if (!m_document || !m_document->root() || name.length() == 0)
        return std::nullopt;
    const std::string wanted = name.UTF8String();
    // The whole tree in document order: an inline element has no box of its own, so its place is
    // that of the first thing after it which has one (its first text, or what follows when empty).
    std::vector<litehtml::element::ptr> order;
    std::vector<litehtml::element::ptr> pending { m_document->root() };
    while (!pending.empty()) {
        auto element = std::move(pending.back());
        pending.pop_back();
        if (!element)
            continue;
        for (std::size_t i = element->get_children_count(); i > 0; --i)
            pending.push_back(element->get_child(int(i - 1)));
        order.push_back(std::move(element));
    }
    const auto found = std::find_if(order.begin(), order.end(), [&](const litehtml::element::ptr& element) {
        const char* id = element->get_attr("id");
        const char* anchorName = element->get_attr("name");
        return (id && wanted == id) || (anchorName && wanted == anchorName);
    });
    if (found == order.end())
        return std::nullopt;
    const auto placed = [](const litehtml::element::ptr& element) {
        return element->get_display() != litehtml::display_inline || element->get_children_count() == 0;
    };
    if ((*found)->get_display() != litehtml::display_inline
        || ((*found)->get_children_count() == 0 && (*found)->get_placement().height > 0))
        return (*found)->get_placement().y;
    const auto next = std::find_if(found + 1, order.end(), placed);
    return (next == order.end() ? *found : *next)->get_placement().y;
}

std::shared_ptr<NSURL> WebDocumentContainer::resolve(const NSString& text, const NSString& base) const
{
    if (text.isNil())
        return nullptr;
    std::shared_ptr<NSURL> baseURL = m_baseURL;
    if (base.length() > 0)
        if (auto given = NSURL::URLWithString(base, m_baseURL))
            baseURL = given;
    return NSURL::URLWithString(NSString(trimmed(text.UTF8String())), baseURL);
}

void WebDocumentContainer::addImage(const NSString& URL, const UIImageRef& image)
{
    if (!image)
        return;
    m_images[URL] = image;
    // Its size takes the place the layout left.
    m_laidOutFor.reset();
}

UIImageRef WebDocumentContainer::imageFor(const char* src, const char* baseurl) const
{
    const auto URL = resolve(src ? NSString(src) : NSString(), baseurl ? NSString(baseurl) : NSString());
    if (!URL)
        return nullptr;
    const auto found = m_images.find(URL->absoluteString());
    return found == m_images.end() ? nullptr : found->second;
}

const WebDocumentContainer::Font* WebDocumentContainer::fontFor(litehtml::uint_ptr handle) const
{
    const auto found = m_fonts.find(handle);
    return found == m_fonts.end() ? nullptr : &found->second;
}

litehtml::uint_ptr WebDocumentContainer::create_font(const char* faceName, int size, int weight,
    litehtml::font_style italic, unsigned int decoration, litehtml::font_metrics* fm)
{
    const CGFloat points = std::clamp(size, 1, 1000);
    auto font = matchingFont(families(faceName), points, weight >= 600, italic == litehtml::fontStyleItalic);
    if (!font)
        return 0;
    const int height = int(std::lround(font->lineHeight()));
    const int descent = int(std::lround(-font->descender()));
    if (fm) {
        fm->ascent = int(std::lround(font->ascender()));
        fm->descent = descent;
        fm->height = height;
        fm->x_height = int(std::lround(font->xHeight()));
        fm->draw_spaces = decoration != litehtml::font_decoration_none;
    }
    const auto handle = m_nextFont++;
    m_fonts[handle] = Font { std::move(font), decoration, height, descent };
    return handle;
}

void WebDocumentContainer::delete_font(litehtml::uint_ptr font)
{
    m_fonts.erase(font);
}

int WebDocumentContainer::text_width(const char* text, litehtml::uint_ptr font)
{
    const Font* entry = fontFor(font);
    if (!entry || !text || !*text)
        return 0;
    return int(std::ceil(UIStringDrawing::sizeWithFont(NSString(text), entry->font).width));
}

void WebDocumentContainer::draw_text(litehtml::uint_ptr, const char* text, litehtml::uint_ptr font,
    litehtml::web_color color, const litehtml::position& pos)
{
    const Font* entry = fontFor(font);
    if (!entry || !m_context || !text)
        return;
    // The text layer draws the lines under and through the text where the line's fonts put them.
    auto attributes = NSMutableDictionary::dictionary();
    attributes->setObject(entry->font, NSFontAttributeName);
    attributes->setObject(UIColor::colorWithRed(color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0),
        NSForegroundColorAttributeName);
    if (entry->decoration & litehtml::font_decoration_underline)
        attributes->setObject(NSNumber::numberWithInteger(NSUnderlineStyleSingle), NSUnderlineStyleAttributeName);
    if (entry->decoration & litehtml::font_decoration_linethrough)
        attributes->setObject(NSNumber::numberWithInteger(NSUnderlineStyleSingle), NSStrikethroughStyleAttributeName);
    // On the baseline the engine chose from the font's own measures: a fallback face (the
    // Chinese glyphs of a Latin font) reaches higher and would push the line below its neighbours.
    const auto line = CTLineCreateWithAttributedString(NSAttributedString::withString(NSString(text), attributes));
    TextLayout::drawLine(line, m_context, CGPointMake(pos.x, pos.y + entry->height - entry->descent));
    if (entry->decoration & litehtml::font_decoration_overline) {
        setFillColor(m_context, color);
        const CGFloat width = NSStringDrawing::sizeWithAttributes(NSString(text), attributes).width;
        CGContextFillRect(m_context, CGRectMake(pos.x, pos.y, width, std::max(1.0, entry->font->underlineThickness())));
    }
}

int WebDocumentContainer::pt_to_px(int pt) const
{
    return int(std::lround(pt * 96.0 / 72.0));
}

int WebDocumentContainer::get_default_font_size() const
{
    return 16;
}

const char* WebDocumentContainer::get_default_font_name() const
{
    return "Helvetica";
}

void WebDocumentContainer::draw_list_marker(litehtml::uint_ptr, const litehtml::list_marker& marker)
{
    if (!m_context)
        return;
    if (!marker.image.empty()) {
        if (auto image = imageFor(marker.image.c_str(), marker.baseurl)) {
            image->drawInRect(rectOf(marker.pos));
            return;
        }
    }
    setFillColor(m_context, marker.color);
    CGContextSetRGBStrokeColor(m_context, marker.color.red / 255.0, marker.color.green / 255.0,
        marker.color.blue / 255.0, marker.color.alpha / 255.0);
    const CGRect box = rectOf(marker.pos);
    switch (marker.marker_type) {
    case litehtml::list_style_type_none:
        return;
    case litehtml::list_style_type_circle:
        CGContextSetLineWidth(m_context, 1);
        CGContextStrokeEllipseInRect(m_context, CGRectInset(box, 0.5, 0.5));
        return;
    case litehtml::list_style_type_disc:
        CGContextFillEllipseInRect(m_context, box);
        return;
    case litehtml::list_style_type_square:
        CGContextFillRect(m_context, box);
        return;
    default:
        break;
    }
    // Every numbered style is drawn in decimal digits, before the marker's box.
    const Font* entry = fontFor(marker.font);
    if (!entry)
        return;
    const NSString number = NSString(std::to_string(marker.index) + ".");
    const CGSize size = UIStringDrawing::sizeWithFont(number, entry->font);
    const CGFloat baseline = CGRectGetMaxY(box);
    UIStringDrawing::drawAtPoint(number,
        CGPointMake(CGRectGetMaxX(box) - size.width, baseline - entry->font->ascender()), entry->font);
}

std::shared_ptr<NSData> WebDocumentContainer::localFile(const std::shared_ptr<NSURL>& URL, std::size_t limit)
{
    if (!m_localPage || !URL || !URL->isFileURL() || m_localWaitLeft <= std::chrono::milliseconds::zero())
        return nullptr;
    // Read on the reading queue; the page waits for it a while in all, then goes on without.
    auto reading = std::make_shared<std::promise<WebLocalFile::Contents>>();
    auto contents = reading->get_future();
    WebLocalFile::readInBackground(URL->path().UTF8String(), limit, m_localWaitLeft,
        [reading](WebLocalFile::Contents read) { reading->set_value(std::move(read)); });
    const auto start = std::chrono::steady_clock::now();
    const bool arrived = contents.wait_for(m_localWaitLeft) == std::future_status::ready;
    m_localWaitLeft -= std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (!arrived) {
        m_localWaitLeft = std::chrono::milliseconds::zero();
        return nullptr;
    }
    const auto read = contents.get();
    return read.outcome == WebLocalFile::Outcome::Read ? read.data : nullptr;
}

void WebDocumentContainer::load_image(const char* src, const char* baseurl, bool)
{
    const auto URL = resolve(src ? NSString(src) : NSString(), baseurl ? NSString(baseurl) : NSString());
    if (!URL)
        return;
    const NSString key = URL->absoluteString();
    if (m_images.count(key) || !m_requestedImages.insert(key).second)
        return;
    if (URL->isFileURL()) {
        if (auto data = localFile(URL, largestResource))
            addImage(key, UIImage::imageWithData(data));
        return;
    }
    const NSString scheme = URL->scheme().lowercaseString();
    if ((scheme == NSString("http") || scheme == NSString("https")) && m_client.remoteImageWanted)
        m_client.remoteImageWanted(URL);
}

void WebDocumentContainer::get_image_size(const char* src, const char* baseurl, litehtml::size& sz)
{
    sz.width = sz.height = 0;
    auto image = imageFor(src, baseurl);
    if (!image || !image->CGImage())
        return;
    // A picture is as many CSS pixels wide as it has pixels, whatever its name says of its scale.
    const std::size_t width = CGImageGetWidth(image->CGImage()), height = CGImageGetHeight(image->CGImage());
    if (width > largestImageSide || height > largestImageSide)
        return;
    const bool sideways = image->imageOrientation() >= UIImageOrientationLeft
        && image->imageOrientation() != UIImageOrientationUpMirrored
        && image->imageOrientation() != UIImageOrientationDownMirrored;
    sz.width = int(sideways ? height : width);
    sz.height = int(sideways ? width : height);
}

void WebDocumentContainer::draw_background(litehtml::uint_ptr, const litehtml::background_paint& bg)
{
    if (!m_context)
        return;
    const CGRect clip = rectOf(bg.clip_box);
    CGContextSaveGState(m_context);
    if (hasRadius(bg.border_radius)) {
        CGContextBeginPath(m_context);
        addRoundedRect(m_context, rectOf(bg.border_box), bg.border_radius);
        CGContextClip(m_context);
    }
    if (bg.color.alpha > 0) {
        setFillColor(m_context, bg.color);
        CGContextFillRect(m_context, clip);
    }
    auto image = bg.image.empty() ? nullptr : imageFor(bg.image.c_str(), bg.baseurl.c_str());
    const CGFloat width = bg.image_size.width, height = bg.image_size.height;
    if (image && width >= 1 && height >= 1) {
        CGContextClipToRect(m_context, clip);
        // The engine gives the picture's place in page coordinates, origin box included.
    CGFloat x = bg.position_x, y = bg.position_y;
        const bool repeatX = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_x;
        const bool repeatY = bg.repeat == litehtml::background_repeat_repeat || bg.repeat == litehtml::background_repeat_repeat_y;
        if (repeatX)
            x -= std::ceil((x - CGRectGetMinX(clip)) / width) * width;
        if (repeatY)
            y -= std::ceil((y - CGRectGetMinY(clip)) / height) * height;
        const CGFloat endX = repeatX ? CGRectGetMaxX(clip) : x + width;
        const CGFloat endY = repeatY ? CGRectGetMaxY(clip) : y + height;
        // Enough copies for any box, not unbounded work for a tiny picture in a huge box.
        int copies = 0;
        for (CGFloat top = y; top < endY && copies < 4096; top += height)
            for (CGFloat left = x; left < endX && copies < 4096; left += width, ++copies)
                image->drawInRect(CGRectMake(left, top, width, height));
    }
    CGContextRestoreGState(m_context);
}

void WebDocumentContainer::draw_borders(litehtml::uint_ptr, const litehtml::borders& borders,
    const litehtml::position& draw_pos, bool)
{
    if (!m_context)
        return;
    const CGRect box = rectOf(draw_pos);
    const bool uniform = visible(borders.top) && borders.top.width == borders.left.width
        && borders.top.width == borders.right.width && borders.top.width == borders.bottom.width
        && sameColor(borders.top.color, borders.left.color) && sameColor(borders.top.color, borders.right.color)
        && sameColor(borders.top.color, borders.bottom.color);
    if (uniform && hasRadius(borders.radius)) {
        const CGFloat width = borders.top.width;
        CGContextSaveGState(m_context);
        const auto& color = borders.top.color;
        CGContextSetRGBStrokeColor(m_context, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
        CGContextSetLineWidth(m_context, width);
        CGContextBeginPath(m_context);
        addRoundedRect(m_context, CGRectInset(box, width / 2, width / 2), borders.radius);
        CGContextStrokePath(m_context);
        CGContextRestoreGState(m_context);
        return;
    }
    // FIXME: every visible style is drawn solid; dotted, dashed and the 3-D styles are rare in
    // the pages shown.
    const auto side = [&](const litehtml::border& border, CGRect rect) {
        if (!visible(border))
            return;
        setFillColor(m_context, border.color);
        CGContextFillRect(m_context, rect);
    };
    side(borders.top, CGRectMake(box.origin.x, box.origin.y, box.size.width, borders.top.width));
    side(borders.bottom, CGRectMake(box.origin.x, CGRectGetMaxY(box) - borders.bottom.width, box.size.width, borders.bottom.width));
    side(borders.left, CGRectMake(box.origin.x, box.origin.y, borders.left.width, box.size.height));
    side(borders.right, CGRectMake(CGRectGetMaxX(box) - borders.right.width, box.origin.y, borders.right.width, box.size.height));
}

void WebDocumentContainer::set_caption(const char* caption)
{
    m_title = NSString(caption ? caption : "");
}

void WebDocumentContainer::set_base_url(const char* base_url)
{
    if (auto URL = resolve(base_url ? NSString(base_url) : NSString()))
        m_baseURL = URL;
}

void WebDocumentContainer::link(const std::shared_ptr<litehtml::document>&, const litehtml::element::ptr&) { }

void WebDocumentContainer::on_anchor_click(const char* url, const litehtml::element::ptr&)
{
    if (url && m_client.anchorClicked)
        m_client.anchorClicked(NSString(url));
}

void WebDocumentContainer::set_cursor(const char*) { }

void WebDocumentContainer::transform_text(litehtml::tstring& text, litehtml::text_transform tt)
{
    const NSString original(text);
    switch (tt) {
    case litehtml::text_transform_uppercase:
        text = original.uppercaseString().UTF8String();
        break;
    case litehtml::text_transform_lowercase:
        text = original.lowercaseString().UTF8String();
        break;
    case litehtml::text_transform_capitalize:
        text = original.capitalizedString().UTF8String();
        break;
    case litehtml::text_transform_none:
        break;
    }
}

void WebDocumentContainer::import_css(litehtml::tstring& text, const litehtml::tstring& url, litehtml::tstring& baseurl)
{
    text.clear();
    const auto URL = resolve(NSString(url), NSString(baseurl));
    if (!URL)
        return;
    const NSString key = URL->absoluteString();
    if (auto found = m_styleSheets.find(key); found != m_styleSheets.end()) {
        text = found->second;
        baseurl = key.UTF8String();
        return;
    }
    if (!URL->isFileURL()) {
        // A sheet from the network is laid in when it has arrived; until then the page goes without.
        const NSString scheme = URL->scheme().lowercaseString();
        if ((scheme == NSString("http") || scheme == NSString("https")) && m_client.remoteStyleSheetWanted
            && m_requestedStyleSheets.insert(key).second)
            m_client.remoteStyleSheetWanted(URL);
        return;
    }
    // A sheet read once (or found unreadable) is not read again when the page is parsed again.
    auto data = localFile(URL, largestResource);
    if (data)
        text.assign(reinterpret_cast<const char*>(data->bytes()), data->length());
    m_styleSheets[key] = text;
    // Pictures named in the sheet are relative to the sheet.
    baseurl = key.UTF8String();
}

void WebDocumentContainer::set_clip(const litehtml::position& pos, const litehtml::border_radiuses& radii,
    bool valid_x, bool valid_y)
{
    if (!m_context)
        return;
    CGContextSaveGState(m_context);
    ++m_clipDepth;
    constexpr CGFloat everywhere = 1e7;
    CGRect rect = rectOf(pos);
    if (!valid_x) {
        rect.origin.x = -everywhere;
        rect.size.width = 2 * everywhere;
    }
    if (!valid_y) {
        rect.origin.y = -everywhere;
        rect.size.height = 2 * everywhere;
    }
    if (valid_x && valid_y && hasRadius(radii)) {
        CGContextBeginPath(m_context);
        addRoundedRect(m_context, rect, radii);
        CGContextClip(m_context);
    } else {
        CGContextClipToRect(m_context, rect);
    }
}

void WebDocumentContainer::del_clip()
{
    if (!m_context || m_clipDepth == 0)
        return;
    CGContextRestoreGState(m_context);
    --m_clipDepth;
}

void WebDocumentContainer::get_client_rect(litehtml::position& client) const
{
    client = litehtml::position(0, 0, m_clientWidth, m_clientHeight);
}

std::shared_ptr<litehtml::element> WebDocumentContainer::create_element(const char* tag_name, const litehtml::string_map&,
    const std::shared_ptr<litehtml::document>& doc)
{
    // The engine's own classes, metered when they are laid out as cells.
    if (!tag_name || !WebMeteredCell<litehtml::el_td>::meters(tag_name))
        return nullptr;
    if (std::string_view(tag_name).size() == 2)
        return std::make_shared<WebMeteredCell<litehtml::el_td>>(doc, m_meter);
    return std::make_shared<WebMeteredCell<litehtml::el_div>>(doc, m_meter);
}

void WebDocumentContainer::get_media_features(litehtml::media_features& media) const
{
    media.type = litehtml::media_type_screen;
    media.width = m_clientWidth;
    media.height = m_clientHeight;
    media.device_width = 320;
    media.device_height = 568;
    media.color = 8;
    media.color_index = 0;
    media.monochrome = 0;
    media.resolution = 192;
}

void WebDocumentContainer::get_language(litehtml::tstring& language, litehtml::tstring& culture) const
{
    language = "zh";
    culture = "zh-CN";
}

void WebDocumentContainer::split_text(const char* text, const std::function<void(const char*)>& on_word,
    const std::function<void(const char*)>& on_space)
{
    if (!text)
        return;
    const std::string_view all(text);
    std::string word;
    // Whether a line may break after the word built so far.
    bool breakAfter = false;
    char32_t last = 0;
    const auto flush = [&] {
        if (!word.empty())
            on_word(word.c_str());
        word.clear();
        breakAfter = false;
    };
    for (std::size_t index = 0; index < all.size();) {
        const auto [c, length] = decodeAt(all, index);
        const std::string bytes(all.substr(index, length));
        index += length;
        if (c == ' ' && !word.empty() && index < all.size() && !isBlank(all[index])) {
            // A word takes the one space after it along: one piece of the page instead of two,
            // and a line still breaks there.
            word += ' ';
            flush();
            continue;
        }
        if (isBlank(c)) {
            flush();
            on_space(bytes.c_str());
            continue;
        }
        if (closesLine(c)) {
            word += bytes;
            last = c;
            breakAfter = isIdeographic(c);
            continue;
        }
        if (breakAfter || (isIdeographic(c) && !word.empty() && !opensLine(last)))
            flush();
        word += bytes;
        last = c;
        breakAfter = isIdeographic(c) && !opensLine(c);
    }
    flush();
}
