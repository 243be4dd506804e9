#include "platform/foundation/NSBundle.h"

#include "platform/foundation/NeverDestroyed.h"
#include "platform/foundation/PropertyListNode.h"
#include "platform/foundation/TypedValues.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#ifndef CORVANE_RESOURCES_DIR
#define CORVANE_RESOURCES_DIR "resources"
#endif

namespace {

namespace fs = std::filesystem;

// The device language is Chinese; Base and English are the fallbacks.
constexpr const char* localizationFolders[] = { "zh-Hans.lproj", "zh_CN.lproj", "zh.lproj", "Base.lproj", "en.lproj" };

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// Old-style string tables: "key" = "value"; pairs, "key"; alone, /* */ and // comments, and
// the escapes \n \t \r \" \\ \' and \Uxxxx.
class StringTableParser {
public:
    explicit StringTableParser(std::u16string_view text) : m_text(text) { }

    std::shared_ptr<NSDictionary> parse()
    {
        auto table = NSMutableDictionary::dictionary();
        for (;;) {
            if (!skipSpaceAndComments())
                return nullptr;
            if (m_position >= m_text.size())
                return table->copyDictionary();
            std::u16string key;
            if (!readToken(key) || !skipSpaceAndComments() || m_position >= m_text.size())
                return nullptr;
            std::u16string value = key;
            if (m_text[m_position] == u'=') {
                ++m_position;
                if (!skipSpaceAndComments() || !readToken(value) || !skipSpaceAndComments() || m_position >= m_text.size())
                    return nullptr;
            }
            if (m_text[m_position] != u';')
                return nullptr;
            ++m_position;
            table->setObject(NSString(value), NSString(key));
        }
    }

private:
    bool skipSpaceAndComments()
    {
        while (m_position < m_text.size()) {
            char16_t c = m_text[m_position];
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0xFEFF) {
                ++m_position;
            } else if (m_text.substr(m_position, 2) == u"/*") {
                auto end = m_text.find(u"*/", m_position + 2);
                if (end == std::u16string_view::npos)
                    return false;
                m_position = end + 2;
            } else if (m_text.substr(m_position, 2) == u"//") {
                auto end = m_text.find(u'\n', m_position);
                m_position = end == std::u16string_view::npos ? m_text.size() : end + 1;
            } else {
                break;
            }
        }
        return true;
    }

    static bool isBareCharacter(char16_t c)
    {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_'
            || c == u'.' || c == u'-' || c == u'$' || c == u'/' || c == u':';
    }

    bool readToken(std::u16string& out)
    {
        out.clear();
        if (m_text[m_position] != u'"') {
            while (m_position < m_text.size() && isBareCharacter(m_text[m_position]))
                out += m_text[m_position++];
            return !out.empty();
        }
        ++m_position;
        while (m_position < m_text.size()) {
            char16_t c = m_text[m_position++];
            if (c == u'"')
                return true;
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (m_position >= m_text.size())
                return false;
            char16_t escaped = m_text[m_position++];
            switch (escaped) {
            case u'n': out += u'\n'; break;
            case u't': out += u'\t'; break;
            case u'r': out += u'\r'; break;
            case u'U':
            case u'u': {
                char16_t unit = 0;
                for (int digit = 0; digit < 4; ++digit) {
                    if (m_position >= m_text.size())
                        return false;
                    char16_t h = m_text[m_position++];
                    int v = h >= u'0' && h <= u'9' ? h - u'0' : h >= u'a' && h <= u'f' ? h - u'a' + 10 : h >= u'A' && h <= u'F' ? h - u'A' + 10 : -1;
                    if (v < 0)
                        return false;
                    unit = static_cast<char16_t>(unit * 16 + v);
                }
                out += unit;
                break;
            }
            default: out += escaped; break;
            }
        }
        return false;
    }

    std::u16string_view m_text;
    std::size_t m_position { 0 };
};

} // namespace

