#include "platform/foundation/NSXMLParser.h"

#include <libxml/SAX2.h>
#include <libxml/valid.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <string>
#include <string_view>
#include <vector>

namespace {

NSString text(const xmlChar* value) { return value ? NSString(reinterpret_cast<const char*>(value)) : NSString(); }

NSString text(const xmlChar* value, int length)
{
    return NSString(std::string_view(reinterpret_cast<const char*>(value), static_cast<std::size_t>(std::max(length, 0))));
}

std::string qualified(const xmlChar* prefix, const xmlChar* name)
{
    std::string result;
    if (prefix) {
        result = reinterpret_cast<const char*>(prefix);
        result += ':';
    }
    result += reinterpret_cast<const char*>(name);
    return result;
}

// The document's code units as the reader will see them, for a look at its markup before the
// reader runs: one, two or four bytes wide, in either byte order.
struct Units {
    const std::uint8_t* bytes { nullptr };
    std::size_t count { 0 };
    int width { 1 };
    bool bigEndian { true };

    char32_t operator[](std::size_t i) const
    {
        const std::uint8_t* unit = bytes + i * static_cast<std::size_t>(width);
        char32_t value = 0;
        for (int k = 0; k < width; ++k)
            value |= char32_t(unit[bigEndian ? k : width - 1 - k]) << (8 * (width - 1 - k));
        return value;
    }

    bool at(std::size_t i, std::string_view text) const
    {
        if (i + text.size() > count)
            return false;
        for (std::size_t k = 0; k < text.size(); ++k)
            if ((*this)[i + k] != char32_t(static_cast<unsigned char>(text[k])))
                return false;
        return true;
    }

