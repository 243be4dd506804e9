#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/PropertyListNode.h"

#include <gtest/gtest.h>

namespace {

id readXML(const std::string& body)
{
    const std::string list = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
    return NSPropertyListSerialization::propertyListWithData(NSData::dataWithBytes(list.data(), list.size()), 0, nullptr);
}

} // namespace

TEST(PropertyListDates, xmlDatesThatAreNoDatesAreRefused)
{
    for (const char* bad : { "<date>garbage</date>", "<date>10000-01-01T00:00:00Z</date>", "<date>2026-02-30T00:00:00Z</date>",
             "<date>2026-13-01T00:00:00Z</date>", "<date>2026-12-08T24:00:00Z</date>", "<date>2026-12-08</date>", "<date/>",
             "<date></date>", "<array><string>a</string><date>-0001-01-01T00:00:00Z</date></array>",
             "<dict><key>k</key><date>2026-12-08T05:25:28</date></dict>" })
        EXPECT_FALSE(readXML(bad)) << bad;

    auto date = ns::cast<NSDate>(readXML("<date>2026-12-08T05:25:28Z</date>"));
    ASSERT_TRUE(date);
    EXPECT_EQ(date->description(), "2026-12-08 05:25:28 +0000");
    EXPECT_TRUE(ns::cast<NSDate>(readXML("<date>2024-02-29T23:59:59Z</date>")));

    // Every date the XML form writes reads back.
    for (double seconds : { 0.0, 5e9, -3e9, -6e10, 252423993599.0 }) {
        auto written = NSPropertyListSerialization::dataWithPropertyList(NSDate::dateWithTimeIntervalSinceReferenceDate(seconds),
            NSPropertyListXMLFormat_v1_0, 0, nullptr);
        ASSERT_TRUE(written) << seconds;
        auto back = ns::cast<NSDate>(NSPropertyListSerialization::propertyListWithData(written, 0, nullptr));
        ASSERT_TRUE(back) << std::string(reinterpret_cast<const char*>(written->bytes()), written->length());
        EXPECT_EQ(back->timeIntervalSinceReferenceDate(), seconds);
    }
}

TEST(PropertyListDates, onlyDatesTheListHoldsAreCheckedNotTextInCommentsOrSections)
{
    // The look at the markup follows the parser: these are a comment and a section's text.
    auto array = ns::cast<NSArray>(readXML("<array><!-- <date>soon</date> <date --><string><![CDATA[<date>x</date>]]></string>"
                                           "<date>2026-12-08T05:25:28Z</date></array>"));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), 2u);
    EXPECT_TRUE(ns::textOf(array->objectAtIndex(0)).isEqualToString("<date>x</date>"));
    EXPECT_TRUE(ns::cast<NSDate>(array->objectAtIndex(1)));
    EXPECT_TRUE(readXML("<!DOCTYPE plist [ <!-- <date> --> ]><array><?note <date>?><date>2026-12-08T05:25:28Z</date></array>"));
    EXPECT_FALSE(readXML("<array><!-- closed --><date>later</date></array>"));
    EXPECT_FALSE(readXML("<array><!-- never closed <date>2026-12-08T05:25:28Z</date></array>"));

    // Containers in a comment open nothing.
    std::string deep;
    for (int i = 0; i <= PropertyListNode::maximumDepth; ++i)
        deep += "<array>";
    EXPECT_TRUE(readXML("<array><!--" + deep + "--><true/></array>"));
    EXPECT_FALSE(readXML(deep));
}

TEST(PropertyListDates, tagsRunTogetherAreRefusedAtOneLook)
{
    // No tag holds a '<': tags run together are refused at the first, wherever their '>' is.
    std::string dates;
    std::string arrays;
    for (int i = 0; i <= PropertyListNode::maximumDepth; ++i) {
        dates += "<date ";
        arrays += "<array ";
    }
    EXPECT_FALSE(readXML(dates + "<date>2026-12-08T05:25:28Z</date>"));
    EXPECT_FALSE(readXML("<array>" + arrays + "></array>"));
    // In a comment they are text, and the look reaches their '>' only past the comment's end:
    // no date to check there, no container to count. (How long a megabyte of them takes is
    // measured in hostile_input_bench.)
    EXPECT_TRUE(readXML("<array><!-- " + dates + "--><date>2026-12-08T05:25:28Z</date></array>"));
    EXPECT_TRUE(readXML("<array><!-- " + arrays + "--><true/></array>"));
}