const std::shared_ptr<NSBundle>& NSBundle::mainBundle()
{
    static const NeverDestroyed<std::shared_ptr<NSBundle>> bundle([] {
        const char* configured = std::getenv("CORVANE_RESOURCES");
        return create(NSString(configured && *configured ? configured : CORVANE_RESOURCES_DIR));
    }());
    return bundle.get();
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(const NSString& path)
{
    std::error_code error;
    if (path.isNil() || !fs::is_directory(path.UTF8String(), error))
        return nullptr;
    return create(path);
}

NSString NSBundle::bundleIdentifier() const
{
    return ns::stringForKey(infoDictionary(), "CFBundleIdentifier");
}

NSString NSBundle::pathForResource(const NSString& name, const NSString& type) const
{
    return pathForResource(name, type, NSString());
}

NSString NSBundle::pathForResource(const NSString& name, const NSString& type, const NSString& directory) const
{
    if (name.isNil() || name.length() == 0) {
        if (type.isNil() || type.length() == 0)
            return {};
        auto paths = pathsForResourcesOfType(type, directory);
        return NSString::fromId(paths->firstObject());
    }
    std::string fileName = name.UTF8String();
    if (!type.isNil() && type.length() > 0)
        fileName += "." + (type.hasPrefix(".") ? type.substringFromIndex(1) : type).UTF8String();
    // Names come from code and data; a name that climbs out of the bundle is no resource.
    for (const auto& component : fs::path(fileName)) {
        if (component == "..")
            return {};
    }
    fs::path folder(m_path.UTF8String());
    if (!directory.isNil() && directory.length() > 0)
        folder /= directory.UTF8String();
    if (isFile(folder / fileName))
        return (folder / fileName).lexically_normal().string();
    for (const char* localization : localizationFolders) {
        if (isFile(folder / localization / fileName))
            return (folder / localization / fileName).lexically_normal().string();
    }
    return {};
}

std::shared_ptr<NSArray> NSBundle::pathsForResourcesOfType(const NSString& type, const NSString& directory) const
{
    fs::path folder(m_path.UTF8String());
    if (!directory.isNil() && directory.length() > 0 && directory != ".")
        folder /= directory.UTF8String();
    std::string extension = type.isNil() ? std::string() : (type.hasPrefix(".") ? type.substringFromIndex(1) : type).UTF8String();
    std::vector<std::string> found;
    std::error_code error;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (!entry->is_regular_file(error))
            continue;
        std::string fileExtension = entry->path().extension().string();
        if (extension.empty() || (fileExtension.size() > 1 && fileExtension.substr(1) == extension))
            found.push_back(entry->path().lexically_normal().string());
    }
    std::sort(found.begin(), found.end());
    auto paths = NSMutableArray::array();
    for (const auto& path : found)
        paths->addObject(NSString(path));
    return paths->copyArray();
}

std::shared_ptr<NSDictionary> NSBundle::infoDictionary() const
{
    auto loaded = m_loaded.lock();
    if (!loaded->infoDictionary) {
        auto data = NSData::dataWithContentsOfFile(NSString((fs::path(m_path.UTF8String()) / "Info.plist").string()));
        loaded->infoDictionary = ns::cast<NSDictionary>(PropertyListNode::parse(data).toObject());
        if (!loaded->infoDictionary)
            loaded->infoDictionary = NSDictionary::dictionary();
    }
    return loaded->infoDictionary;
}

id NSBundle::objectForInfoDictionaryKey(const NSString& key) const
{
    return infoDictionary()->objectForKey(key);
}

NSString NSBundle::localizedStringForKey(const NSString& key, const NSString& value, const NSString& table) const
{
    if (key.isNil())
        return value.isNil() ? NSString::string() : value;
    NSString translation = NSString::fromId(stringTable(table.isNil() || table.length() == 0 ? NSString("Localizable") : table)->objectForKey(key));
    if (!translation.isNil())
        return translation;
    return value.isNil() || value.length() == 0 ? key : value;
}

std::shared_ptr<NSDictionary> NSBundle::stringTable(const NSString& table) const
{
    {
        auto loaded = m_loaded.lock();
        if (auto found = loaded->stringTables.find(table.characters()); found != loaded->stringTables.end())
            return found->second;
    }
    NSString path = pathForResource(table, "strings");
    auto strings = path.isNil() ? nullptr : stringTableWithData(NSData::dataWithContentsOfFile(path));
    if (!strings)
        strings = NSDictionary::dictionary();
    m_loaded.lock()->stringTables[table.characters()] = strings;
    return strings;
}

std::shared_ptr<NSDictionary> NSBundle::stringTableWithData(const std::shared_ptr<NSData>& data)
{
    if (!data)
        return nullptr;
    std::string_view bytes = data->stringView();
    if (bytes.starts_with("bplist") || bytes.starts_with("<?xml"))
        return ns::cast<NSDictionary>(PropertyListNode::parse(data).toObject());
    std::u16string text;
    if (bytes.size() >= 2 && (static_cast<unsigned char>(bytes[0]) == 0xFF || static_cast<unsigned char>(bytes[0]) == 0xFE)
        && (static_cast<unsigned char>(bytes[1]) == 0xFE || static_cast<unsigned char>(bytes[1]) == 0xFF)
        && bytes[0] != bytes[1]) {
        bool little = static_cast<unsigned char>(bytes[0]) == 0xFF;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            auto low = static_cast<unsigned char>(bytes[little ? i : i + 1]);
            auto high = static_cast<unsigned char>(bytes[little ? i + 1 : i]);
            text += static_cast<char16_t>(high << 8 | low);
        }
    } else if (!ns::utf16FromUTF8Strict(bytes, text)) {
        return nullptr;
    }
    return StringTableParser(text).parse();
}

NSString NSLocalizedString(const NSString& key, const NSString&)
{
    return NSBundle::mainBundle()->localizedStringForKey(key, NSString(), NSString());
}

NSString NSLocalizedStringFromTable(const NSString& key, const NSString& table, const NSString&)
{
    return NSBundle::mainBundle()->localizedStringForKey(key, NSString(), table);
}
