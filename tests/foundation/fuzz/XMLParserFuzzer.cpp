// XML replies from the network through the event-driven reader: every event is heard and its
// values read, with namespaces processed or not; a document ends in success or one error.
#include "platform/foundation/NSXMLParser.h"

#include <cstdio>
#include <cstdlib>

namespace {

class Listener : public NSXMLParserDelegate {
public:
    std::size_t errors { 0 };
    std::size_t heard { 0 };
    std::size_t abortAfter { 0 };

    void didStartElement(NSXMLParser& parser, const NSString& name, const NSString& URI, const NSString& qualifiedName,
        const std::shared_ptr<NSDictionary>& attributes) override
    {
        heard += name.length() + URI.length() + qualifiedName.length();
        for (const auto& entry : *attributes)
            heard += NSString::fromId(entry.key).length() + NSString::fromId(entry.object).length();
        if (abortAfter && --abortAfter == 0)
            parser.abortParsing();
    }
    void didEndElement(NSXMLParser&, const NSString& name, const NSString&, const NSString&) override { heard += name.length(); }
    void didStartMappingPrefix(NSXMLParser&, const NSString& prefix, const NSString& URI) override { heard += prefix.length() + URI.length(); }
    void foundCharacters(NSXMLParser&, const NSString& text) override { heard += text.length(); }
    void foundCDATA(NSXMLParser&, const std::shared_ptr<NSData>& block) override { heard += block->length(); }
    void parseErrorOccurred(NSXMLParser&, const std::shared_ptr<NSError>&) override { ++errors; }
};

} // namespace

// The first byte chooses namespace processing, prefix reports and an abort after some elements.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    auto parser = NSXMLParser::create(NSData::dataWithBytes(data + 1, size - 1));
    auto listener = std::make_shared<Listener>();
    listener->abortAfter = data[0] >> 4;
    parser->setDelegate(listener);
    parser->setShouldProcessNamespaces(data[0] & 1);
    parser->setShouldReportNamespacePrefixes(data[0] & 2);
    const bool parsed = parser->parse();
    if (parsed == (listener->errors != 0) || parsed == bool(parser->parserError()) || listener->errors > 1) {
        std::fprintf(stderr, "a parse must end in success or in one error\n");
        std::abort();
    }
    return 0;
}
