// The decoder's cache of values and keys across replies, decoders, failures and threads: a
// value handed out twice must be one living object, and nothing a tree let go of may be handed
// out again.
#include "JSONTestSupport.h"

#include "library/json/JCDictionary.h"
#include "platform/foundation/NSNull.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

id parseWith(const std::shared_ptr<JSONDecoder>& decoder, const std::string& text, bool mutableCollections = false,
    std::shared_ptr<NSError>* error = nullptr)
{
    return mutableCollections ? decoder->mutableObjectWithUTF8String(text.data(), text.size(), error)
                              : decoder->objectWithUTF8String(text.data(), text.size(), error);
}

std::shared_ptr<NSArray> arrayWith(const std::shared_ptr<JSONDecoder>& decoder, const std::string& text)
{
    return ns::cast<NSArray>(parseWith(decoder, text));
}

// Twenty keys: too many for the flat form, so the indexed dictionary takes repeated keys.
std::string wideRowWithRepeat(const std::string& repeatedKey, const std::string& first, const std::string& last)
{
    std::string row = "{\"" + repeatedKey + "\":\"" + first + "\"";
    for (int i = 0; i < 20; ++i)
        row += ",\"K" + std::to_string(i) + "\":" + std::to_string(i);
    return row + ",\"" + repeatedKey + "\":\"" + last + "\"}";
}

} // namespace

// A repeated key lets its earlier value go while the reply is still read; the same text later in
// the reply, or in the decoder's next reply, is a new or living object with the right text.
TEST(JSONDecoderCache, aValueARepeatedKeyLetGoIsNeverHandedOutDead)
{
    for (const bool wide : { false, true }) {
        for (const bool mutableCollections : { false, true }) {
            auto decoder = JSONDecoder::decoder();
            const std::string row = wide ? wideRowWithRepeat("a", "gone", "kept") : R"({"a":"gone","a":"kept"})";
            {
                auto list = ns::cast<NSArray>(parseWith(decoder, "[" + row + ",\"gone\",\"kept\"]", mutableCollections));
                ASSERT_TRUE(list);
                auto dictionary = ns::cast<NSDictionary>(list->objectAtIndex(0));
                EXPECT_EQ(utf8Of(dictionary->objectForKey("a")), "kept");
                EXPECT_EQ(utf8Of(list->objectAtIndex(1)), "gone");
                EXPECT_EQ(list->objectAtIndex(2), dictionary->objectForKey("a"));
            }
            // The first tree is gone; its values are the decoder's to share.
            auto again = arrayWith(decoder, R"(["gone","kept","gone"])");
            ASSERT_TRUE(again);
            EXPECT_EQ(utf8Of(again->objectAtIndex(0)), "gone");
            EXPECT_EQ(utf8Of(again->objectAtIndex(1)), "kept");
            EXPECT_EQ(again->objectAtIndex(0), again->objectAtIndex(2));
        }
    }
}

// A failed reply takes its values with it; the decoder reads the next one with fresh ones.
TEST(JSONDecoderCache, aFailedReplyLeavesNothingBehindToShare)
{
    auto decoder = JSONDecoder::decoder();
    const std::vector<std::string> broken {
        R"(["short","short",{"k":"short","k2":[1,2,"short")",
        R"({"short":"short","n":-12,"x":[1.5,"short"]} trailing)",
        R"([{"short":1},{"short":2},{"short":3},{"short":4},{"short":5},{"short":6} ])" + std::string("]"),
        R"(["short",)" + std::string(JCMaximumNestingDepth + 4, '['),
        "[\"short\",\"bad \xC3\x28 byte\"]",
    };
    for (const auto& text : broken) {
        std::shared_ptr<NSError> error;
        EXPECT_FALSE(parseWith(decoder, text, false, &error)) << text;
        EXPECT_TRUE(error) << text;
        auto next = arrayWith(decoder, R"(["short",{"short":"short"},-12,1.5])");
        ASSERT_TRUE(next) << text;
        EXPECT_EQ(utf8Of(next->objectAtIndex(0)), "short");
        auto row = ns::cast<NSDictionary>(next->objectAtIndex(1));
        EXPECT_EQ(row->objectForKey("short"), next->objectAtIndex(0));
        EXPECT_EQ(ns::integerValue(next->objectAtIndex(2)), -12);
    }
}