    // The index just past the next `text` from `i`, or the end.
    std::size_t past(std::size_t i, std::string_view text) const
    {
        for (; i < count; ++i)
            if (at(i, text))
                return i + text.size();
        return count;
    }
};

// How the reader will read the bytes, from the first four as it tells them; nullopt for the
// encodings whose markup characters are not ASCII (it would read them through a converter).
std::optional<Units> unitsOf(const std::uint8_t* bytes, std::size_t length)
{
    const auto startsWith = [&](std::initializer_list<std::uint8_t> head) {
        return length >= head.size() && std::equal(head.begin(), head.end(), bytes);
    };
    Units units { bytes, length, 1, true };
    if (startsWith({ 0x00, 0x00, 0xFE, 0xFF }) || startsWith({ 0x00, 0x00, 0x00, 0x3C }))
        units = { bytes, length, 4, true };
    else if (startsWith({ 0xFF, 0xFE, 0x00, 0x00 }) || startsWith({ 0x3C, 0x00, 0x00, 0x00 }))
        units = { bytes, length, 4, false };
    else if (startsWith({ 0xFE, 0xFF }) || startsWith({ 0x00, 0x3C, 0x00, 0x3F }))
        units = { bytes, length, 2, true };
    else if (startsWith({ 0xFF, 0xFE }) || startsWith({ 0x3C, 0x00, 0x3F, 0x00 }))
        units = { bytes, length, 2, false };
    else if (startsWith({ 0x4C, 0x6F, 0xA7, 0x94 }))
        return std::nullopt;
    units.count = length / static_cast<std::size_t>(units.width);
    return units;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size()
        && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

// Whether an encoding named in the declaration keeps the markup in the units the document
// starts in: a declaration may switch the reader to another converter, and one that spells
// markup otherwise (UTF-7, HZ, ISO-2022, EBCDIC) would read past the look taken here.
bool keepsMarkupUnits(std::string_view name, int width)
{
    static constexpr std::string_view wide[] = { "UTF-16", "UTF16", "UCS-2", "UCS2", "UTF-32", "UTF32", "UCS-4", "UCS4", "ISO-10646-UCS" };
    static constexpr std::string_view narrow[] = { "UTF-8", "UTF8", "US-ASCII", "ASCII", "ISO-8859-", "ISO8859-", "ISO_8859-", "LATIN",
        "WINDOWS-125", "CP125", "CP936", "GB2312", "GBK", "GB18030", "EUC-", "EUC_", "BIG5", "SHIFT_JIS", "SHIFT-JIS", "SJIS", "CP932",
        "KOI8-", "TIS-620" };
    for (auto prefix : wide)
        if (startsWithIgnoringCase(name, prefix))
            return true;
    if (width != 1)
        return false;
    for (auto prefix : narrow)
        if (startsWithIgnoringCase(name, prefix))
            return true;
    return false;
}

// The encoding the XML declaration names, empty without one.
std::string declaredEncoding(const Units& units)
{
    std::size_t i = units.count > 0 && (units[0] == 0xFEFF || units[0] == 0xEF) ? 1 : 0;
    while (i < units.count && i < 4 && units[i] != '<')
        ++i;
    if (!units.at(i, "<?xml"))
        return {};
    const std::size_t end = std::min(units.past(i, "?>"), std::min(units.count, i + 1024));
    std::string declaration;
    for (std::size_t k = i; k < end; ++k)
        declaration += units[k] < 0x80 ? char(units[k]) : '?';
    const std::size_t name = declaration.find("encoding");
    if (name == std::string::npos)
        return {};
    std::size_t k = name + 8;
    while (k < declaration.size() && (declaration[k] == ' ' || declaration[k] == '=' || declaration[k] == '\t' || declaration[k] == '\r' || declaration[k] == '\n'))
        ++k;
    if (k >= declaration.size() || (declaration[k] != '"' && declaration[k] != '\''))
        return {};
    const std::size_t close = declaration.find(declaration[k], k + 1);
    return close == std::string::npos ? std::string() : declaration.substr(k + 1, close - k - 1);
}

// Finds the first start tag with more than `limit` attributes (namespace declarations among
// them) before the reader sees it: the reader checks each attribute of a tag against all
// before it. Comments, CDATA, instructions, declarations and quoted values are stepped over as
// the reader steps over them; each unit is looked at a bounded number of times.
class MarkupCensus {
public:
    MarkupCensus(const Units& units, std::size_t limit) : m_units(units), m_limit(limit) { }

    // The unit where the first crowded tag starts, or npos.
    std::size_t firstCrowdedTag()
    {
        std::size_t i = 0;
        while (i < m_units.count) {
            if (m_units[i] != '<') {
                ++i;
                continue;
            }
            if (m_units.at(i, "<!--"))
                i = m_units.past(i + 4, "-->");
            else if (m_units.at(i, "<![CDATA["))
                i = m_units.past(i + 9, "]]>");
            else if (m_units.at(i, "<?"))
                i = m_units.past(i + 2, "?>");
            else if (m_units.at(i, "<!"))
                i = declaration(i + 2, true);
            else if (m_units.at(i, "</"))
                i = m_units.past(i + 2, ">");
            else if (startTagIsCrowded(i))
                return i;
        }
        return std::string::npos;
    }

private:
    // Counts the '=' outside quotes: every attribute has exactly one. Moves `i` past the tag.
    bool startTagIsCrowded(std::size_t& i)
    {
        std::size_t attributes = 0;
        char32_t quote = 0;
        for (++i; i < m_units.count; ++i) {
            const char32_t c = m_units[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '=') {
                if (++attributes > m_limit)
                    return true;
            } else if (c == '>') {
                ++i;
                break;
            }
        }
        return false;
    }

    // A <!...> declaration from just past "<!"; the document type's internal subset inside
    // brackets holds declarations, comments and instructions of its own, but no further subset.
    std::size_t declaration(std::size_t i, bool mayHoldSubset)
    {
        char32_t quote = 0;
        while (i < m_units.count) {
            const char32_t c = m_units[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
                ++i;
            } else if (c == '"' || c == '\'') {
                quote = c;
                ++i;
            } else if (c == '[' && mayHoldSubset) {
                i = subset(i + 1);
            } else if (c == '>') {
                return i + 1;
            } else {
                ++i;
            }
        }
        return i;
    }

    std::size_t subset(std::size_t i)
    {
        while (i < m_units.count) {
            if (m_units[i] == ']')
                return i + 1;
            if (m_units.at(i, "<!--"))
                i = m_units.past(i + 4, "-->");
            else if (m_units.at(i, "<?"))
                i = m_units.past(i + 2, "?>");
            else if (m_units.at(i, "<!"))
                i = declaration(i + 2, false);
            else
                ++i;
        }
        return i;
    }

    const Units& m_units;
    const std::size_t m_limit;
};

void initialiseOnce()
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
}

} // namespace

// One parse: the reader's context points here through its private field.
struct NSXMLParser::Reader {
    explicit Reader(NSXMLParser& owner) : parser(owner) { }

