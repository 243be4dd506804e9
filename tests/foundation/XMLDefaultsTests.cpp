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
    std::size_t elements { 0 };
    std::size_t attributes { 0 };
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