// A mutable tree may be changed as soon as it is returned: values it drops stay usable when
// the decoder hands them out again.
TEST(JSONDecoderCache, valuesDroppedFromAMutableTreeStayAlive)
{
    auto decoder = JSONDecoder::decoder();
    id first;
    {
        auto root = ns::cast<NSMutableDictionary>(parseWith(decoder, R"({"a":"alpha","b":["alpha","beta"]})", true));
        ASSERT_TRUE(root);
        first = root->objectForKey("a");
        root->removeObjectForKey("a");
        ns::cast<NSMutableArray>(root->objectForKey("b"))->removeAllObjects();
    }
    auto again = arrayWith(decoder, R"(["alpha","beta"])");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->objectAtIndex(0), first);
    EXPECT_EQ(utf8Of(again->objectAtIndex(1)), "beta");
}

// Cached numbers keep their type and value at the limits of each type, whichever reply made
// them first, and equal bits of different types are kept apart.
TEST(JSONDecoderCache, numbersAtTheirLimitsComeBackUnchangedFromTheCache)
{
    const std::string text = R"([-9223372036854775808,9223372036854775807,9223372036854775808,18446744073709551615,)"
                             R"(0,-0,0.0,-0.0,1.7976931348623157e308,4.9e-324,1,1.0,"1"])";
    auto decoder = JSONDecoder::decoder();
    std::vector<std::shared_ptr<NSArray>> trees;
    for (int round = 0; round < 3; ++round) {
        auto list = arrayWith(decoder, text);
        ASSERT_TRUE(list);
        trees.push_back(list);
        auto number = [&](NSUInteger i) { return ns::cast<NSNumber>(list->objectAtIndex(i)); };
        EXPECT_EQ(number(0)->longLongValue(), INT64_MIN);
        EXPECT_EQ(number(1)->longLongValue(), INT64_MAX);
        EXPECT_EQ(number(2)->unsignedLongLongValue(), 9223372036854775808ull);
        EXPECT_EQ(number(3)->unsignedLongLongValue(), UINT64_MAX);
        EXPECT_STREQ(number(3)->objCType(), "Q");
        EXPECT_STREQ(number(4)->objCType(), "q");
        EXPECT_STREQ(number(5)->objCType(), "d");
        EXPECT_TRUE(std::signbit(number(5)->doubleValue()));
        EXPECT_FALSE(std::signbit(number(6)->doubleValue()));
        EXPECT_TRUE(std::signbit(number(7)->doubleValue()));
        EXPECT_NE(list->objectAtIndex(6), list->objectAtIndex(7));
        EXPECT_EQ(number(8)->doubleValue(), 1.7976931348623157e308);
        EXPECT_EQ(number(9)->doubleValue(), 4.9e-324);
        EXPECT_STREQ(number(10)->objCType(), "q");
        EXPECT_STREQ(number(11)->objCType(), "d");
        EXPECT_EQ(utf8Of(list->objectAtIndex(12)), "1");
        // Later rounds are served from the cache where the values found room in it.
        for (NSUInteger i = 0; round > 0 && i < 12; ++i) {
            EXPECT_TRUE(list->objectAtIndex(i)->isEqual(trees[0]->objectAtIndex(i))) << i;
            EXPECT_STREQ(number(i)->objCType(), ns::cast<NSNumber>(trees[0]->objectAtIndex(i))->objCType()) << i;
        }
    }
}

// Replaced bad bytes are not confused with the text that has the replacement character.
TEST(JSONDecoderCache, replacedBadBytesAndTheirLookAlikesAreKeptApart)
{
    auto decoder = JSONDecoder::decoderWithParseOptions(JCParseReplaceBadUnicode);
    const std::string bad = "\"a\xFF" "b\"";
    const std::string replaced = "\"a\xEF\xBF\xBD" "b\"";
    for (int round = 0; round < 2; ++round) {
        auto list = arrayWith(decoder, "[" + bad + "," + replaced + "," + bad + ",\"a\\ufffdb\",\"ab\"]");
        ASSERT_TRUE(list);
        for (NSUInteger i = 0; i < 4; ++i)
            EXPECT_EQ(NSString::fromId(list->objectAtIndex(i)).view(), std::u16string_view(u"a\uFFFDb")) << i;
        EXPECT_EQ(utf8Of(list->objectAtIndex(4)), "ab");
    }
    // Strictly, the same bytes fail, and the valid reply after them still reads.
    auto strict = JSONDecoder::decoder();
    EXPECT_FALSE(parseWith(strict, "[\"ok\"," + bad + "]"));
    auto after = arrayWith(strict, "[\"ok\"," + replaced + "]");
    ASSERT_TRUE(after);
    EXPECT_EQ(utf8Of(after->objectAtIndex(0)), "ok");
}

