#include "platform/uikit/WebMarkupFilter.h"

#include <algorithm>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lowered(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

enum TagFlag : unsigned {
    Void = 1 << 0,
    RawText = 1 << 1, // read as text up to the element's end tag
    ClosesParagraph = 1 << 2,
    Heading = 1 << 3,
    ScopeBoundary = 1 << 4,
    Formatting = 1 << 5,
    Special = 1 << 6,
    TablePart = 1 << 7,
    EndsForeign = 1 << 8, // ends embedded SVG or MathML, read as HTML again
};

unsigned flagsOf(std::string_view name)
{
    static const auto table = [] {
        std::unordered_map<std::string_view, unsigned> flags;
        const auto mark = [&](unsigned flag, std::initializer_list<std::string_view> names) {
            for (const auto name : names)
                flags[name] |= flag;
        };
        mark(Void, { "area", "base", "basefont", "bgsound", "br", "col", "embed", "hr", "image", "img", "input",
                       "isindex", "link", "meta", "param", "source", "track", "wbr" });
        mark(RawText, { "script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes" });
        mark(ClosesParagraph, { "address", "article", "aside", "blockquote", "center", "details", "dialog", "dir",
                                  "div", "dl", "fieldset", "figcaption", "figure", "footer", "header", "hgroup", "main",
                                  "menu", "nav", "ol", "p", "section", "summary", "ul", "h1", "h2", "h3", "h4", "h5",
                                  "h6", "pre", "listing", "form", "table", "hr", "li", "dd", "dt", "xmp" });
        mark(Heading, { "h1", "h2", "h3", "h4", "h5", "h6" });
        mark(ScopeBoundary, { "applet", "caption", "html", "table", "td", "th", "marquee", "object", "template" });
        mark(Formatting, { "a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike", "strong", "tt", "u" });
        mark(Special, { "address", "applet", "area", "article", "aside", "base", "basefont", "bgsound", "blockquote",
                          "body", "br", "button", "caption", "center", "col", "colgroup", "dd", "details", "dialog",
                          "dir", "div", "dl", "dt", "embed", "fieldset", "figcaption", "figure", "footer", "form",
                          "frame", "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head", "header", "hgroup", "hr",
                          "html", "iframe", "img", "input", "keygen", "li", "link", "listing", "main", "marquee",
                          "menu", "meta", "nav", "noembed", "noframes", "noscript", "object", "ol", "p", "param",
                          "plaintext", "pre", "script", "section", "select", "source", "style", "summary", "table",
                          "tbody", "td", "template", "textarea", "tfoot", "th", "thead", "title", "tr", "track", "ul",
                          "wbr", "xmp" });
        mark(TablePart, { "table", "tbody", "thead", "tfoot", "tr", "td", "th", "caption", "colgroup" });
        mark(EndsForeign, { "b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt", "em",
                              "embed", "h1", "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li", "listing",
                              "menu", "meta", "nobr", "ol", "p", "pre", "ruby", "s", "small", "span", "strong",
                              "strike", "sub", "sup", "table", "tt", "u", "ul", "var" });
        return flags;
    }();
    const auto found = table.find(name);
    return found == table.end() ? 0 : found->second;
}

struct Tag {
    std::size_t begin { 0 };
    std::size_t end { 0 };
    std::string name;
    bool closing { false };
    bool selfClosing { false };
};

