#include "platform/net/NSURL.h"

#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSNumber.h"
#include "platform/net/StrictDecoding.h"

#include <vector>

namespace {

const bool registeredForCoding = NSCoder::registerClass<NSURL>();

bool isSchemeCharacter(char16_t c, bool first)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    return !first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.');
}

bool isHex(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The characters a URL text may hold; everything else must arrive percent-escaped.
bool isLegalText(std::u16string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '\\' || c == '^' || c == '`'
            || c == '{' || c == '|' || c == '}')
            return false;
        if (c == '%' && (i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2])))
            return false;
    }
    return true;
}

NSString piece(std::u16string_view text)
{
    return NSString(std::u16string(text));
}

// RFC 3986 5.2.4: removes "." and ".." segments. One pass over the input, each output segment
// appended and dropped at most once, so a path of a million "../" costs no more than its length.
std::u16string removeDotSegments(std::u16string_view input)
{
    std::u16string out;
    out.reserve(input.size());
    const auto dropLastSegment = [&out] {
        size_t slash = out.rfind(u'/');
        out.erase(slash == std::u16string::npos ? 0 : slash);
    };
    size_t at = 0;
    while (at < input.size()) {
        const std::u16string_view in = input.substr(at);
        if (in.starts_with(u"../")) {
            at += 3;
        } else if (in.starts_with(u"./") || in.starts_with(u"/./")) {
            at += 2;
        } else if (in == u"/.") {
            out += u'/';
            break;
        } else if (in.starts_with(u"/../")) {
            at += 3;
            dropLastSegment();
        } else if (in == u"/..") {
            dropLastSegment();
            out += u'/';
            break;
        } else if (in == u"." || in == u"..") {
            break;
        } else {
            size_t next = in.find(u'/', in[0] == '/' ? 1 : 0);
            if (next == std::u16string_view::npos)
                next = in.size();
            out.append(in.substr(0, next));
            at += next;
        }
    }
    return out;
}

std::u16string mergePaths(const NSURL::Parts& base, std::u16string_view relative)
{
    if (base.hasAuthority && base.path.length() == 0)
        return u"/" + std::u16string(relative);
    auto basePath = base.path.characters();
    size_t slash = basePath.rfind(u'/');
    if (slash == std::u16string::npos)
        return std::u16string(relative);
    return basePath.substr(0, slash + 1) + std::u16string(relative);
}

NSString decodedOrRaw(const NSString& text)
{
    if (text.isNil())
        return {};
    NSString decoded = text.stringByRemovingPercentEncoding();
    return decoded.isNil() ? text : decoded;
}

} // namespace