    NSXMLParser& parser;
    xmlParserCtxtPtr context { nullptr };
    std::size_t entityReferences { 0 };
    std::size_t entityBytes { 0 };
    std::shared_ptr<NSError> error;
    std::vector<std::vector<std::string>> prefixes;
    // Namespace declarations of each open element, and their sum.
    std::vector<std::size_t> declared;
    std::size_t namespacesInScope { 0 };
    std::unordered_map<std::string, std::size_t> declaredAttributes;
    // Per element name, the declared defaults that declare a namespace: the reader delivers
    // them among the element's namespace declarations, not as defaulted attributes.
    std::unordered_map<std::string, std::size_t> declaredNamespaceDefaults;
    std::size_t defaultedAttributes { 0 };
    std::size_t defaultedBytes { 0 };

    static Reader& of(void* context) { return *static_cast<Reader*>(static_cast<xmlParserCtxtPtr>(context)->_private); }

    std::shared_ptr<NSXMLParserDelegate> delegate()
    {
        if (context->input) {
            parser.m_line = context->input->line;
            parser.m_column = context->input->col;
        }
        if (error || parser.m_aborted)
            return nullptr;
        return parser.delegate();
    }

    void stop(NSInteger code, const NSString& description)
    {
        if (!error)
            error = NSError::errorWithDomain(NSXMLParserErrorDomain, code, description);
        xmlStopParser(context);
    }

    static void startDocument(void* ctx)
    {
        xmlSAX2StartDocument(ctx);
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->parserDidStartDocument(reader.parser);
    }

    static void endDocument(void* ctx)
    {
        auto& reader = of(ctx);
        if (!reader.context->wellFormed)
            return;
        if (auto delegate = reader.delegate())
            delegate->parserDidEndDocument(reader.parser);
    }

    static void startElement(void* ctx, const xmlChar* localName, const xmlChar* prefix, const xmlChar* URI, int namespaceCount,
        const xmlChar** namespaces, int attributeCount, int defaulted, const xmlChar** attributes)
    {
        auto& reader = of(ctx);
        const bool processNamespaces = reader.parser.m_processNamespaces;
        auto& mapped = reader.prefixes.emplace_back();
        reader.declared.push_back(static_cast<std::size_t>(std::max(namespaceCount, 0)));
        reader.namespacesInScope += reader.declared.back();
        // Each prefixed name is looked up through every declaration in scope.
        if (reader.namespacesInScope > maxNamespacesInScope) {
            reader.stop(NSXMLParserInternalError, "Too many namespace declarations in scope");
            return;
        }
        // Declared defaults are added to every element they are declared for, so a short
        // document can deliver a great many: they are bounded as entity expansion is. Those
        // that declare namespaces cannot be told from the tag's own declarations; as many as
        // the element has declared count (a tag that writes them too counts them twice).
        std::size_t defaultedNamespaces = 0;
        if (namespaceCount > 0 && !reader.declaredNamespaceDefaults.empty()) {
            const auto found = reader.declaredNamespaceDefaults.find(qualified(prefix, localName));
            if (found != reader.declaredNamespaceDefaults.end())
                defaultedNamespaces = std::min(found->second, static_cast<std::size_t>(namespaceCount));
        }
        const auto attributesGiven = static_cast<std::size_t>(std::max(attributeCount, 0));
        const auto namespacesGiven = static_cast<std::size_t>(std::max(namespaceCount, 0));
        const std::size_t defaultedValues = std::min(static_cast<std::size_t>(std::max(defaulted, 0)), attributesGiven);
        reader.defaultedAttributes += defaultedValues + defaultedNamespaces;
        if (reader.defaultedAttributes > maxDefaultedAttributes) {
            reader.stop(NSXMLParserInternalError, "Too many declared default attributes");
            return;
        }
        // A default's text is added whole each time, so few long ones do the same; the
        // defaulted attributes come last, as do the namespaces they declare.
        for (std::size_t i = attributesGiven - defaultedValues; i < attributesGiven; ++i)
            reader.defaultedBytes += static_cast<std::size_t>(attributes[5 * i + 4] - attributes[5 * i + 3]);
        for (std::size_t i = namespacesGiven - defaultedNamespaces; i < namespacesGiven; ++i)
            reader.defaultedBytes += namespaces[2 * i + 1] ? std::strlen(reinterpret_cast<const char*>(namespaces[2 * i + 1])) : 0;
        if (reader.defaultedBytes > maxDefaultedBytes) {
            reader.stop(NSXMLParserInternalError, "Declared default attributes too long");
            return;
        }
        auto delegate = reader.delegate();
        if (!delegate)
            return;
        if (reader.parser.m_reportPrefixes) {
            for (int i = 0; i < namespaceCount; ++i) {
                const NSString name = namespaces[2 * i] ? text(namespaces[2 * i]) : NSString::string();
                mapped.push_back(name.UTF8String());
                delegate->didStartMappingPrefix(reader.parser, name, text(namespaces[2 * i + 1]));
            }
        }
        auto dictionary = NSMutableDictionary::dictionary();
        if (!processNamespaces) {
            // Without namespaces the declarations are plain attributes.
            for (int i = 0; i < namespaceCount; ++i) {
                const std::string name = namespaces[2 * i] ? "xmlns:" + std::string(reinterpret_cast<const char*>(namespaces[2 * i])) : "xmlns";
                dictionary->setObject(static_cast<id>(text(namespaces[2 * i + 1])), static_cast<id>(NSString(name)));
            }
        }
        for (int i = 0; i < attributeCount; ++i) {
            const xmlChar* const* attribute = attributes + 5 * i;
            dictionary->setObject(static_cast<id>(text(attribute[3], static_cast<int>(attribute[4] - attribute[3]))),
                static_cast<id>(NSString(qualified(attribute[1], attribute[0]))));
        }
        const NSString qualifiedName(qualified(prefix, localName));
        if (processNamespaces)
            delegate->didStartElement(reader.parser, text(localName), URI ? text(URI) : NSString::string(), qualifiedName, dictionary);
        else
            delegate->didStartElement(reader.parser, qualifiedName, NSString(), NSString(), dictionary);
    }

