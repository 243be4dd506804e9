#include "JSONTestSupport.h"

#include "library/json/JCArray.h"
#include "library/json/JCDictionary.h"
#include "library/json/JSONCodecDeserializing.h"
#include "platform/foundation/NSException.h"

#include <set>

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

// The tokenizer counts the UTF-16 units of text without escapes; the string maker trusts the count.
TEST(JSONDecoder, stringsOfEveryWidthKeepEveryUnit)
{
    const std::vector<std::u16string> texts {
        u"", u"a", u"ascii only, longer than one word", u"é", u"aé", u"科目一", u"a科目一b", u"科目一考试安全文明常识成功机动车驾驶人",
        u"€ and 😀", u"😀😀", u"mixed é 科 😀 text", u"ÿ科😀"
    };
    std::string text = "[";
    for (std::size_t i = 0; i < texts.size(); ++i)
        text += (i ? ",\"" : "\"") + ns::utf8FromUTF16(texts[i]) + "\"";
    // The same texts through escapes, which the slow path reads.
    text += R"(,"\u00e9\u79d1\ud83d\ude00","\"quoted\" \u79d1\u76ee")";
    text += "]";
    auto list = ns::cast<NSArray>(decode(text).object);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), texts.size() + 2);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(NSString::fromId(list->objectAtIndex(i)).view(), texts[i]) << i;
    EXPECT_EQ(NSString::fromId(list->objectAtIndex(texts.size())).view(), std::u16string_view(u"é科😀"));
    EXPECT_EQ(NSString::fromId(list->objectAtIndex(texts.size() + 1)).view(), std::u16string_view(u"\"quoted\" 科目"));
}

// Equal short values are one object whatever their length, longer ones are made anew, and values
// that differ in any one byte are kept apart.
TEST(JSONDecoder, equalShortValuesAreSharedAndOthersKeptApart)
{
    auto decoder = JSONDecoder::decoder();
    auto member = [&](const std::string& text) {
        auto list = ns::cast<NSArray>(decoder->objectWithUTF8String(text.data(), text.size()));
        return list && list->count() == 1 ? list->objectAtIndex(0) : nullptr;
    };
    for (const std::string text : { "[0.5]", "[-7]", "[18446744073709551615]", "[true]" })
        EXPECT_EQ(member(text), member(text)) << text;
    std::string all = "[";
    std::vector<std::string> values;
    for (std::size_t length = 1; length <= 26; ++length) {
        const std::string value(length, 'x');
        const id first = member("[\"" + value + "\"]");
        ASSERT_EQ(utf8Of(first), value);
        EXPECT_EQ(first == member("[\"" + value + "\"]"), length <= JCLongestCachedValue) << length;
        values.push_back(value);
        for (std::size_t at = 0; at < length; ++at) {
            std::string changed = value;
            changed[at] = 'y';
            values.push_back(changed);
        }
    }
    for (const auto& value : values)
        all += "\"" + value + "\",";
    all.back() = ']';
    auto list = ns::cast<NSArray>(decoder->objectWithUTF8String(all.data(), all.size()));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), values.size());
    std::set<std::string> distinct;
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(utf8Of(list->objectAtIndex(i)), values[i]);
        distinct.insert(utf8Of(list->objectAtIndex(i)));
    }
    EXPECT_EQ(distinct.size(), values.size());
}
