#include "tests/app/ReplyVariants.h"

#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/TypedValues.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kSample = R"({"head":{"retCode":"0"},"body":{
    "slots":[{"ID":"1","TIME":"08:00"},{"ID":"2","TIME":"09:00"},{"ID":"3","TIME":"10:00"}],
    "user":[{"CODE":"42"}]}})";

std::shared_ptr<NSArray> rowsOf(const std::string& json, const char* list)
{
    auto reply = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(NSString(json)));
    return ns::arrayForKey(ns::dictionaryForKey(reply, "body"), list);
}

const ReplyVariants::Variant& named(const std::vector<ReplyVariants::Variant>& variants, const std::string& name)
{
    for (const auto& variant : variants)
        if (variant.name == name)
            return variant;
    static const ReplyVariants::Variant none;
    ADD_FAILURE() << "no variant " << name;
    return none;
}

TEST(ReplyVariants, aFieldOfRowsIsSpoiledInEveryRowThenInTheFirstAndTheLastAlone)
{
    const ReplyVariants variants(kSample);
    const auto ofId = variants.variantsOf("body.slots[].ID");
    ASSERT_EQ(ofId.size(), 6u);
    for (const auto* name : { "left out", "null" }) {
        auto rows = rowsOf(named(ofId, name).json, "slots");
        ASSERT_EQ(rows->count(), 3u);
        for (const auto& row : rows->objects())
            EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(row), "ID").isNil()) << name;
    }
    auto first = rowsOf(named(ofId, "left out in the first of 3 rows").json, "slots");
    EXPECT_FALSE(ns::dictionaryValue(first->objectAtIndex(0))->objectForKey(NSString("ID")));
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(first->objectAtIndex(1)), "ID"), NSString("2"));
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(first->objectAtIndex(2)), "ID"), NSString("3"));
    auto last = rowsOf(named(ofId, "null in the last of 3 rows").json, "slots");
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(last->objectAtIndex(0)), "ID"), NSString("1"));
    EXPECT_EQ(ns::dictionaryValue(last->objectAtIndex(2))->objectForKey(NSString("ID")), NSNull::null());
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(last->objectAtIndex(2)), "TIME"), NSString("10:00"));
}

TEST(ReplyVariants, aSingleRowIsServedBesideAGoodCopyAndAFieldOutsideRowsOnlyWhole)
{
    const ReplyVariants variants(kSample);
    EXPECT_EQ(variants.fields().size(), 4u);
    const auto ofCode = variants.variantsOf("body.user[].CODE");
    ASSERT_EQ(ofCode.size(), 6u);
    auto first = rowsOf(named(ofCode, "left out in the first of 2 rows").json, "user");
    ASSERT_EQ(first->count(), 2u);
    EXPECT_TRUE(ns::stringForKey(ns::dictionaryValue(first->objectAtIndex(0)), "CODE").isNil());
    EXPECT_EQ(ns::stringForKey(ns::dictionaryValue(first->objectAtIndex(1)), "CODE"), NSString("42"));
    // The whole-reply variants keep the sample's rows as they are.
    EXPECT_EQ(rowsOf(named(ofCode, "null").json, "user")->count(), 1u);
    const auto ofCodeAtHead = variants.variantsOf("head.retCode");
    ASSERT_EQ(ofCodeAtHead.size(), 2u);
    EXPECT_EQ(ofCodeAtHead[0].name, "left out");
    EXPECT_EQ(ofCodeAtHead[1].name, "null");
}

} // namespace
