// Pages nested deep, made from the input by a generator: each step writes a tag from a list of
// those the parser treats specially (formatting, tables, lists, forms, text elements, drawings,
// frames), a piece of text or of markup syntax, or repeats what came before many times, so that
// misnesting patterns reach thousands of levels. The page is filtered, parsed, laid out
// and drawn as the web view does; a tree deeper than the filter allows stops the run.
#include "platform/graphics/CGBitmapContext.h"
#include "platform/host/HeadlessHost.h"
#include "platform/uikit/WebDocumentContainer.h"
#include "platform/uikit/WebMarkupFilter.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

// The font map keeps fontconfig's patterns for the life of the process, through pointers stored
// as offsets that the leak checker cannot follow.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

namespace {

constexpr std::array<std::string_view, 72> tags { "div", "b", "i", "a", "p", "li", "ul", "ol", "dl", "dd", "dt",
    "table", "tbody", "thead", "tfoot", "tr", "td", "th", "caption", "colgroup", "col", "form", "select", "option",
    "optgroup", "button", "nobr", "font", "span", "svg", "math", "foreignObject", "desc", "title", "style", "script",
    "textarea", "xmp", "iframe", "noembed", "noframes", "noscript", "plaintext", "template", "frameset", "frame",
    "h1", "h2", "pre", "listing", "object", "marquee", "applet", "image", "br", "hr", "img", "input", "body",
    "html", "head", "ruby", "rt", "u", "em", "strong", "center", "blockquote", "section", "menu", "label", "mi" };

constexpr std::array<std::string_view, 20> syntax { "<!--", "-->", "--!>", "<![CDATA[", "]]>", "<?", "</", "<",
    ">", "/>", "\"", "'", "=", " ", "\n", "<!DOCTYPE html>", "&lt;", "字", "word ", "<b id=x class='y'>" };

// Reads the input one byte at a time, as zeros once it has run out.
class Reader {
public:
    Reader(const uint8_t* data, size_t size)
        : m_data(data)
        , m_size(size)
    {
    }
    bool done() const { return m_at >= m_size; }
    uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at { 0 };
};

// Enough for a few thousand levels; larger pages only slow the run down.
constexpr size_t largestPage = 32 * 1024;

std::string generate(const uint8_t* data, size_t size)
{
    Reader input(data, size);
    std::string page;
    while (!input.done() && page.size() < largestPage) {
        const uint8_t op = input.next();
        switch (op % 8) {
        case 0:
        case 1:
        case 2: {
            const auto tag = tags[input.next() % tags.size()];
            page += '<';
            page += tag;
            if (op & 0x10)
                page += " id=x";
            if (op & 0x20)
                page += " title='</" + std::string(tag) + ">'";
            page += (op & 0x40) ? "/>" : ">";
            break;
        }
        case 3:
            page += "</";
            page += tags[input.next() % tags.size()];
            page += '>';
            break;
        case 4:
            page += syntax[input.next() % syntax.size()];
            break;
        case 5: {
            // The last few steps again, up to a couple of thousand times.
            const size_t back = std::min<size_t>(page.size(), 1 + input.next() % 64);
            const std::string pattern = page.substr(page.size() - back);
            const size_t times = 1 + size_t(input.next()) * 8;
            for (size_t i = 0; i < times && page.size() < largestPage; ++i)
                page += pattern;
            break;
        }
        default:
            page += "字 ";
            break;
        }
    }
    return page;
}

struct Fixture {
    Fixture() { host = HeadlessHost::create(); }
    std::shared_ptr<HeadlessHost> host;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Never destroyed: the host must not be torn down after the run loop's thread state at exit.
    static Fixture& fixture = *std::make_unique<Fixture>().release();
    (void)fixture;
    const std::string page = generate(data, size);
    const auto filtered = WebMarkupFilter::filter(page);
    if (filtered.deepest > WebMarkupFilter::defaultDepthLimit)
        std::abort();

    WebDocumentContainer container({});
    container.load(page, nullptr);
    // The html and body elements, then at most the filter's depth, then a word; a page whose
    // cells cost too much layout is shown as its text, which says nothing of its depth.
    if ((container.isShownAsText() && !container.hadCellsPastBudget()) || container.shape().depth > WebMarkupFilter::defaultDepthLimit + 3) {
        std::fprintf(stderr, "tree %zu deep\n", container.shape().depth);
        std::abort();
    }
    container.layout(data && size && (data[0] & 1) ? 980 : 320, 568);
    static auto context = CGBitmapContextCreate(nullptr, 320, 568, 8, 0, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    container.draw(context, CGRectMake(0, 0, 320, 568));
    container.click(CGPointMake(30, 30));
    return 0;
}