    static void endElement(void* ctx, const xmlChar* localName, const xmlChar* prefix, const xmlChar* URI)
    {
        auto& reader = of(ctx);
        std::vector<std::string> mapped;
        if (!reader.prefixes.empty()) {
            mapped = std::move(reader.prefixes.back());
            reader.prefixes.pop_back();
        }
        if (!reader.declared.empty()) {
            reader.namespacesInScope -= reader.declared.back();
            reader.declared.pop_back();
        }
        auto delegate = reader.delegate();
        if (!delegate)
            return;
        const NSString qualifiedName(qualified(prefix, localName));
        if (reader.parser.m_processNamespaces)
            delegate->didEndElement(reader.parser, text(localName), URI ? text(URI) : NSString::string(), qualifiedName);
        else
            delegate->didEndElement(reader.parser, qualifiedName, NSString(), NSString());
        for (const auto& name : mapped)
            delegate->didEndMappingPrefix(reader.parser, NSString(name));
    }

    static void characters(void* ctx, const xmlChar* value, int length)
    {
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->foundCharacters(reader.parser, text(value, length));
    }

    static void whitespace(void* ctx, const xmlChar* value, int length)
    {
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->foundIgnorableWhitespace(reader.parser, text(value, length));
    }

    static void CDATA(void* ctx, const xmlChar* value, int length)
    {
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->foundCDATA(reader.parser, NSData::dataWithBytes(value, static_cast<NSUInteger>(std::max(length, 0))));
    }

    static void comment(void* ctx, const xmlChar* value)
    {
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->foundComment(reader.parser, text(value));
    }

    static void processingInstruction(void* ctx, const xmlChar* target, const xmlChar* data)
    {
        auto& reader = of(ctx);
        if (auto delegate = reader.delegate())
            delegate->foundProcessingInstruction(reader.parser, text(target), data ? text(data) : NSString::string());
    }

    // Every reference to a declared entity passes here, nested ones and parameter entities
    // included, so counting them bounds what expansion can cost. An external entity would be
    // read from a file or the network: it ends the parse.
    xmlEntityPtr admit(xmlEntityPtr found)
    {
        if (error)
            return nullptr;
        if (!found)
            return nullptr;
        if (found->etype != XML_INTERNAL_GENERAL_ENTITY && found->etype != XML_INTERNAL_PREDEFINED_ENTITY
            && found->etype != XML_INTERNAL_PARAMETER_ENTITY) {
            stop(NSXMLParserUndeclaredEntityError, "External entities are not loaded");
            return nullptr;
        }
        entityBytes += static_cast<std::size_t>(std::max(found->length, 0));
        if (++entityReferences > maxEntityReferences || entityBytes > maxEntityBytes) {
            stop(NSXMLParserEntityRefLoopError, "Too many entity expansions");
            return nullptr;
        }
        return found;
    }

