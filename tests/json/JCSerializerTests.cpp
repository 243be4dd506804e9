#include "JSONTestSupport.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "library/json/JSONCodecSerializingBlockAdditions.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"

#include <cmath>

using namespace JSONCodecSerializing;

namespace {

std::string encode(const id& object, JCSerializeOptionFlags options = JCSerializeOptionNone, NSErrorPointer error = nullptr)
{
    auto text = NSString::fromId(JCSerializer::serializeObject(object, options, JCEncodeAsString, nullptr, nullptr, nullptr, error));
    return text.isNil() ? std::string("<nil>") : text.UTF8String();
}

std::string failure(const id& object, JCSerializeOptionFlags options = JCSerializeOptionNone)
{
    std::shared_ptr<NSError> error;
    EXPECT_EQ(encode(object, options, &error), "<nil>");
    return error ? error->localizedDescription().UTF8String() : std::string();
}

} // namespace

TEST(JCSerializer, writesNestedCollectionsCompactlyInTheirOwnOrder)
{
    auto params = ns::mutableDictionary({ { "USERCODE", NSString("1001") }, { "SUBJECT", NSString("1") } });
    EXPECT_EQ(JSONString(std::static_pointer_cast<NSDictionary>(params)).UTF8String(), R"({"USERCODE":"1001","SUBJECT":"1"})");

    auto nested = ns::dictionary({
        { "list", ns::array({ ns::number(1), NSString("两"), NSNull::null(), ns::boolean(true), ns::array({}) }) },
        { "inner", ns::dictionary({ { "k", ns::dictionary({}) } }) },
    });
    EXPECT_EQ(encode(nested), R"({"list":[1,"两",null,true,[]],"inner":{"k":{}}})");
    EXPECT_EQ(encode(NSArray::array()), "[]");
}

TEST(JCSerializer, escapesOnlyWhatJSONRequires)
{
    const NSString text(u"/\"\\\t中\x1f\x7f");
    EXPECT_EQ(encode(ns::array({ text })), "[\"/\\\"\\\\\\t\xE4\xB8\xAD\\u001f\x7f\"]");
    EXPECT_EQ(encode(ns::array({ text }), JCSerializeEscapeNonASCII), "[\"/\\\"\\\\\\t\\u4e2d\\u001f\x7f\"]");
    EXPECT_EQ(encode(ns::array({ text }), JCSerializeEscapeSlashes), "[\"\\/\\\"\\\\\\t\xE4\xB8\xAD\\u001f\x7f\"]");
    EXPECT_EQ(encode(ns::array({ NSString(u"\b\f\n\r") })), R"(["\b\f\n\r"])");
    EXPECT_EQ(encode(ns::array({ NSString(std::u16string(1, u'\0')) })), R"(["\u0000"])");

    const NSString emoji(u"\U0001F600");
    EXPECT_EQ(encode(ns::array({ emoji })), "[\"\xF0\x9F\x98\x80\"]");
    EXPECT_EQ(encode(ns::array({ emoji }), JCSerializeEscapeNonASCII), R"(["\ud83d\ude00"])");

    std::u16string lone = u"a";
    lone.push_back(char16_t(0xDC00));
    EXPECT_EQ(encode(ns::array({ NSString(lone) })), R"(["a?"])");
    EXPECT_EQ(failure(ns::array({ NSString(u"\uFFFE") }), JCSerializeEscapeNonASCII), "Error converting UTF8.");
}

TEST(JCSerializer, writesNumbersByTheirStoredType)
{
    auto numbers = ns::array({ NSNumber::numberWithBool(true), NSNumber::numberWithBool(false), NSNumber::numberWithLongLong(INT64_MIN),
        NSNumber::numberWithUnsignedLongLong(UINT64_MAX), NSNumber::numberWithDouble(3.5), NSNumber::numberWithDouble(2.0),
        NSNumber::numberWithDouble(0.1), NSNumber::numberWithFloat(0.1f), NSNumber::numberWithDouble(1e21), NSNumber::numberWithDouble(-0.0) });
    EXPECT_EQ(encode(numbers), "[true,false,-9223372036854775808,18446744073709551615,3.5,2,0.10000000000000001,0.10000000149011612,1e+21,-0]");
    EXPECT_EQ(failure(ns::array({ NSNumber::numberWithDouble(NAN) })), "Floating point values must be finite.  JSON does not support NaN or Infinity.");
    EXPECT_EQ(failure(ns::array({ NSNumber::numberWithDouble(INFINITY) })), "Floating point values must be finite.  JSON does not support NaN or Infinity.");
}