// Rows of one shape share their key objects; a row of the same keys in which one repeats is
// still read as a dictionary of fewer entries, even right after rows whose keys were distinct.
TEST(JSONDecoderCache, rowsOfOneShapeShareKeysAndARepeatStillCounts)
{
    std::string text = "[";
    for (int i = 0; i < 4; ++i)
        text += R"({"A":1,"B":2,"C":3,"D":4,"E":5,"F":6},)";
    text += R"({"A":1,"B":2,"C":3,"D":4,"E":5,"A":7}])";
    auto decoder = JSONDecoder::decoder();
    for (int round = 0; round < 2; ++round) {
        auto rows = arrayWith(decoder, text);
        ASSERT_TRUE(rows);
        auto first = ns::cast<NSDictionary>(rows->objectAtIndex(0));
        auto last = ns::cast<NSDictionary>(rows->objectAtIndex(4));
        EXPECT_EQ(first->allKeys()->objects(), ns::cast<NSDictionary>(rows->objectAtIndex(3))->allKeys()->objects());
        EXPECT_EQ(last->count(), 5u);
        EXPECT_EQ(ns::integerForKey(last, "A"), 7);
    }
}

// Trees decoded on one thread are read and let go on another while the decoder goes on reading
// with the values those trees hold.
TEST(JSONDecoderCache, treesLetGoOnAnotherThreadWhileTheDecoderReadsOn)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<id> handedOver;
    bool finished = false;
    std::atomic<int> wrong { 0 };
    std::thread reader([&] {
        for (;;) {
            id tree;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return finished || !handedOver.empty(); });
                if (handedOver.empty())
                    return;
                tree = std::move(handedOver.front());
                handedOver.pop_front();
            }
            auto row = ns::cast<NSDictionary>(ns::cast<NSArray>(tree)->objectAtIndex(0));
            if (!row || utf8Of(row->objectForKey("NAME")) != "张三" || ns::integerForKey(row, "N") != 42)
                ++wrong;
        }
    });
    const std::string text = R"([{"NAME":"张三","N":42,"TAG":"t"},"张三",42,"t"])";
    auto shared = JSONDecoder::decoder();
    for (int i = 0; i < 2000; ++i) {
        // A long-lived decoder and one per reply, as the service clients make.
        auto decoder = i % 2 ? shared : JSONDecoder::decoder();
        auto tree = arrayWith(decoder, text);
        ASSERT_TRUE(tree);
        auto row = ns::cast<NSDictionary>(tree->objectAtIndex(0));
        EXPECT_EQ(row->objectForKey("NAME"), tree->objectAtIndex(1));
        EXPECT_EQ(row->objectForKey("TAG"), tree->objectAtIndex(3));
        {
            std::lock_guard lock(mutex);
            handedOver.push_back(std::move(tree));
        }
        changed.notify_one();
    }
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    changed.notify_one();
    reader.join();
    EXPECT_EQ(wrong.load(), 0);
}

// A tree goes node by node without count updates where it holds the only count: a member kept
// elsewhere, or watched, must outlive or expire with it as it would otherwise, however deep.
TEST(JSONDecoderCache, membersKeptOrWatchedOutliveTheirTreeAsUsual)
{
    id kept;
    std::weak_ptr<NSObject> watchedRow, watchedText;
    {
        auto decoder = JSONDecoder::decoder();
        auto tree = arrayWith(decoder, R"([{"NAME":"张三","LIST":[1,"短"]},"长长长长长长长长长长长长的文字",{"N":2}])");
        ASSERT_TRUE(tree);
        kept = ns::cast<NSDictionary>(tree->objectAtIndex(0))->objectForKey("LIST");
        watchedRow = tree->objectAtIndex(2);
        watchedText = tree->objectAtIndex(1);
    }
    EXPECT_TRUE(watchedRow.expired());
    EXPECT_TRUE(watchedText.expired());
    auto list = ns::cast<NSArray>(kept);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->self(), kept);
    EXPECT_EQ(utf8Of(list->objectAtIndex(1)), "短");
    EXPECT_EQ(utf8Of(list->objectAtIndex(1)->copy()), "短");

    for (const bool mutableCollections : { false, true }) {
        const std::string deep = std::string(JCMaximumNestingDepth - 1, '[') + R"({"a":"b"})" + std::string(JCMaximumNestingDepth - 1, ']');
        id tree = parseWith(JSONDecoder::decoder(), deep, mutableCollections);
        ASSERT_TRUE(tree);
        id innermost = tree;
        for (NSUInteger level = 1; level < JCMaximumNestingDepth; ++level)
            innermost = ns::cast<NSArray>(innermost)->objectAtIndex(0);
        std::weak_ptr<NSObject> watched = innermost;
        innermost.reset();
        tree.reset();
        EXPECT_TRUE(watched.expired());
    }
}