    static xmlEntityPtr entity(void* ctx, const xmlChar* name) { return of(ctx).admit(xmlSAX2GetEntity(ctx, name)); }
    static xmlEntityPtr parameterEntity(void* ctx, const xmlChar* name) { return of(ctx).admit(xmlSAX2GetParameterEntity(ctx, name)); }

    // An internal entity's text is markup read wherever it is referenced: its tags are held to
    // the same limit as the document's.
    static void entityDeclaration(void* ctx, const xmlChar* name, int type, const xmlChar* publicId, const xmlChar* systemId, xmlChar* content)
    {
        auto& reader = of(ctx);
        if (type == XML_INTERNAL_GENERAL_ENTITY && content) {
            const Units units { content, std::strlen(reinterpret_cast<const char*>(content)), 1, true };
            if (MarkupCensus(units, maxAttributesPerElement).firstCrowdedTag() != std::string::npos) {
                reader.stop(NSXMLParserInternalError, "Too many attributes in one element");
                return;
            }
        }
        xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
    }

    // Declared defaults are added to every such element and checked against its attributes.
    static void attributeDeclaration(void* ctx, const xmlChar* element, const xmlChar* name, int type, int def,
        const xmlChar* defaultValue, xmlEnumerationPtr values)
    {
        auto& reader = of(ctx);
        if (++reader.declaredAttributes[reinterpret_cast<const char*>(element)] > maxAttributesPerElement) {
            xmlFreeEnumeration(values);
            reader.stop(NSXMLParserInternalError, "Too many attributes declared for one element");
            return;
        }
        const std::string_view attribute = name ? reinterpret_cast<const char*>(name) : "";
        if (defaultValue && (attribute == "xmlns" || attribute.starts_with("xmlns:")))
            ++reader.declaredNamespaceDefaults[reinterpret_cast<const char*>(element)];
        xmlSAX2AttributeDecl(ctx, element, name, type, def, defaultValue, values);
    }

    static xmlParserInputPtr resolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }
    static void externalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) { }

    static void structuredError(void* ctx, xmlErrorPtr problem)
    {
        // The reader reports an encoding it cannot read while it is made, before it knows us;
        // the document is then not well formed, which the parse reports at its end.
        if (!problem || problem->level < XML_ERR_ERROR || !static_cast<xmlParserCtxtPtr>(ctx)->_private)
            return;
        auto& reader = of(ctx);
        std::string message = problem->message ? problem->message : "Malformed XML";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        if (problem->line > 0) {
            reader.parser.m_line = problem->line;
            reader.parser.m_column = problem->int2;
        }
        reader.stop(problem->code > 0 ? NSInteger(problem->code) : NSInteger(NSXMLParserInternalError), NSString(message));
    }
};

void NSXMLParser::init(const std::shared_ptr<NSData>& data)
{
    m_data = data;
}

NSXMLParser::~NSXMLParser() = default;

std::shared_ptr<NSXMLParserDelegate> NSXMLParser::delegate() const
{
    MutexLocker lock(m_mutex);
    return m_delegate.lock();
}

void NSXMLParser::setDelegate(std::weak_ptr<NSXMLParserDelegate> delegate)
{
    MutexLocker lock(m_mutex);
    m_delegate = std::move(delegate);
}

std::shared_ptr<NSError> NSXMLParser::parserError() const
{
    MutexLocker lock(m_mutex);
    return m_error;
}

void NSXMLParser::abortParsing()
{
    m_aborted = true;
    if (m_context)
        xmlStopParser(static_cast<xmlParserCtxtPtr>(m_context));
}

void NSXMLParser::fail(const std::shared_ptr<NSError>& error)
{
    {
        MutexLocker lock(m_mutex);
        m_error = error;
    }
    if (auto listener = delegate())
        listener->parseErrorOccurred(*this, error);
}