TEST(JCSerializer, roundTripsADecodedReply)
{
    const std::string text = R"({"code":0,"data":[{"NAME":"张三","SCORE":98.5,"BIG":18446744073709551615}],"message":"ok"})";
    auto decoded = JSONCodecDeserializing::objectFromJSONString(NSString(text));
    ASSERT_TRUE(decoded);
    auto again = JSONCodecDeserializing::objectFromJSONString(NSString(encode(decoded)));
    EXPECT_TRUE(ns::isEqual(decoded, again));
}

TEST(JCSerializer, prettyPrintingSortsKeysAndIndents)
{
    auto object = ns::dictionary({ { "b", ns::array({ ns::boolean(true) }) }, { "a", ns::number(1) } });
    EXPECT_EQ(encode(object, JCSerializePrettyPrint), "{\n  \"a\": 1,\n  \"b\": [\n    true\n  ]\n}");
    EXPECT_EQ(encode(NSArray::array(), JCSerializePrettyPrint), "[\n  \n]");
}

TEST(JCSerializer, refusesWhatJSONCannotExpress)
{
    auto numberKey = NSMutableDictionary::dictionary();
    numberKey->setObject(NSString("v"), static_cast<id>(ns::number(1)));
    EXPECT_EQ(failure(numberKey), "Key must be a string object.");
    EXPECT_EQ(failure(ns::array({ NSDate::date() })), "Unable to serialize object class NSDate.");

    std::shared_ptr<NSError> error;
    EXPECT_TRUE(JSONString(std::static_pointer_cast<NSArray>(ns::array({ NSDate::date() }))).isNil());
    EXPECT_TRUE(JSONCodecSerializing::JSONStringWithOptions(NSString("x"), 0, true, &error) == NSString("\"x\""));
}

TEST(JCSerializer, refusesACollectionThatContainsItself)
{
    auto outer = NSMutableArray::array();
    auto inner = NSMutableDictionary::dictionary();
    inner->setObject(outer, "loop");
    outer->addObject(inner);
    EXPECT_EQ(failure(outer), "Unable to serialize object class NSMutableArray: the collection contains itself.");
    // The same collection twice side by side is no cycle.
    auto shared = ns::array({ ns::number(1) });
    EXPECT_EQ(encode(ns::array({ shared, shared })), "[[1],[1]]");
    outer->removeAllObjects();
}

TEST(JCSerializer, replacesUnsupportedObjectsThroughTheBlockOrDelegate)
{
    auto date = NSDate::date();
    int calls = 0;
    auto block = [&](const id&) -> id {
        ++calls;
        return NSString("when");
    };
    auto array = ns::array({ date, date });
    EXPECT_EQ(JSONCodecSerializingBlockAdditions::JSONStringWithOptions(array, 0, block).UTF8String(), R"(["when","when"])");
    EXPECT_EQ(calls, 1);

    std::shared_ptr<NSError> error;
    auto unsupportedReplacement = [](const id&) -> id { return NSDate::date(); };
    EXPECT_TRUE(JSONCodecSerializingBlockAdditions::JSONStringWithOptions(array, 0, unsupportedReplacement, &error).isNil());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription().UTF8String(),
        std::string("Unable to serialize object class NSDate that was returned by the unsupported class formatter.  Original object class was NSDate."));

    auto delegate = NSNull::null();
    auto selector = [](const id& receiver, const id& object) -> id { return receiver && object ? NSString("by delegate") : id(); };
    EXPECT_EQ(JSONStringWithOptions(array, 0, delegate, selector).UTF8String(), R"(["by delegate","by delegate"])");
    EXPECT_THROW(JSONStringWithOptions(array, 0, delegate, nullptr), NSException);
}

TEST(JSONCodecSerializing, stringsAndDataEntryPoints)
{
    EXPECT_EQ(JSONString(NSString("a\"b")).UTF8String(), R"("a\"b")");
    EXPECT_EQ(JSONStringWithOptions(NSString("a/b"), 0, false).UTF8String(), "a/b");
    auto data = JSONData(std::static_pointer_cast<NSArray>(ns::array({ NSString("中") })));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->stringView(), "[\"\xE4\xB8\xAD\"]");

    std::shared_ptr<NSError> error = NSError::errorWithDomain("old", 1);
    EXPECT_EQ(JSONStringWithOptions(std::static_pointer_cast<NSArray>(ns::array({})), 0, &error).UTF8String(), "[]");
    EXPECT_FALSE(error);
}
