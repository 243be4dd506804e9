#include "JSONTestSupport.h"

#include "library/json/JCArray.h"
#include "library/json/JCDictionary.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSException.h"

TEST(JSONDecoderErrors, carryTheIndexAndLineOfTheOffendingToken)
{
    auto result = decode("[\n1,\n]");
    EXPECT_FALSE(result.object);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->domain(), NSString("JCErrorDomain"));
    EXPECT_EQ(result.error->code(), -1);
    EXPECT_EQ(result.message(), "Unexpected ']'.");
    EXPECT_EQ(result.line(), 3u);
    EXPECT_EQ(result.index(), 6u);

    // A line feed, a carriage return and the pair each count as one break.
    auto breaks = decode("[1,\r\n2,\r3,\n4 :]");
    EXPECT_EQ(breaks.line(), 4u);
    EXPECT_EQ(breaks.message(), "Expected a comma or a ']', not ':'");
    EXPECT_EQ(decode("[\"a\",\n \"b\n\"]").line(), 2u);
}

TEST(JSONDecoderErrors, nameWhatWasExpected)
{
    EXPECT_EQ(decode("").message(), "Reached the end of the buffer.");
    EXPECT_EQ(decode("").index(), 0u);
    EXPECT_EQ(decode("").line(), 1u);
    EXPECT_EQ(decode("   ").message(), JCUnexpectedTokenMessage);
    EXPECT_EQ(decode("\"text\" ").message(), "Expected either '[' or '{'.");
    EXPECT_EQ(decode("12").message(), "Invalid number.");
    EXPECT_EQ(decode("true").message(), JCUnexpectedTokenMessage);
    EXPECT_EQ(decode("[1,]").message(), "Unexpected ']'.");
    EXPECT_EQ(decode("{\"a\":1,}").message(), "Unexpected '}'.");
    EXPECT_EQ(decode("[1 2]").message(), "Unexpected value.");
    EXPECT_EQ(decode("[1:2]").message(), "Expected a comma or a ']', not ':'");
    EXPECT_EQ(decode("{1}").message(), "Expected a \"STRING\" or a '}', not '1'");
    EXPECT_EQ(decode("{\"a\" 1}").message(), "Expected ':'.");
    EXPECT_EQ(decode("[1,").message(), "Reached the end of the buffer.");
    EXPECT_EQ(decode("[1] x").message(), "A valid JSON object was parsed but there were additional non-white-space characters remaining.");
}

TEST(JSONDecoderErrors, onlyTheFirstErrorIsKept)
{
    // The string's own message wins over the general ones reported after it.
    EXPECT_EQ(decode("[\"\\q\"]").message(), "Invalid escape sequence found in \"\" string.");
}

TEST(JSONDecoder, trailingTextAndWhiteSpaceAfterTheRoot)
{
    EXPECT_TRUE(decode("[1] \n\r\n\t ").object);
    EXPECT_TRUE(decode("[1] x", JCParseAllowTrailingText).object);
}

TEST(JSONDecoder, buildsTheCodecsOwnImmutableCollections)
{
    EXPECT_TRUE(ns::cast<JCArray>(decode("[]").object));
    auto empty = ns::cast<JCDictionary>(decode("{}").object);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->capacity(), 0u);

    auto reply = ns::cast<JCDictionary>(decode(R"({"output":{"head":{"retCode":0,"retDesc":"成功"}},"list":[1,"a",null]})").object);
    ASSERT_TRUE(reply);
    auto head = ns::dictionaryForKey(ns::dictionaryForKey(reply, "output"), "head");
    EXPECT_EQ(ns::integerForKey(head, "retCode"), 0);
    EXPECT_EQ(ns::stringForKey(head, "retDesc"), NSString("成功"));
    auto list = ns::arrayForKey(reply, "list");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->count(), 3u);
    EXPECT_EQ(std::dynamic_pointer_cast<JCArray>(list)->capacity(), 3u);
    EXPECT_EQ(std::dynamic_pointer_cast<JCArray>(list)->mutations(), 0u);
}

TEST(JSONDecoder, aRepeatedKeyKeepsTheLaterValue)
{
    auto object = ns::cast<NSDictionary>(decode(R"({"a":1,"a":2})").object);
    ASSERT_TRUE(object);
    EXPECT_EQ(object->count(), 1u);
    EXPECT_EQ(ns::integerForKey(object, "a"), 2);
}

