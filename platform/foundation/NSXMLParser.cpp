#include "platform/foundation/NSXMLParser.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstring>
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
        const xmlChar** namespaces, int attributeCount, int, const xmlChar** attributes)
    {
        auto& reader = of(ctx);
        const bool processNamespaces = reader.parser.m_processNamespaces;
        auto& mapped = reader.prefixes.emplace_back();
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

    static xmlParserInputPtr resolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }
    static void externalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) { }

    static void structuredError(void* ctx, xmlErrorPtr problem)
    {
        if (!problem || problem->level < XML_ERR_ERROR)
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
    std::lock_guard lock(m_mutex);
    return m_delegate.lock();
}

void NSXMLParser::setDelegate(std::weak_ptr<NSXMLParserDelegate> delegate)
{
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

std::shared_ptr<NSError> NSXMLParser::parserError() const
{
    std::lock_guard lock(m_mutex);
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
        std::lock_guard lock(m_mutex);
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
    handler.externalSubset = Reader::externalSubset;
    handler.serror = Reader::structuredError;
    handler.warning = nullptr;
    handler.error = nullptr;
    handler.fatalError = nullptr;

    const std::uint8_t* bytes = m_data->bytes();
    const std::size_t length = m_data->length();
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
    std::size_t offset = head;
    do {
        const std::size_t size = std::min(piece, length - offset);
        const bool last = offset + size == length;
        xmlParseChunk(reader.context, reinterpret_cast<const char*>(bytes + offset), static_cast<int>(size), last ? 1 : 0);
        offset += size;
    } while (offset < length && !reader.error && !m_aborted && reader.context->instate != XML_PARSER_EOF);

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