NSURL::Parts NSURL::split(const NSString& text)
{
    Parts parts;
    std::u16string_view rest = text.view();
    size_t i = 0;
    while (i < rest.size() && isSchemeCharacter(rest[i], i == 0))
        ++i;
    if (i > 0 && i < rest.size() && rest[i] == ':') {
        parts.scheme = piece(rest.substr(0, i));
        rest.remove_prefix(i + 1);
    }
    size_t hash = rest.find(u'#');
    if (hash != std::u16string_view::npos) {
        parts.fragment = piece(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    size_t question = rest.find(u'?');
    if (question != std::u16string_view::npos) {
        parts.query = piece(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.starts_with(u"//")) {
        rest.remove_prefix(2);
        size_t slash = rest.find(u'/');
        parts.hasAuthority = true;
        parts.authority = piece(rest.substr(0, slash));
        rest = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(slash);
    }
    parts.path = piece(rest);
    return parts;
}

NSString NSURL::join(const Parts& parts)
{
    std::u16string text;
    if (parts.scheme) {
        text += parts.scheme.view();
        text += u':';
    }
    if (parts.hasAuthority) {
        text += u"//";
        text += parts.authority.view();
    }
    text += parts.path.view();
    if (parts.query) {
        text += u'?';
        text += parts.query.view();
    }
    if (parts.fragment) {
        text += u'#';
        text += parts.fragment.view();
    }
    return NSString(std::move(text));
}

bool NSURL::init(const NSString& text, const std::shared_ptr<NSURL>& base)
{
    if (text.isNil() || !isLegalText(text.view()))
        return false;
    m_text = text;
    Parts relative = split(text);
    if (!base || relative.scheme) {
        m_absolute = relative;
        if (m_absolute.scheme.isNil() && base)
            m_base = base;
        return true;
    }
    m_base = base;
    // RFC 3986 5.2.2, strict.
    const Parts& b = base->m_absolute;
    Parts target;
    target.scheme = b.scheme;
    if (relative.hasAuthority) {
        target.hasAuthority = true;
        target.authority = relative.authority;
        target.path = NSString(removeDotSegments(relative.path.view()));
        target.query = relative.query;
    } else {
        target.hasAuthority = b.hasAuthority;
        target.authority = b.authority;
        if (relative.path.length() == 0) {
            target.path = b.path;
            target.query = relative.query ? relative.query : b.query;
        } else {
            if (relative.path.hasPrefix("/"))
                target.path = NSString(removeDotSegments(relative.path.view()));
            else
                target.path = NSString(removeDotSegments(mergePaths(b, relative.path.view())));
            target.query = relative.query;
        }
    }
    target.fragment = relative.fragment;
    m_absolute = target;
    return true;
}

std::shared_ptr<NSURL> NSURL::URLWithString(const NSString& text)
{
    return create(text, std::shared_ptr<NSURL>());
}

std::shared_ptr<NSURL> NSURL::URLWithString(const NSString& text, const std::shared_ptr<NSURL>& baseURL)
{
    return create(text, baseURL);
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const NSString& path)
{
    return fileURLWithPath(path, false);
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(const NSString& path, bool isDirectory)
{
    const auto& allowed = NSCharacterSet::URLPathAllowedCharacterSet();
    NSString absolute = path.isAbsolutePath() ? path : NSString("/").stringByAppendingPathComponent(path);
    NSString escaped = absolute.stringByAddingPercentEncodingWithAllowedCharacters(*allowed);
    if (isDirectory && !escaped.hasSuffix("/"))
        escaped = escaped + "/";
    return URLWithString("file://" + escaped);
}

NSString NSURL::absoluteString() const
{
    return m_base ? join(m_absolute) : m_text;
}

std::shared_ptr<NSURL> NSURL::absoluteURL() const
{
    if (!m_base)
        return std::const_pointer_cast<NSURL>(self());
    return URLWithString(absoluteString());
}

namespace {

struct Authority {
    NSString user;
    NSString password;
    NSString host;
    NSString port;
};

Authority parseAuthority(const NSString& authority)
{
    Authority parts;
    auto text = authority.view();
    size_t at = text.rfind(u'@');
    if (at != std::u16string_view::npos) {
        auto userInfo = text.substr(0, at);
        size_t colon = userInfo.find(u':');
        parts.user = piece(userInfo.substr(0, colon));
        if (colon != std::u16string_view::npos)
            parts.password = piece(userInfo.substr(colon + 1));
        text.remove_prefix(at + 1);
    }
    if (text.starts_with(u"[")) {
        size_t close = text.find(u']');
        parts.host = piece(text.substr(1, close == std::u16string_view::npos ? text.size() - 1 : close - 1));
        text = close == std::u16string_view::npos ? std::u16string_view() : text.substr(close + 1);
        if (text.starts_with(u":"))
            parts.port = piece(text.substr(1));
        return parts;
    }
    size_t colon = text.rfind(u':');
    parts.host = piece(text.substr(0, colon));
    if (colon != std::u16string_view::npos)
        parts.port = piece(text.substr(colon + 1));
    return parts;
}

} // namespace

NSString NSURL::host() const
{
    if (!m_absolute.hasAuthority)
        return {};
    return decodedOrRaw(parseAuthority(m_absolute.authority).host);
}

std::shared_ptr<NSNumber> NSURL::port() const
{
    if (!m_absolute.hasAuthority)
        return nullptr;
    NSString port = parseAuthority(m_absolute.authority).port;
    if (port.length() == 0)
        return nullptr;
    return NSNumber::numberWithInteger(port.integerValue());
}

NSString NSURL::user() const
{
    return m_absolute.hasAuthority ? decodedOrRaw(parseAuthority(m_absolute.authority).user) : NSString();
}

NSString NSURL::password() const
{
    return m_absolute.hasAuthority ? decodedOrRaw(parseAuthority(m_absolute.authority).password) : NSString();
}

NSString NSURL::path() const
{
    NSString path = decodedOrRaw(m_absolute.path);
    // The platform drops a trailing slash from the path it answers.
    if (path.length() > 1 && path.hasSuffix("/"))
        return path.substringToIndex(path.length() - 1);
    return path;
}

NSString NSURL::relativePath() const
{
    if (!m_base)
        return path();
    NSString path = decodedOrRaw(split(m_text).path);
    if (path.length() > 1 && path.hasSuffix("/"))
        return path.substringToIndex(path.length() - 1);
    return path;
}

NSString NSURL::resourceSpecifier() const
{
    Parts parts = m_absolute;
    parts.scheme = NSString();
    return join(parts);
}

std::shared_ptr<NSURL> NSURL::URLByAppendingPathComponent(const NSString& component) const
{
    Parts parts = m_absolute;
    auto escaped = component.stringByAddingPercentEncodingWithAllowedCharacters(*NSCharacterSet::URLPathAllowedCharacterSet());
    NSString path = parts.path;
    if (!path.hasSuffix("/"))
        path = path + "/";
    parts.path = path + escaped;
    return URLWithString(join(parts));
}

std::shared_ptr<NSURL> NSURL::URLByDeletingLastPathComponent() const
{
    return URLWithString(".", absoluteURL());
}

std::shared_ptr<NSURL> NSURL::URLByAppendingQuery(const NSString& query) const
{
    Parts parts = m_absolute;
    parts.query = parts.query ? parts.query + "&" + query : query;
    return URLWithString(join(parts));
}

std::shared_ptr<NSURL> NSURL::standardizedURL() const
{
    Parts parts = m_absolute;
    parts.path = NSString(removeDotSegments(parts.path.view()));
    return URLWithString(join(parts));
}

NSString NSURL::description() const
{
    if (m_base)
        return m_text + " -- " + m_base->description();
    return m_text;
}

bool NSURL::isEqual(const id& other) const
{
    auto url = ns::cast<NSURL>(other);
    if (!url || url->m_text != m_text)
        return false;
    if (!m_base || !url->m_base)
        return !m_base && !url->m_base;
    return m_base->isEqual(url->m_base);
}

id NSURL::copy() const
{
    return std::const_pointer_cast<NSURL>(self());
}

bool NSURL::init(NSCoder& coder)
{
    NSString text;
    std::shared_ptr<NSURL> base;
    if (!ns::decodeOptional(coder, "NS.relative", text) || !ns::decodeOptional(coder, "NS.base", base))
        return false;
    // The text goes through the same checks as any other, so a forged one is refused here.
    return init(text, base);
}

void NSURL::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_base, "NS.base");
    coder.encodeObject(m_text, "NS.relative");
}
