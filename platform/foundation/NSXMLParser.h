#pragma once
// An event-driven XML reader: the delegate hears the document's elements, text, comments and
// processing instructions in order. Replies come from the network, so nothing is fetched from
// outside the data: external entities and external DTD subsets are never loaded, and the number
// and size of entity expansions is capped (an "entity bomb" ends in an error, not in memory
// exhaustion), as are the attributes and namespaces of an element. A document that is not well
// formed, or in an encoding that spells markup otherwise than ASCII does (UTF-7, EBCDIC), ends in
// parseErrorOccurred and parse() false.

#include "platform/foundation/Mutex.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSError.h"

#include <atomic>
#include <memory>

inline constexpr NSErrorDomain NSXMLParserErrorDomain = "NSXMLParserErrorDomain";

// The codes are the reader's own error numbers; those the layer names itself:
enum : NSInteger {
    NSXMLParserInternalError = 1,
    NSXMLParserEmptyDocumentError = 4,
    NSXMLParserUnknownEncodingError = 32,
    NSXMLParserUndeclaredEntityError = 26,
    NSXMLParserEntityRefLoopError = 89,
    NSXMLParserDelegateAbortedParseError = 512,
};

class NSXMLParser;

// Every operation is optional; the parser passes itself first.
class NSXMLParserDelegate {
public:
    virtual ~NSXMLParserDelegate() = default;

    virtual void parserDidStartDocument(NSXMLParser&) { }
    virtual void parserDidEndDocument(NSXMLParser&) { }
    // Without namespace processing the name is the qualified one and the URI and qualified name
    // are nil; attributes are keyed by their qualified names.
    virtual void didStartElement(NSXMLParser&, const NSString& /*elementName*/, const NSString& /*namespaceURI*/,
        const NSString& /*qualifiedName*/, const std::shared_ptr<NSDictionary>& /*attributes*/)
    {
    }
    virtual void didEndElement(NSXMLParser&, const NSString& /*elementName*/, const NSString& /*namespaceURI*/,
        const NSString& /*qualifiedName*/)
    {
    }
    virtual void didStartMappingPrefix(NSXMLParser&, const NSString& /*prefix*/, const NSString& /*namespaceURI*/) { }
    virtual void didEndMappingPrefix(NSXMLParser&, const NSString& /*prefix*/) { }
    // Text may come in several pieces for one run of characters.
    virtual void foundCharacters(NSXMLParser&, const NSString& /*string*/) { }
    virtual void foundIgnorableWhitespace(NSXMLParser&, const NSString& /*whitespace*/) { }
    virtual void foundProcessingInstruction(NSXMLParser&, const NSString& /*target*/, const NSString& /*data*/) { }
    virtual void foundComment(NSXMLParser&, const NSString& /*comment*/) { }
    virtual void foundCDATA(NSXMLParser&, const std::shared_ptr<NSData>& /*CDATABlock*/) { }
    // Called once, for the first error; parsing stops there.
    virtual void parseErrorOccurred(NSXMLParser&, const std::shared_ptr<NSError>& /*parseError*/) { }
};

class NSXMLParser : public NSObject {
    NS_OBJECT(NSXMLParser, NSObject)
public:
    ~NSXMLParser() override;

    std::shared_ptr<NSXMLParserDelegate> delegate() const;
    // May be cleared from another thread while a parse runs: later events then go nowhere.
    void setDelegate(std::weak_ptr<NSXMLParserDelegate> delegate);

    bool shouldProcessNamespaces() const { return m_processNamespaces; }
    void setShouldProcessNamespaces(bool process) { m_processNamespaces = process; }
    bool shouldReportNamespacePrefixes() const { return m_reportPrefixes; }
    void setShouldReportNamespacePrefixes(bool report) { m_reportPrefixes = report; }

    // True when the whole document was read without error. A parser parses once; a nested or
    // repeated call answers false and changes nothing.
    bool parse();
    // From a delegate operation: stops after the current event, with the aborted error.
    void abortParsing();
    std::shared_ptr<NSError> parserError() const;
    // Where the reader is (1-based), meaningful during a parse and after an error.
    NSInteger lineNumber() const { return m_line; }
    NSInteger columnNumber() const { return m_column; }

    const std::shared_ptr<NSData>& data() const { return m_data; }

    // The limits on entity expansion, per parse.
    static constexpr std::size_t maxEntityReferences = 10'000;
    static constexpr std::size_t maxEntityBytes = 4 * 1024 * 1024;
    // The limits on one element, which the reader's checks would otherwise make quadratic:
    // attributes and namespace declarations in its tag (or declared as its defaults), and
    // namespace declarations in scope. Past them the parse ends with NSXMLParserInternalError.
    static constexpr std::size_t maxAttributesPerElement = 256;
    static constexpr std::size_t maxNamespacesInScope = 512;
    // Attributes the document type's declared defaults add to its elements, and the bytes of
    // their values, per parse.
    static constexpr std::size_t maxDefaultedAttributes = 100'000;
    static constexpr std::size_t maxDefaultedBytes = 4 * 1024 * 1024;

protected:
    void init(const std::shared_ptr<NSData>& data);

private:
    struct Reader;
    friend struct Reader;

    void fail(const std::shared_ptr<NSError>& error);

    std::shared_ptr<NSData> m_data;
    mutable Mutex m_mutex;
    std::weak_ptr<NSXMLParserDelegate> m_delegate GUARDED_BY(m_mutex);
    std::shared_ptr<NSError> m_error GUARDED_BY(m_mutex);
    std::atomic<bool> m_processNamespaces { false };
    std::atomic<bool> m_reportPrefixes { false };
    std::atomic<bool> m_started { false };
    std::atomic<bool> m_aborted { false };
    std::atomic<NSInteger> m_line { 0 };
    std::atomic<NSInteger> m_column { 0 };
    void* m_context { nullptr };
};
