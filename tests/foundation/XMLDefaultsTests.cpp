#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSXMLParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class AttributeCounter : public NSXMLParserDelegate {
public:
    void didStartElement(NSXMLParser&, const NSString&, const NSString&, const NSString&, const std::shared_ptr<NSDictionary>& found) override
    {
        ++elements;
        attributes += found->count();
    }
    void didStartMappingPrefix(NSXMLParser&, const NSString&, const NSString&) override { ++mappings; }
    std::size_t elements { 0 };
    std::size_t attributes { 0 };
    std::size_t mappings { 0 };
};

// `declared` defaults for the element e, then `elements` of them, each four bytes.
std::string documentWithDefaults(std::size_t declared, std::size_t elements)
{
    std::string xml = "<!DOCTYPE r [";
    for (std::size_t i = 0; i < declared; ++i)
        xml += "<!ATTLIST e d" + std::to_string(i) + " CDATA 'v'>";
    xml += "]><r>";
    for (std::size_t i = 0; i < elements; ++i)
        xml += "<e/>";
    return xml + "</r>";
}

// The same with defaults that declare namespaces: `declared` prefixes for e.
std::string documentWithNamespaceDefaults(std::size_t declared, std::size_t elements)
{
    std::string xml = "<!DOCTYPE r [";
    for (std::size_t i = 0; i < declared; ++i)
        xml += "<!ATTLIST e xmlns:p" + std::to_string(i) + " CDATA 'urn:" + std::to_string(i) + "'>";
    xml += "]><r>";
    for (std::size_t i = 0; i < elements; ++i)
        xml += "<e/>";
    return xml + "</r>";
}

NSInteger parseCounting(const std::string& xml, const std::shared_ptr<AttributeCounter>& counter, bool namespaces = false)
{
    auto parser = NSXMLParser::create(NSData::dataWithBytes(xml.data(), xml.size()));
    parser->setDelegate(counter);
    parser->setShouldProcessNamespaces(namespaces);
    parser->setShouldReportNamespacePrefixes(namespaces);
    const bool parsed = parser->parse();
    return parsed ? NSInteger(0) : parser->parserError()->code();
}

} // namespace

TEST(NSXMLParser, declaredDefaultsDeliverABoundedNumberOfAttributesPerDocument)
{
    auto parse = [](const std::string& xml, const std::shared_ptr<AttributeCounter>& counter) {
        auto parser = NSXMLParser::create(NSData::dataWithBytes(xml.data(), xml.size()));
        parser->setDelegate(counter);
        const bool parsed = parser->parse();
        return parsed ? NSInteger(0) : parser->parserError()->code();
    };
    // 804 KB that would deliver 51 million attributes.
    const std::string bomb = documentWithDefaults(NSXMLParser::maxAttributesPerElement, 200'000);
    auto counter = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parse(bomb, counter), NSXMLParserInternalError);
    EXPECT_LE(counter->attributes, NSXMLParser::maxDefaultedAttributes);

    // Defaults as documents use them are delivered.
    auto ordinary = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parse(documentWithDefaults(3, 1000), ordinary), 0);
    EXPECT_EQ(ordinary->elements, 1001u);
    EXPECT_EQ(ordinary->attributes, 3000u);
}

TEST(NSXMLParser, declaredDefaultsThatDeclareNamespacesCountAgainstTheSameBound)
{
    // 808 KB that would deliver 51 million namespace declarations.
    const std::string bomb = documentWithNamespaceDefaults(NSXMLParser::maxAttributesPerElement, 200'000);
    auto plain = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(bomb, plain), NSXMLParserInternalError);
    EXPECT_LE(plain->attributes, NSXMLParser::maxDefaultedAttributes + NSXMLParser::maxAttributesPerElement);
    auto mapped = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(bomb, mapped, true), NSXMLParserInternalError);
    EXPECT_LE(mapped->mappings, NSXMLParser::maxDefaultedAttributes + NSXMLParser::maxAttributesPerElement);

    // A document type that gives its elements a default namespace reads as before, and a tag
    // that declares its own is delivered it.
    auto ordinary = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(documentWithNamespaceDefaults(1, 1000), ordinary, true), 0);
    EXPECT_EQ(ordinary->elements, 1001u);
    EXPECT_EQ(ordinary->mappings, 1000u);
    // Declarations the tags write themselves cost their bytes and are not bounded so.
    std::string own = "<r>";
    for (int i = 0; i < 30'000; ++i)
        own += "<e xmlns:a='a' xmlns:b='b' xmlns:c='c' xmlns:d='d'/>";
    own += "</r>";
    auto written = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(own, written), 0);
    EXPECT_EQ(written->attributes, 120'000u);
}

TEST(NSXMLParser, declaredDefaultsDeliverABoundedNumberOfBytesPerDocument)
{
    // 1.1 MB whose megabyte default, given to 20,000 elements, would make 20 GB of attribute text.
    auto document = [](std::size_t length, std::size_t elements) {
        std::string xml = "<!DOCTYPE r [<!ATTLIST e a CDATA \"" + std::string(length, 'v') + "\">]><r>";
        while (elements--)
            xml += "<e/>";
        return xml + "</r>";
    };
    auto counter = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(document(1 << 20, 20'000), counter), NSXMLParserInternalError);
    EXPECT_LE(counter->attributes, NSXMLParser::maxDefaultedBytes >> 20);
    EXPECT_EQ(parseCounting(document(1 << 20, 20'000), nullptr), NSXMLParserInternalError);

    // Long defaults on a few elements are delivered.
    auto ordinary = std::make_shared<AttributeCounter>();
    EXPECT_EQ(parseCounting(document(4096, 500), ordinary), 0);
    EXPECT_EQ(ordinary->attributes, 500u);
}