TEST(JSONDecoder, oneDecoderSharesEqualStringsAcrossParses)
{
    auto decoder = JSONDecoder::decoder();
    const std::string text = R"({"ROWNAME":"value","n":12345})";
    auto first = ns::cast<NSDictionary>(decoder->objectWithUTF8String(text.data(), text.size()));
    auto second = ns::cast<NSDictionary>(decoder->objectWithUTF8String(text.data(), text.size()));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->objectForKey("ROWNAME"), second->objectForKey("ROWNAME"));
    EXPECT_EQ(first->allKeys()->objects(), second->allKeys()->objects());
    decoder->clearCache();
    auto third = ns::cast<NSDictionary>(decoder->objectWithUTF8String(text.data(), text.size()));
    EXPECT_NE(first->objectForKey("ROWNAME"), third->objectForKey("ROWNAME"));
    EXPECT_EQ(ns::stringForKey(first, "ROWNAME"), NSString("value"));
}

TEST(JSONDecoder, refusesNestingBeyondTheLimitWithAPositionedError)
{
    const NSUInteger limit = JCMaximumNestingDepth;
    const std::string deepEnough = std::string(limit, '[') + std::string(limit, ']');
    EXPECT_TRUE(decode(deepEnough).object);

    const std::string tooDeep = std::string(limit + 1, '[') + std::string(limit + 1, ']');
    auto result = decode(tooDeep);
    EXPECT_FALSE(result.object);
    EXPECT_EQ(result.message(), "Nesting too deep: arrays and objects may nest at most 512 levels.");
    EXPECT_EQ(result.index(), limit + 1);
    EXPECT_EQ(result.line(), 1u);

    // A hostile reply far deeper than the stack could hold.
    std::string hostile;
    for (int i = 0; i < 200000; ++i)
        hostile += "{\"a\":[";
    EXPECT_FALSE(decode(hostile).object);
}

TEST(JSONDecoder, refusesUnknownOptionsAndMissingInput)
{
    EXPECT_THROW(JSONDecoder::decoderWithParseOptions(16), NSException);
    auto decoder = JSONDecoder::decoder();
    EXPECT_THROW(decoder->objectWithUTF8String(nullptr, 3), NSException);
    EXPECT_THROW(decoder->objectWithData(nullptr), NSException);
    EXPECT_FALSE(decoder->objectWithData(NSData::data()));
}

TEST(JSONCodecDeserializing, readsStringsWithUnpairedSurrogatesAsQuestionMarks)
{
    std::u16string text = u"[\"a";
    text.push_back(char16_t(0xD800));
    text += u"b\"]";
    auto array = ns::cast<NSArray>(JSONCodecDeserializing::objectFromJSONString(NSString(text)));
    ASSERT_TRUE(array);
    EXPECT_EQ(ns::stringValue(array->objectAtIndex(0)), NSString("a?b"));
    EXPECT_FALSE(JSONCodecDeserializing::objectFromJSONString(NSString("[1,]")));
    EXPECT_FALSE(JSONCodecDeserializing::objectFromJSONString(NSString()));

    std::shared_ptr<NSError> error;
    EXPECT_FALSE(JSONCodecDeserializing::objectFromJSONStringWithParseOptions(NSString("{]"), JCParseOptionsNone, &error));
    EXPECT_TRUE(error);
    auto fromData = ns::cast<NSDictionary>(JSONCodecDeserializing::objectFromJSONData(NSData::dataWithBytes("{\"k\":\"v\"}", 9)));
    ASSERT_TRUE(fromData);
    EXPECT_EQ(ns::stringForKey(fromData, "k"), NSString("v"));
}

TEST(JSONCodecDeserializing, mutableEntryPointsMakeEveryCollectionMutable)
{
    auto root = ns::cast<NSMutableDictionary>(JSONCodecDeserializing::mutableObjectFromJSONString(NSString(R"({"a":[{"b":1}],"c":{}})")));
    ASSERT_TRUE(root);
    auto list = ns::cast<NSMutableArray>(root->objectForKey("a"));
    ASSERT_TRUE(list);
    list->addObject(NSNull::null());
    EXPECT_EQ(list->count(), 2u);
    auto inner = ns::cast<NSMutableDictionary>(list->objectAtIndex(0));
    inner->setObject(NSString("x"), "y");
    ns::cast<NSMutableDictionary>(root->objectForKey("c"))->setObject(NSString("z"), "w");
    root->removeObjectForKey("a");
    EXPECT_EQ(root->count(), 1u);
    EXPECT_EQ(ns::stringForKey(inner, "y"), NSString("x"));
}

TEST(JSONDecoder, longStringsWithEscapesKeepEveryCharacter)
{
    // Escapes at both ends make the whole value go through the growing token buffer.
    const std::string middle(3 * 1024 * 1024 + 17, 'x');
    auto member = decodeMember("[\"\\u00e9" + middle + "\\n\\u4e2d\"]");
    const std::string text = utf8Of(member);
    ASSERT_EQ(text.size(), middle.size() + 2 + 1 + 3);
    EXPECT_EQ(text.substr(0, 2), "é");
    EXPECT_EQ(text.substr(2, middle.size()), middle);
    EXPECT_EQ(text.substr(text.size() - 4), "\n中");
}