// The tag that starts at begin ("<" or "</" then a letter), read through the tokenizer's states
// for names and attribute values, so that a '>' inside a quoted value does not end it; nullopt
// when the page ends inside it.
std::optional<Tag> scanTag(std::string_view in, std::size_t begin)
{
    Tag tag;
    tag.begin = begin;
    tag.closing = in[begin + 1] == '/';
    std::size_t i = begin + (tag.closing ? 2 : 1);
    const std::size_t n = in.size();
    while (i < n && !isSpace(in[i]) && in[i] != '/' && in[i] != '>')
        tag.name += lowered(in[i++]);
    enum class State { BeforeName, Name, AfterName, BeforeValue, Quoted, Unquoted, AfterQuoted, SelfClosing };
    State state = State::BeforeName;
    char quote = 0;
    const auto ended = [&](std::size_t at) {
        tag.end = at + 1;
        return tag;
    };
    // Where an attribute name may start, as the state before an attribute name reads c.
    const auto beforeName = [&](char c) {
        if (isSpace(c))
            return State::BeforeName;
        return c == '/' ? State::SelfClosing : State::Name;
    };
    for (; i < n; ++i) {
        const char c = in[i];
        switch (state) {
        case State::BeforeName:
            if (c == '>')
                return ended(i);
            state = beforeName(c);
            break;
        case State::Name:
            if (c == '>')
                return ended(i);
            state = isSpace(c) ? State::AfterName : c == '/' ? State::SelfClosing : c == '=' ? State::BeforeValue : State::Name;
            break;
        case State::AfterName:
            if (c == '>')
                return ended(i);
            state = isSpace(c) ? State::AfterName : c == '/' ? State::SelfClosing : c == '=' ? State::BeforeValue : State::Name;
            break;
        case State::BeforeValue:
            if (c == '>')
                return ended(i);
            if (c == '"' || c == '\'') {
                quote = c;
                state = State::Quoted;
            } else if (!isSpace(c)) {
                state = State::Unquoted;
            }
            break;
        case State::Quoted:
            if (c == quote)
                state = State::AfterQuoted;
            break;
        case State::Unquoted:
            if (c == '>')
                return ended(i);
            if (isSpace(c))
                state = State::BeforeName;
            break;
        case State::AfterQuoted:
            if (c == '>')
                return ended(i);
            state = beforeName(c);
            break;
        case State::SelfClosing:
            if (c == '>') {
                tag.selfClosing = true;
                return ended(i);
            }
            state = beforeName(c);
            break;
        }
    }
    return std::nullopt;
}

// Just past the comment whose "<!--" ends before `from`, by the tokenizer's comment states.
std::size_t commentEnd(std::string_view in, std::size_t from)
{
    enum class State { Start, StartDash, Comment, EndDash, End, Bang };
    State state = State::Start;
    for (std::size_t i = from; i < in.size(); ++i) {
        const char c = in[i];
        switch (state) {
        case State::Start:
        case State::StartDash:
            if (c == '>')
                return i + 1;
            state = c != '-' ? State::Comment : state == State::Start ? State::StartDash : State::End;
            break;
        case State::Comment:
            if (c == '-')
                state = State::EndDash;
            break;
        case State::EndDash:
            state = c == '-' ? State::End : State::Comment;
            break;
        case State::End:
            if (c == '>')
                return i + 1;
            state = c == '!' ? State::Bang : c == '-' ? State::End : State::Comment;
            break;
        case State::Bang:
            if (c == '>')
                return i + 1;
            state = c == '-' ? State::EndDash : State::Comment;
            break;
        }
    }
    return in.size();
}

std::size_t pastNextGreaterThan(std::string_view in, std::size_t from)
{
    const auto at = in.find('>', from);
    return at == std::string_view::npos ? in.size() : at + 1;
}

bool startsWithFolded(std::string_view in, std::size_t at, std::string_view prefix)
{
    if (in.size() - at < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lowered(in[at + i]) != prefix[i])
            return false;
    return true;
}

class Builder {
public:
    Builder(std::string_view in, std::size_t depthLimit, std::size_t elementLimit)
        : m_in(in)
        , m_depthLimit(depthLimit)
        , m_elementLimit(elementLimit)
    {
        m_result.html.reserve(in.size() + in.size() / 8);
    }