bool NSXMLParser::parse()
{
    if (m_started.exchange(true))
        return false;
    auto keep = self();
    if (!m_data || m_data->length() == 0) {
        fail(NSError::errorWithDomain(NSXMLParserErrorDomain, NSXMLParserEmptyDocumentError, "Document is empty"));
        return false;
    }
    initialiseOnce();

    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    xmlSAXVersion(&handler, 2);
    handler.startDocument = Reader::startDocument;
    handler.endDocument = Reader::endDocument;
    handler.startElementNs = Reader::startElement;
    handler.endElementNs = Reader::endElement;
    handler.startElement = nullptr;
    handler.endElement = nullptr;
    handler.characters = Reader::characters;
    handler.ignorableWhitespace = Reader::whitespace;
    handler.cdataBlock = Reader::CDATA;
    handler.comment = Reader::comment;
    handler.processingInstruction = Reader::processingInstruction;
    handler.reference = nullptr;
    handler.getEntity = Reader::entity;
    handler.getParameterEntity = Reader::parameterEntity;
    handler.resolveEntity = Reader::resolveEntity;
    handler.entityDecl = Reader::entityDeclaration;
    handler.attributeDecl = Reader::attributeDeclaration;
    handler.externalSubset = Reader::externalSubset;
    handler.serror = Reader::structuredError;
    handler.warning = nullptr;
    handler.error = nullptr;
    handler.fatalError = nullptr;

    const std::uint8_t* bytes = m_data->bytes();
    const std::size_t length = m_data->length();
    const auto units = unitsOf(bytes, length);
    const std::string encoding = units ? declaredEncoding(*units) : std::string();
    if (!units || (!encoding.empty() && !keepsMarkupUnits(encoding, units->width))) {
        fail(NSError::errorWithDomain(NSXMLParserErrorDomain, NSXMLParserUnknownEncodingError, "The document's encoding is not supported"));
        return false;
    }
    // The reader is handed the document up to its first crowded tag, and stopped there.
    const std::size_t crowded = MarkupCensus(*units, maxAttributesPerElement).firstCrowdedTag();
    const std::size_t readable = crowded == std::string::npos ? length : crowded * static_cast<std::size_t>(units->width);
    Reader reader { *this };
    // The first bytes tell the encoding.
    const std::size_t head = std::min<std::size_t>(length, 4);
    reader.context = xmlCreatePushParserCtxt(&handler, nullptr, reinterpret_cast<const char*>(bytes), static_cast<int>(head), nullptr);
    if (!reader.context) {
        fail(NSError::errorWithDomain(NSXMLParserErrorDomain, NSXMLParserInternalError, "The XML reader could not start"));
        return false;
    }
    reader.context->_private = &reader;
    // Entities are replaced by their text (internal ones only, see Reader::entity); nothing is
    // fetched over the network and no external DTD is read.
    xmlCtxtUseOptions(reader.context, XML_PARSE_NOENT | XML_PARSE_NONET);
    m_context = reader.context;

    constexpr std::size_t piece = 64 * 1024;
    const std::size_t end = std::max(readable, head);
    std::size_t offset = head;
    do {
        const std::size_t size = std::min(piece, end - offset);
        const bool last = offset + size == length;
        xmlParseChunk(reader.context, reinterpret_cast<const char*>(bytes + offset), static_cast<int>(size), last ? 1 : 0);
        offset += size;
    } while (offset < end && !reader.error && !m_aborted && reader.context->instate != XML_PARSER_EOF);
    if (end < length && !reader.error && !m_aborted)
        reader.error = NSError::errorWithDomain(NSXMLParserErrorDomain, NSXMLParserInternalError, "Too many attributes in one element");

    std::shared_ptr<NSError> error = reader.error;
    if (m_aborted)
        error = NSError::errorWithDomain(NSXMLParserErrorDomain, NSXMLParserDelegateAbortedParseError, "The delegate aborted the parse");
    else if (!error && !reader.context->wellFormed)
        error = NSError::errorWithDomain(NSXMLParserErrorDomain,
            reader.context->errNo > 0 ? NSInteger(reader.context->errNo) : NSInteger(NSXMLParserInternalError), "Malformed XML");
    m_context = nullptr;
    if (reader.context->myDoc)
        xmlFreeDoc(reader.context->myDoc);
    reader.context->myDoc = nullptr;
    xmlFreeParserCtxt(reader.context);
    if (error) {
        fail(error);
        return false;
    }
    return true;
}
