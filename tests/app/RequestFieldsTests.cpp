#include "app/services/RequestFields.h"

#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

namespace {

// A decoded row as the services may send it: a number, a null, an empty text, a key left out.
std::shared_ptr<NSDictionary> row()
{
    return ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(R"({"ID":42,"NAME":"李红梅","GONE":null,"EMPTY":""})")));
}

TEST(RequestFields, valuesARowLacksAreNotedOrLeftOutButNeverSentAsText)
{
    auto source = row();
    RequestFields fields;
    fields.set("METHOD", "saveSchedueMethod")
        .required("ID", source->objectForKey(NSString("ID")))
        .required("GONE", source->objectForKey(NSString("GONE")))
        .required("EMPTY", source->objectForKey(NSString("EMPTY")))
        .required("ABSENT", source->objectForKey(NSString("ABSENT")))
        .orEmpty("COACHNAME", source->objectForKey(NSString("GONE")))
        .ifPresent("TALKID", source->objectForKey(NSString("ABSENT")))
        .ifPresent("NAME", source->objectForKey(NSString("NAME")));
    EXPECT_FALSE(fields.complete());
    EXPECT_EQ(fields.missing(), (std::vector<std::string> { "GONE", "EMPTY", "ABSENT" }));
    auto sent = fields.dictionary();
    EXPECT_EQ(ns::stringForKey(sent, "ID"), NSString("42"));
    EXPECT_EQ(ns::stringForKey(sent, "COACHNAME"), NSString(""));
    EXPECT_EQ(ns::stringForKey(sent, "NAME"), NSString("李红梅"));
    for (const char* left : { "GONE", "EMPTY", "ABSENT", "TALKID" })
        EXPECT_FALSE(sent->objectForKey(NSString(left))) << left;
}

TEST(RequestFields, aListWithAnAbsentMemberIsNotedWholeAndNotSentWithAGap)
{
    RequestFields fields;
    fields.requiredList("ABOUTIDS", { NSString("A-1"), ns::number(2) }).requiredList("ABOUTTIME", { NSString("08:00"), nullptr });
    EXPECT_EQ(ns::stringForKey(fields.dictionary(), "ABOUTIDS"), NSString("A-1,2"));
    EXPECT_FALSE(fields.dictionary()->objectForKey(NSString("ABOUTTIME")));
    EXPECT_EQ(fields.missing(), (std::vector<std::string> { "ABOUTTIME" }));
}

} // namespace