    WebMarkupFilter::Result run()
    {
        const std::size_t n = m_in.size();
        std::size_t at = 0;
        while (at < n) {
            const auto open = m_in.find('<', at);
            if (open == std::string_view::npos) {
                text(m_in.substr(at));
                break;
            }
            text(m_in.substr(at, open - at));
            at = markup(open);
        }
        return std::move(m_result);
    }

private:
    // Reads what starts at the '<' and answers where reading goes on.
    std::size_t markup(std::size_t open)
    {
        const std::size_t n = m_in.size();
        const char next = open + 1 < n ? m_in[open + 1] : '\0';
        if (isLetter(next) || (next == '/' && open + 2 < n && isLetter(m_in[open + 2]))) {
            auto tag = scanTag(m_in, open);
            if (!tag)
                return n; // the parser drops a tag the page ends in
            if (m_foreign.nesting > 0)
                foreignTag(*tag);
            else if (tag->closing)
                endTag(*tag);
            else
                startTag(*tag);
            return std::max(tag->end, m_resumeAt);
        }
        if (next == '/') {
            if (open + 2 >= n) {
                text("</");
                return n;
            }
            return m_in[open + 2] == '>' ? open + 3 : pastNextGreaterThan(m_in, open + 2);
        }
        if (next == '!') {
            if (m_in.compare(open, 4, "<!--") == 0)
                return commentEnd(m_in, open + 4);
            if (m_foreign.nesting > 0 && m_in.compare(open, 9, "<![CDATA[") == 0) {
                const auto end = m_in.find("]]>", open + 9);
                return end == std::string_view::npos ? n : end + 3;
            }
            const auto end = pastNextGreaterThan(m_in, open + 2);
            if (m_foreign.nesting == 0 && startsWithFolded(m_in, open + 2, "doctype"))
                emit(m_in.substr(open, end - open));
            return end;
        }
        if (next == '?')
            return pastNextGreaterThan(m_in, open + 1);
        text("<");
        return open + 1;
    }

    void text(std::string_view text)
    {
        if (m_foreign.nesting > 0 || text.empty())
            return;
        for (char c : text) {
            if (c == '<')
                m_result.html += "&lt;";
            else
                m_result.html += c;
        }
    }

    // A tag as written, with any '<' inside it escaped so that it opens nothing.
    void emit(std::string_view markup)
    {
        m_result.html += markup.front();
        for (char c : markup.substr(1)) {
            if (c == '<')
                m_result.html += "&lt;";
            else
                m_result.html += c;
        }
    }

    void emitTag(const Tag& tag)
    {
        emit(m_in.substr(tag.begin, tag.end - tag.begin));
    }

    // Inside embedded SVG or MathML, which the view cannot draw: everything is left out up to its
    // end, or up to a tag that the parser would take as HTML again.
    void foreignTag(const Tag& tag)
    {
        if (tag.name == m_foreign.name && !tag.selfClosing) {
            m_foreign.nesting += tag.closing ? -1 : 1;
            return;
        }
        if (!tag.closing && (flagsOf(tag.name) & EndsForeign)) {
            m_foreign.nesting = 0;
            startTag(tag);
        }
    }

    struct Open {
        std::string name;
        unsigned flags;
    };

    std::size_t top() const { return m_open.size(); }
    const std::string& nameAt(std::size_t index) const { return m_open[index - 1].name; }

    void push(std::string name)
    {
        const unsigned flags = flagsOf(name);
        m_tables += name == "table";
        m_open.push_back({ std::move(name), flags });
        m_result.deepest = std::max(m_result.deepest, m_open.size());
    }

    // Closes the open elements down to and with the one at the index, each by an end tag.
    void closeDownTo(std::size_t index)
    {
        while (m_open.size() >= index && index > 0) {
            m_result.html += "</";
            m_result.html += m_open.back().name;
            m_result.html += '>';
            m_tables -= m_open.back().name == "table";
            m_open.pop_back();
        }
    }

    // The index of the nearest open element for which found() holds, looking down from the top
    // until stop() holds first; 0 when none.
    template <typename Found, typename Stop>
    std::size_t nearest(Found found, Stop stop) const
    {
        for (std::size_t index = top(); index > 0; --index) {
            if (found(m_open[index - 1]))
                return index;
            if (stop(m_open[index - 1]))
                return 0;
        }
        return 0;
    }

    std::size_t inScope(std::string_view name, bool buttonScope = false, bool listScope = false) const
    {
        return nearest([&](const Open& open) { return open.name == name; },
            [&](const Open& open) {
                return (open.flags & ScopeBoundary) || (buttonScope && open.name == "button")
                    || (listScope && (open.name == "ol" || open.name == "ul"));
            });
    }

