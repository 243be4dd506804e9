// XML lists whose markup the parser beneath reads otherwise than XML does.
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/support/OtherProcess.h"

#include <gtest/gtest.h>

namespace {

id read(const std::string& list)
{
    return NSPropertyListSerialization::propertyListWithData(NSData::dataWithBytes(list.data(), list.size()), 0, nullptr);
}

std::string repeated(const std::string& unit, std::size_t count)
{
    std::string text;
    while (count--)
        text += unit;
    return text;
}

} // namespace

// Run as a process of its own: these lists, 3.5 and 1.4 MB, once nested past the stack.
TEST(PropertyListMarkupChild, DISABLED_readsListsNestedBehindQuotedMarkupAsPreferences)
{
    for (const std::string& list : { "<?xml version=\"1.0\"?><plist>" + repeated("<array a=\"/>\">", 250'000),
             "<?xml version=\"1.0\"?><!DOCTYPE plist SYSTEM \"a[b\"><plist>" + repeated("<array>", 200'000) + "<string>]</string>" }) {
        EXPECT_FALSE(read(list));
        ASSERT_TRUE(NSData::dataWithBytes(list.data(), list.size())->writeToFile(NSUserDefaults::standardUserDefaults()->filePath(), true));
        NSUserDefaults::resetStandardUserDefaults();
        EXPECT_EQ(NSUserDefaults::standardUserDefaults()->dictionaryRepresentation()->count(), 0u);
        NSUserDefaults::resetStandardUserDefaults();
    }
}

TEST(PropertyListMarkup, quotedMarkupNeitherHidesNestingNorADate)
{
    EXPECT_TRUE(passesInAnotherProcess("PropertyListMarkupChild.DISABLED_readsListsNestedBehindQuotedMarkupAsPreferences"));
    // The parser would read each of these dates as some made-up date.
    for (const char* list : { "<!DOCTYPE plist SYSTEM \"a[b\"><plist><array><date>garbage</date><string>]</string></array></plist>",
             "<plist><?><date>garbage</date>?></plist>", "<plist><?pi \"?><!--\"?><date>garbage</date><!-- --></plist>" })
        EXPECT_FALSE(read(list)) << list;

    // Markup both read alike still reads.
    auto array = ns::cast<NSArray>(read("<!DOCTYPE plist SYSTEM \"a[b]>c\" [ <!ENTITY x \"]>\"> <!-- <date> --> %p; ]>"
                                        "<plist version='1'><array a=\"/>\" b=\"x>y'\" c='[z]'><array a=\"/>\"></array>"
                                        "<?pi a=\"?\"?><string>&lt;&#62;</string></array></plist>"));
    ASSERT_TRUE(array && array->count() == 2);
    EXPECT_TRUE(ns::textOf(array->objectAtIndex(1)).isEqualToString("<>"));
}