    void startTag(const Tag& tag)
    {
        const std::string& name = tag.name;
        const unsigned flags = flagsOf(name);
        if (name == "svg" || name == "math") {
            if (!tag.selfClosing)
                m_foreign = { name, 1 };
            return;
        }
        if (name == "frameset" || name == "frame" || name == "plaintext" || name == "keygen")
            return;
        if (name == "html" || name == "head" || name == "body") {
            emitTag(tag);
            return;
        }
        if (name == "form" && nearest([](const Open& open) { return open.name == "form"; }, [](const Open&) { return false; })) {
            ++m_phantoms[name];
            return;
        }

        // What the parser closes before it opens this element is closed here, in end tags.
        if (flags & ClosesParagraph)
            closeDownTo(inScope("p", true));
        if ((flags & Heading) && top() > 0 && (m_open.back().flags & Heading))
            closeDownTo(top());
        if (name == "li" || name == "dd" || name == "dt") {
            const bool listItem = name == "li";
            closeDownTo(nearest(
                [&](const Open& open) { return listItem ? open.name == "li" : (open.name == "dd" || open.name == "dt"); },
                [](const Open& open) {
                    return (open.flags & Special) && open.name != "address" && open.name != "div" && open.name != "p";
                }));
        }
        if (name == "a" || name == "nobr")
            closeDownTo(nearest([&](const Open& open) { return open.name == name; },
                [](const Open& open) { return open.flags & ScopeBoundary; }));
        if (name == "button")
            closeDownTo(inScope("button"));
        if ((name == "option" || name == "optgroup") && top() > 0 && nameAt(top()) == "option")
            closeDownTo(top());
        if (name == "select") {
            // A select inside a select ends the first and opens nothing.
            if (const auto open = inScope("select")) {
                closeDownTo(open);
                ++m_phantoms[name];
                return;
            }
        }

        std::vector<std::string_view> implied;
        const bool tablePart = (flags & TablePart) || name == "col";
        if (tablePart) {
            const auto table = nearest([](const Open& open) { return open.name == "table"; },
                [](const Open& open) { return open.name == "template"; });
            if (name == "table") {
                // A table straight inside a table (not in a cell) ends the first.
                const auto context = nearest([](const Open& open) { return open.flags & TablePart; },
                    [](const Open&) { return false; });
                if (context && table && nameAt(context) != "td" && nameAt(context) != "th" && nameAt(context) != "caption")
                    closeDownTo(table);
                else
                    closeDownTo(inScope("p", true));
            } else if (!table) {
                return; // the parser ignores parts of a table outside one
            } else if (name == "col" && nameAt(top()) == "colgroup") {
            } else if (name == "tr" || name == "td" || name == "th") {
                const bool cell = name != "tr";
                const auto section = nearest(
                    [&](const Open& open) {
                        return open.name == "tbody" || open.name == "thead" || open.name == "tfoot"
                            || open.name == "table" || (cell && open.name == "tr");
                    },
                    [](const Open&) { return false; });
                closeDownTo(section + 1);
                if (nameAt(section) == "table")
                    implied.push_back("tbody");
                if (cell && nameAt(section) != "tr")
                    implied.push_back("tr");
            } else {
                closeDownTo(table + 1);
                if (name == "col")
                    implied.push_back("colgroup");
            }
        }

        const bool isVoid = flags & Void;
        const bool rawText = flags & RawText;
        const std::size_t cost = implied.size() + 1;
        if (top() + cost > m_depthLimit || m_result.elements + cost > m_elementLimit
            || (name == "table" && m_tables >= WebMarkupFilter::tableNestingLimit)) {
            ++m_result.dropped;
            if (rawText)
                skipRawText(tag, false);
            else if (!isVoid)
                ++m_phantoms[name];
            return;
        }
        for (const auto implicit : implied) {
            m_result.html += '<';
            m_result.html += implicit;
            m_result.html += '>';
            push(std::string(implicit));
        }
        m_result.elements += cost;
        emitTag(tag);
        if (rawText) {
            m_result.deepest = std::max(m_result.deepest, top() + 1);
            skipRawText(tag, true);
        } else if (isVoid) {
            m_result.deepest = std::max(m_result.deepest, top() + 1);
        } else {
            push(name);
        }
    }

    // The text of a script, style, title and the like, up to its end tag: written out (when kept)
    // without a '<', so that it can hide no tag from the parser, whether the parser reads it as
    // text or as markup; then closed by an end tag of its own.
    void skipRawText(const Tag& tag, bool keep)
    {
        const std::size_t n = m_in.size();
        std::size_t end = tag.end, resume = n;
        for (;;) {
            end = m_in.find("</", end);
            if (end == std::string_view::npos) {
                end = n;
                break;
            }
            const std::size_t after = end + 2 + tag.name.size();
            if (after < n && startsWithFolded(m_in, end + 2, tag.name) && (isSpace(m_in[after]) || m_in[after] == '/' || m_in[after] == '>')) {
                const auto closing = scanTag(m_in, end);
                resume = closing ? closing->end : n;
                break;
            }
            end += 2;
        }
        m_resumeAt = resume;
        if (!keep)
            return;
        const std::string_view content = m_in.substr(tag.end, end - tag.end);
        const bool escaped = tag.name == "textarea" || tag.name == "title" || tag.name == "xmp";
        for (std::size_t i = 0; i < content.size(); ++i) {
            if (content[i] != '<') {
                m_result.html += content[i];
            } else if (escaped) {
                m_result.html += "&lt;";
            } else if (content.compare(i, 4, "<!--") == 0) {
                // An old style sheet's comment opener, which a style sheet reads as white space.
                m_result.html += "    ";
                i += 3;
            } else {
                m_result.html += ' ';
            }
        }
        m_result.html += "</";
        m_result.html += tag.name;
        m_result.html += '>';
    }

    void endTag(const Tag& tag)
    {
        const std::string& name = tag.name;
        if (auto phantom = m_phantoms.find(name); phantom != m_phantoms.end() && phantom->second > 0) {
            --phantom->second;
            return;
        }
        if (name == "br") {
            // Read as a line break, as the parser does.
            if (top() + 1 <= m_depthLimit && m_result.elements + 1 <= m_elementLimit) {
                ++m_result.elements;
                m_result.deepest = std::max(m_result.deepest, top() + 1);
                m_result.html += "<br>";
            }
            return;
        }
        if (name == "p") {
            closeDownTo(inScope("p", true));
            return;
        }
        if (name == "li") {
            closeDownTo(inScope("li", false, true));
            return;
        }
        const unsigned flags = flagsOf(name);
        if (flags & Heading) {
            closeDownTo(nearest([](const Open& open) { return open.flags & Heading; },
                [](const Open& open) { return open.flags & ScopeBoundary; }));
            return;
        }
        if (flags & TablePart) {
            closeDownTo(nearest([&](const Open& open) { return open.name == name; },
                [&](const Open& open) { return open.name == "template" || (open.name == "table" && name != "table"); }));
            return;
        }
        const bool anyOther = !(flags & (Special | Formatting));
        closeDownTo(nearest([&](const Open& open) { return open.name == name; },
            [&](const Open& open) { return (open.flags & ScopeBoundary) || (anyOther && (open.flags & Special)); }));
    }

    std::string_view m_in;
    std::size_t m_depthLimit;
    std::size_t m_elementLimit;
    WebMarkupFilter::Result m_result;
    // The elements open, outermost first (the document's own html and body are not counted).
    std::vector<Open> m_open;
    std::size_t m_tables { 0 };
    // Start tags left out, by name, whose end tags are to be left out too.
    std::map<std::string, std::size_t, std::less<>> m_phantoms;
    struct {
        std::string name;
        int nesting { 0 };
    } m_foreign;
    // Past the end tag of a text element just read.
    std::size_t m_resumeAt { 0 };
};

} // namespace

WebMarkupFilter::Result WebMarkupFilter::filter(std::string_view html, std::size_t depthLimit, std::size_t elementLimit)
{
    return Builder(html, depthLimit, elementLimit).run();
}
