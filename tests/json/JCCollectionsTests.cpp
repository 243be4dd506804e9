#include "JSONTestSupport.h"

#include "library/json/JCArray.h"
#include "library/json/JCDictionary.h"
#include "library/json/JCDictionaryEnumerator.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/NSException.h"

#include <set>

namespace {

template <class Call>
std::string raisedReason(Call call, const char* expectedName)
{
    try {
        call();
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(expectedName));
        return exception.reason().UTF8String();
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}

std::shared_ptr<JCDictionary> dictionaryOf(std::string_view text, bool mutableCollections = false)
{
    return ns::cast<JCDictionary>(decode(text, JCParseOptionsNone, mutableCollections).object);
}

} // namespace

TEST(JCCollections, decodedCollectionsRaiseOnEveryChange)
{
    auto array = ns::cast<JCArray>(decode("[1,2]").object);
    ASSERT_TRUE(array);
    EXPECT_EQ(raisedReason([&] { array->addObject(NSNull::null()); }, NSInternalInconsistencyException),
        "*** -[JCArray insertObject:atIndex:]: mutating method sent to immutable object");
    raisedReason([&] { array->removeObjectAtIndex(0); }, NSInternalInconsistencyException);
    raisedReason([&] { array->replaceObjectAtIndex(0, NSNull::null()); }, NSInternalInconsistencyException);
    raisedReason([&] { array->removeAllObjects(); }, NSInternalInconsistencyException);
    EXPECT_EQ(array->count(), 2u);

    auto dictionary = dictionaryOf(R"({"a":1})");
    ASSERT_TRUE(dictionary);
    // Immutability is checked before the arguments.
    EXPECT_EQ(raisedReason([&] { dictionary->setObject(nullptr, id()); }, NSInternalInconsistencyException),
        "*** -[JCDictionary setObject:forKey:]: mutating method sent to immutable object");
    raisedReason([&] { dictionary->removeObjectForKey("a"); }, NSInternalInconsistencyException);
    EXPECT_EQ(dictionary->count(), 1u);
}

TEST(JCCollections, arraysCheckTheirArgumentsWithThePlatformsMessages)
{
    auto array = ns::cast<JCArray>(decode("[1,2]", JCParseOptionsNone, true).object);
    ASSERT_TRUE(array);
    EXPECT_EQ(raisedReason([&] { array->objectAtIndex(2); }, NSRangeException), "*** -[JCArray objectAtIndex:]: index (2l) beyond bounds (2l)");
    EXPECT_EQ(raisedReason([&] { array->insertObject(nullptr, 0); }, NSInvalidArgumentException), "*** -[JCArray insertObject:atIndex:]: attempt to insert nil");
    EXPECT_EQ(raisedReason([&] { array->insertObject(NSNull::null(), 3); }, NSRangeException),
        "*** -[JCArray insertObject:atIndex:]: index (3l) beyond bounds (3)");
    id buffer[2];
    EXPECT_EQ(raisedReason([&] { array->getObjects(nullptr, NSMakeRange(0, 1)); }, NSRangeException),
        "*** -[JCArray getObjects:range:]: pointer to objects array is NULL but range length is 1l");
    raisedReason([&] { array->getObjects(buffer, NSMakeRange(1, 2)); }, NSRangeException);
    array->getObjects(buffer, NSMakeRange(0, 2));
    EXPECT_EQ(ns::integerValue(buffer[1]), 2);

    const NSUInteger before = array->mutations();
    array->insertObject(NSString("x"), 1);
    EXPECT_NE(array->mutations(), before);
    EXPECT_NE(array->mutations(), 0u);
    EXPECT_EQ(ns::stringValue(array->objectAtIndex(1)), NSString("x"));
    EXPECT_EQ(array->capacity() >= 3, true);
}

TEST(JCCollections, copiesOfImmutableCollectionsAreTheSameObject)
{
    auto immutableArray = ns::cast<JCArray>(decode("[1]").object);
    EXPECT_EQ(immutableArray->copy(), immutableArray);
    auto mutableArray = ns::cast<JCArray>(decode("[1]", JCParseOptionsNone, true).object);
    auto copied = mutableArray->copy();
    EXPECT_NE(copied, mutableArray);
    EXPECT_FALSE(ns::cast<NSMutableArray>(copied));
    EXPECT_TRUE(copied->isEqual(mutableArray));
    auto mutableCopy = ns::cast<NSMutableArray>(immutableArray->mutableCopy());
    ASSERT_TRUE(mutableCopy);
    mutableCopy->addObject(NSNull::null());
    EXPECT_EQ(immutableArray->count(), 1u);

    auto dictionary = dictionaryOf(R"({"a":1})");
    EXPECT_EQ(dictionary->copy(), dictionary);
    auto dictionaryCopy = ns::cast<NSMutableDictionary>(dictionary->mutableCopy());
    ASSERT_TRUE(dictionaryCopy);
    dictionaryCopy->setObject(NSString("b"), "b");
    EXPECT_EQ(dictionary->count(), 1u);
}

TEST(JCCollections, capacitiesFollowTheTable)
{
    EXPECT_EQ(JCDictionaryCapacityForCount(0), 0u);
    EXPECT_EQ(JCDictionaryCapacityForCount(1), 3u);
    EXPECT_EQ(JCDictionaryCapacityForCount(3), 3u);
    EXPECT_EQ(JCDictionaryCapacityForCount(4), 7u);
    EXPECT_EQ(JCDictionaryCapacityForCount(10), 13u);
    EXPECT_EQ(JCDictionaryCapacityForCount(20), 41u);
    EXPECT_EQ(JCDictionaryCapacityForCount(400000000), NSNotFound);
}

TEST(JCCollections, aFullTableStillAnswersAbsentKeys)
{
    auto full = dictionaryOf(R"({"a":1,"b":2,"c":3})");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->capacity(), 3u);
    EXPECT_EQ(full->count(), 3u);
    EXPECT_FALSE(full->objectForKey("d"));
    EXPECT_FALSE(full->objectForKey(id()));
    EXPECT_EQ(ns::integerForKey(full, "c"), 3);
}

TEST(JCCollections, mutableDictionariesGrowAndKeepEveryKeyReachable)
{
    auto dictionary = dictionaryOf(R"({"a":1,"b":2,"c":3})", true);
    ASSERT_TRUE(dictionary);
    dictionary->setObject(NSNumber::numberWithInt(4), "d");
    EXPECT_EQ(dictionary->capacity(), 7u);
    for (const char* key : { "a", "b", "c", "d" })
        EXPECT_TRUE(dictionary->objectForKey(key)) << key;

    // Many keys, then removals from the middle of clusters.
    for (int i = 0; i < 200; ++i)
        dictionary->setObject(NSNumber::numberWithInt(i), NSString::stringWithFormat("k%d", i));
    for (int i = 0; i < 200; i += 3)
        dictionary->removeObjectForKey(NSString::stringWithFormat("k%d", i));
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(dictionary->objectForKey(NSString::stringWithFormat("k%d", i)) != nullptr, i % 3 != 0) << i;
    EXPECT_EQ(dictionary->count(), 4u + 200u - 67u);
    dictionary->removeObjectForKey("absent");

    EXPECT_EQ(raisedReason([&] { dictionary->setObject(id(), "k"); }, NSInvalidArgumentException),
        "*** -[JCDictionary setObject:forKey:]: attempt to insert nil value (key: k)");
    EXPECT_EQ(raisedReason([&] { dictionary->setObject(NSNull::null(), id()); }, NSInvalidArgumentException),
        "*** -[JCDictionary setObject:forKey:]: attempt to insert nil key");
}

TEST(JCCollections, everyWayOfEnumeratingAgrees)
{
    auto dictionary = dictionaryOf(R"({"one":1,"two":2,"three":3,"four":4,"five":5})");
    ASSERT_TRUE(dictionary);
    std::vector<id> keys(5), objects(5);
    dictionary->getObjects(objects.data(), keys.data());
    std::vector<id> enumerated;
    for (const auto& entry : *dictionary)
        enumerated.push_back(entry.key);
    EXPECT_EQ(enumerated, keys);
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(dictionary->objectForKey(keys[i]), objects[i]);

    auto enumerator = dictionary->keyEnumerator();
    EXPECT_EQ(enumerator->nextObject(), keys[0]);
    auto rest = enumerator->allObjects()->objects();
    EXPECT_EQ(rest, std::vector<id>(keys.begin() + 1, keys.end()));
    EXPECT_FALSE(enumerator->nextObject());
    EXPECT_EQ(dictionaryOf("{}")->keyEnumerator()->allObjects()->count(), 0u);
}

TEST(JCCollections, arePrivateToTheCodec)
{
    EXPECT_EQ(raisedReason([] { JCArray::create(); }, NSInvalidArgumentException),
        "*** - [JCArray allocWithZone:]: The JCArray class is private to JSONCodec and should not be used in this fashion.");
    raisedReason([] { JCDictionary::create(); }, NSInvalidArgumentException);
}

namespace {

// The string hash the decoder once used: unkeyed, so anyone could choose colliding keys.
std::uint64_t unkeyedHash(std::u16string_view units)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (char16_t unit : units) {
        hash ^= unit;
        hash *= 1099511628211ull;
    }
    return hash;
}

// Keys whose unkeyed hashes all share one home slot of a table with `capacity` slots.
std::vector<std::string> collidingKeys(std::size_t count, NSUInteger capacity)
{
    std::vector<std::string> keys;
    for (unsigned candidate = 0; keys.size() < count; ++candidate) {
        const std::string key = "k" + std::to_string(candidate);
        if (unkeyedHash(std::u16string(key.begin(), key.end())) % capacity == 0)
            keys.push_back(key);
    }
    return keys;
}

} // namespace

TEST(JCCollections, keysChosenToCollideSpreadOverTheTable)
{
    constexpr std::size_t kCount = 300;
    const NSUInteger capacity = JCDictionaryCapacityForCount(kCount);
    const auto keys = collidingKeys(kCount, capacity);
    std::string text = "{";
    for (std::size_t i = 0; i < keys.size(); ++i)
        text += (i ? ",\"" : "\"") + keys[i] + "\":" + std::to_string(i);
    text += "}";

    auto dictionary = dictionaryOf(text);
    ASSERT_TRUE(dictionary);
    ASSERT_EQ(dictionary->count(), kCount);
    ASSERT_EQ(dictionary->capacity(), capacity);
    std::set<NSUInteger> homes;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const NSString key(keys[i].c_str());
        homes.insert(key.hash() % capacity);
        auto value = ns::cast<NSNumber>(dictionary->objectForKey(key));
        ASSERT_TRUE(value) << keys[i];
        EXPECT_EQ(value->unsignedLongLongValue(), i);
    }
    // A keyed hash scatters them as it would any keys (about 250 homes are expected).
    EXPECT_GT(homes.size(), kCount / 2);
}

TEST(JCCollections, theStringHashDependsOnTheProcessKey)
{
    const NSString text("SUBJECT");
    const auto saved = ns::setStringHashKeyForTesting(1, 2);
    const NSUInteger first = text.hash();
    EXPECT_EQ(NSString("SUBJECT").hash(), first);
    ns::setStringHashKeyForTesting(3, 4);
    const NSUInteger second = text.hash();
    ns::setStringHashKeyForTesting(saved.first, saved.second);
    EXPECT_NE(first, second);
    EXPECT_NE(first, unkeyedHash(u"SUBJECT"));
    // Equal texts hash alike however they are held.
    EXPECT_EQ(NSMutableString::stringWithString(text)->hash(), text.hash());
}

TEST(JCCollections, mutableDecodedCollectionsRaiseWhenChangedWhileEnumerated)
{
    auto dictionary = dictionaryOf(R"({"a":1,"b":2,"c":3})", true);
    ASSERT_TRUE(dictionary);
    int visits = 0;
    EXPECT_NE(raisedReason([&] {
        for (const auto& entry : *dictionary) {
            ++visits;
            for (int i = 0; i < 30; ++i)
                dictionary->setObject(entry.object, NSString::stringWithFormat("k%d", i));
        }
    }, NSGenericException).find("<JCDictionary: 0x"),
        std::string::npos);
    EXPECT_EQ(visits, 1);

    auto array = ns::cast<JCArray>(decode("[1,2,3]", JCParseOptionsNone, true).object);
    ASSERT_TRUE(array);
    visits = 0;
    raisedReason([&] {
        for (const auto& member : *array) {
            ++visits;
            array->removeObjectAtIndex(0);
            (void)member;
        }
    }, NSGenericException);
    EXPECT_EQ(visits, 1);
}

// A small immutable dictionary keeps only its entries, yet enumerates exactly as the indexed form
// of a mutable one does, finds every key and no other, and a repeated key keeps its last value.
TEST(JCCollections, compactDictionariesEnumerateAsIndexedOnesDo)
{
    for (const int fields : { 1, 3, 9, 14, 30, 31, 60 }) {
        std::string text = "{";
        for (int i = 0; i < fields; ++i)
            text += (i ? "," : "") + std::string("\"FIELD") + std::to_string(i * 7) + "\":" + std::to_string(i);
        text += "}";
        auto compact = dictionaryOf(text);
        auto table = dictionaryOf(text, true);
        ASSERT_TRUE(compact && table) << text;
        EXPECT_EQ(compact->capacity(), table->capacity());
        EXPECT_EQ(compact->allKeys()->componentsJoinedByString(","), table->allKeys()->componentsJoinedByString(",")) << fields;
        std::vector<id> enumerated;
        auto enumerator = compact->keyEnumerator();
        while (id key = enumerator->nextObject())
            enumerated.push_back(key);
        EXPECT_TRUE(NSArray::create(enumerated)->isEqualToArray(table->allKeys()));
        for (int i = 0; i < fields; ++i)
            EXPECT_EQ(ns::intForKey(compact, NSString("FIELD" + std::to_string(i * 7))), i);
        EXPECT_FALSE(compact->objectForKey("FIELD1"));
        EXPECT_EQ(compact->count(), NSUInteger(fields));
    }
    auto repeated = dictionaryOf(R"({"a":1,"b":2,"a":3})");
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->count(), 2u);
    EXPECT_EQ(ns::intForKey(repeated, "a"), 3);
}

namespace {

// A fixed string hash key for a scope, the previous one put back at its end. Declare it before
// any collection so that they go first.
class StringHashKey {
public:
    StringHashKey(std::uint64_t k0, std::uint64_t k1)
        : m_saved(ns::setStringHashKeyForTesting(k0, k1))
    {
    }
    ~StringHashKey() { ns::setStringHashKeyForTesting(m_saved.first, m_saved.second); }
    StringHashKey(const StringHashKey&) = delete;
    StringHashKey& operator=(const StringHashKey&) = delete;

private:
    std::pair<std::uint64_t, std::uint64_t> m_saved;
};

std::string joined(const std::vector<id>& objects)
{
    std::string text;
    for (const auto& object : objects)
        text += (text.empty() ? "" : ",") + ns::describe(object);
    return text;
}

// The keys of a wide row in an order no hash would give.
std::vector<std::string> wideRowKeys()
{
    std::vector<std::string> keys;
    for (int i = 0; i < 40; ++i)
        keys.push_back("F" + std::to_string((i * 17) % 40));
    return keys;
}

std::string replyText()
{
    std::string wide = "{";
    int value = 0;
    for (const auto& key : wideRowKeys())
        wide += (wide.size() > 1 ? ",\"" : "\"") + key + "\":" + std::to_string(value++);
    wide += "}";
    return R"({"output":{"head":{"retDesc":"成功","retCode":0},"rows":[{"USERNAME":"张三","USERID":"1001","SUBJECT":"1","CITY":"3201","DEPNAME":"校"},)"
        + wide + R"(,{}]},"zz":null,"aa":[true,false]})";
}

// Everything the reply's enumerations show, read under one hash key.
std::vector<std::string> seenUnder(std::uint64_t k0, std::uint64_t k1, bool mutableCollections)
{
    const StringHashKey hashKey(k0, k1);
    auto reply = dictionaryOf(replyText(), mutableCollections);
    if (!reply)
        return {};
    auto rows = ns::cast<NSArray>(ns::cast<NSDictionary>(reply->objectForKey("output"))->objectForKey("rows"));
    auto wide = ns::cast<JCDictionary>(rows->objectAtIndex(1));
    std::vector<std::string> seen { JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(reply)).UTF8String(),
        joined(wide->allKeys()->objects()), joined(wide->allValues()->objects()) };
    std::vector<id> enumerated;
    auto enumerator = wide->keyEnumerator();
    while (id key = enumerator->nextObject())
        enumerated.push_back(key);
    seen.push_back(joined(enumerated));
    enumerated.clear();
    for (const auto& entry : *wide)
        enumerated.push_back(entry.key);
    seen.push_back(joined(enumerated));
    std::vector<id> keys(wide->count());
    wide->getObjects(nullptr, keys.data());
    seen.push_back(joined(keys));
    return seen;
}

std::vector<std::string> keysOf(const std::shared_ptr<JCDictionary>& dictionary)
{
    std::vector<std::string> keys;
    for (const auto& entry : *dictionary)
        keys.push_back(ns::describe(entry.key));
    return keys;
}

} // namespace

// The order of a decoded object is its text's, so a reply re-encodes to the very text it came
// from whatever key the process hashes strings with.
TEST(JCCollections, decodedObjectsEnumerateInTextOrderWhateverTheHashKey)
{
    std::string wideKeys;
    for (const auto& key : wideRowKeys())
        wideKeys += (wideKeys.empty() ? "" : ",") + key;
    for (const bool mutableCollections : { false, true }) {
        const auto first = seenUnder(1, 2, mutableCollections);
        const auto second = seenUnder(0x9e3779b97f4a7c15ull, 0xbf58476d1ce4e5b9ull, mutableCollections);
        ASSERT_EQ(first.size(), 6u);
        EXPECT_EQ(first, second);
        EXPECT_EQ(first[0], replyText()) << mutableCollections;
        for (std::size_t i : { 1, 3, 4, 5 })
            EXPECT_EQ(first[i], wideKeys) << i;
        EXPECT_EQ(first[2].substr(0, 6), "0,1,2,");
    }
}

// A repeated key keeps the place where it first appeared and the last value given to it.
TEST(JCCollections, aRepeatedKeyKeepsItsFirstPlaceAndItsLastValue)
{
    std::string wide = "{";
    for (const auto& key : wideRowKeys())
        wide += "\"" + key + "\":1,";
    wide += "\"F0\":2,\"F17\":3}";
    for (const bool mutableCollections : { false, true }) {
        auto small = dictionaryOf(R"({"b":1,"a":2,"b":3})", mutableCollections);
        ASSERT_TRUE(small);
        EXPECT_EQ(small->count(), 2u);
        EXPECT_EQ(keysOf(small), (std::vector<std::string> { "b", "a" }));
        EXPECT_EQ(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(small)), NSString(R"({"b":3,"a":2})"));

        auto large = dictionaryOf(wide, mutableCollections);
        ASSERT_TRUE(large);
        EXPECT_EQ(large->count(), 40u);
        EXPECT_EQ(keysOf(large), wideRowKeys());
        EXPECT_EQ(ns::intForKey(large, "F0"), 2);
        EXPECT_EQ(ns::intForKey(large, "F17"), 3);
        EXPECT_EQ(ns::intForKey(large, "F34"), 1);
    }
}

TEST(JCCollections, mutableDecodedDictionariesKeepTheirOrderThroughChanges)
{
    auto dictionary = dictionaryOf(R"({"c":1,"a":2,"b":3})", true);
    ASSERT_TRUE(dictionary);
    dictionary->setObject(NSNumber::numberWithInt(9), "a");
    dictionary->setObject(NSNumber::numberWithInt(4), "d");
    EXPECT_EQ(keysOf(dictionary), (std::vector<std::string> { "c", "a", "b", "d" }));
    EXPECT_EQ(ns::intForKey(dictionary, "a"), 9);
    dictionary->removeObjectForKey("a");
    dictionary->removeObjectForKey("d");
    EXPECT_EQ(keysOf(dictionary), (std::vector<std::string> { "c", "b" }));

    // Enough removals that the gaps are closed, some of them more than once.
    std::vector<std::string> expected { "c", "b" };
    for (int i = 0; i < 300; ++i)
        dictionary->setObject(NSNumber::numberWithInt(i), NSString::stringWithFormat("k%d", i));
    for (int i = 0; i < 300; ++i) {
        if (i % 5)
            dictionary->removeObjectForKey(NSString::stringWithFormat("k%d", i));
        else
            expected.push_back("k" + std::to_string(i));
    }
    dictionary->setObject(NSNull::null(), "a");
    expected.push_back("a");
    EXPECT_EQ(keysOf(dictionary), expected);
    EXPECT_EQ(dictionary->count(), expected.size());
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(dictionary->objectForKey(NSString::stringWithFormat("k%d", i)) != nullptr, i % 5 == 0) << i;
    auto enumerator = dictionary->keyEnumerator();
    enumerator->nextObject();
    EXPECT_EQ(enumerator->allObjects()->count(), expected.size() - 1);

    // Emptied, it answers nothing, and fills again from the start.
    for (const auto& key : expected)
        dictionary->removeObjectForKey(NSString(key.c_str()));
    EXPECT_EQ(dictionary->count(), 0u);
    EXPECT_FALSE(dictionary->keyEnumerator()->nextObject());
    dictionary->setObject(NSNull::null(), "z");
    EXPECT_EQ(keysOf(dictionary), std::vector<std::string> { "z" });

    int visits = 0;
    raisedReason([&] {
        for (const auto& entry : *dictionary) {
            ++visits;
            dictionary->removeObjectForKey(entry.key);
        }
    }, NSGenericException);
    EXPECT_EQ(visits, 1);
}

// Small immutable rows are flat and compare texts instead of hashes: every kind of equal key finds
// its entry, other keys find nothing, and the limit's either side behaves alike.
TEST(JCCollections, flatDictionariesFindEqualKeysOfEveryKind)
{
    for (const int fields : { 15, 16, 17 }) {
        std::string text = "{";
        for (int i = 0; i < fields; ++i)
            text += (i ? "," : "") + std::string("\"K") + std::to_string(fields - i) + "\":" + std::to_string(i);
        text += "}";
        auto dictionary = dictionaryOf(text);
        ASSERT_TRUE(dictionary) << fields;
        EXPECT_EQ(dictionary->capacity(), JCDictionaryCapacityForCount(NSUInteger(fields)));
        std::vector<std::string> expectedKeys;
        for (int i = 0; i < fields; ++i)
            expectedKeys.push_back("K" + std::to_string(fields - i));
        EXPECT_EQ(keysOf(dictionary), expectedKeys);
        // A mutable string holds its units apart from the object; the literal inline.
        auto held = NSMutableString::stringWithString(NSString("K1"));
        EXPECT_EQ(ns::intForKey(dictionary, NSString(held)), fields - 1);
        EXPECT_EQ(ns::intForKey(dictionary, "K1"), fields - 1);
        EXPECT_FALSE(dictionary->objectForKey("K0"));
        EXPECT_FALSE(dictionary->objectForKey("K100"));
        EXPECT_FALSE(dictionary->objectForKey(NSNumber::numberWithInt(1)));
        std::vector<id> values(dictionary->count());
        dictionary->getObjects(values.data(), nullptr);
        EXPECT_EQ(ns::cast<NSNumber>(values.back())->intValue(), fields - 1);
    }
    auto empty = dictionaryOf("{}");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->objectForKey("a"));
    EXPECT_EQ(empty->keyEnumerator()->nextObject(), nullptr);
    EXPECT_EQ(JSONCodecSerializing::JSONString(std::static_pointer_cast<NSDictionary>(empty)), NSString("{}"));
}

// Rows of a list share their key objects; a row that repeats a key after rows that did not still
// keeps one entry for it, with its last value.
TEST(JCCollections, aRepeatedKeyAfterRowsOfTheSameShapeIsStillFound)
{
    auto list = ns::cast<NSArray>(decode(R"([{"a":1,"b":2},{"a":3,"b":4},{"a":5,"a":6},{"b":7,"a":8},{"b":9,"b":10,"b":11}])").object);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 5u);
    auto row = [&](NSUInteger index) { return ns::cast<JCDictionary>(list->objectAtIndex(index)); };
    EXPECT_EQ(row(0)->allKeys()->objectAtIndex(0), row(1)->allKeys()->objectAtIndex(0));
    EXPECT_EQ(keysOf(row(1)), (std::vector<std::string> { "a", "b" }));
    EXPECT_EQ(row(2)->count(), 1u);
    EXPECT_EQ(ns::intForKey(row(2), "a"), 6);
    EXPECT_EQ(keysOf(row(3)), (std::vector<std::string> { "b", "a" }));
    EXPECT_EQ(row(4)->count(), 1u);
    EXPECT_EQ(ns::intForKey(row(4), "b"), 11);
    // The same key read once plainly and once through escapes (another path of the tokenizer) is
    // still one key, short or long.
    auto escaped = dictionaryOf(R"({"AB":1,"x":2,"\u0041B":3})");
    ASSERT_TRUE(escaped);
    EXPECT_EQ(escaped->count(), 2u);
    EXPECT_EQ(keysOf(escaped), (std::vector<std::string> { "AB", "x" }));
    EXPECT_EQ(ns::intForKey(escaped, "AB"), 3);
    const std::string longPlain(30, 'q');
    auto longEscaped = dictionaryOf("{\"" + longPlain + "\":1,\"\\u0071" + longPlain.substr(1) + "\":2}");
    ASSERT_TRUE(longEscaped);
    EXPECT_EQ(longEscaped->count(), 1u);
    EXPECT_EQ(ns::intForKey(longEscaped, NSString(longPlain)), 2);
    // Keys too long for the cache are distinct objects that are still equal.
    const std::string longKey(40, 'k');
    auto repeated = dictionaryOf("{\"" + longKey + "\":1,\"x\":2,\"" + longKey + "\":3}");
    ASSERT_TRUE(repeated);
    EXPECT_EQ(repeated->count(), 2u);
    EXPECT_EQ(ns::intForKey(repeated, NSString(longKey)), 3);
}

// A mutable copy of a flat dictionary is an ordinary one, and grows far past the flat limit.
TEST(JCCollections, aFlatDictionaryCopiedMutableGrowsPastTheFlatLimit)
{
    auto flat = dictionaryOf(R"({"c":1,"a":2,"b":3})");
    ASSERT_TRUE(flat);
    auto grown = ns::cast<NSMutableDictionary>(flat->mutableCopy());
    ASSERT_TRUE(grown);
    for (NSUInteger i = 0; i < 3 * JCDictionaryFlatLimit; ++i)
        grown->setObject(NSNumber::numberWithUnsignedLong(i), NSString::stringWithFormat("n%lu", static_cast<unsigned long>(i)));
    EXPECT_EQ(grown->count(), 3 + 3 * JCDictionaryFlatLimit);
    EXPECT_EQ(ns::intForKey(grown, "a"), 2);
    EXPECT_EQ(ns::intForKey(grown, "n40"), 40);
    EXPECT_EQ(flat->count(), 3u);
    EXPECT_FALSE(flat->objectForKey("n1"));
}

// The thread's next decoder finds the keys of the last one made, but none of its values; a key
// kept across a change of the string hash key is hashed again under the new one.
TEST(JCCollections, keysCarryOverToTheNextDecoderAndValuesDoNot)
{
    auto first = dictionaryOf(R"({"FIELD":"value"})");
    auto second = dictionaryOf(R"({"FIELD":"value"})");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->allKeys()->objectAtIndex(0), second->allKeys()->objectAtIndex(0));
    EXPECT_NE(first->objectForKey("FIELD"), second->objectForKey("FIELD"));
    EXPECT_EQ(utf8Of(second->objectForKey("FIELD")), "value");

    // Two decoders at once: only one state is kept for the thread, the other let go whole.
    id kept, dropped;
    {
        auto one = JSONDecoder::decoder();
        auto other = JSONDecoder::decoder();
        const std::string text = R"({"PAIR":"both"})";
        kept = one->objectWithUTF8String(text.data(), text.size());
        dropped = other->objectWithUTF8String(text.data(), text.size());
    }
    EXPECT_EQ(utf8Of(ns::cast<NSDictionary>(kept)->objectForKey("PAIR")), "both");
    EXPECT_EQ(utf8Of(ns::cast<NSDictionary>(dropped)->objectForKey("PAIR")), "both");

    std::string wide = "{";
    for (int i = 0; i < 20; ++i)
        wide += (i ? ",\"" : "\"") + std::string("FIELD") + std::to_string(i) + "\":" + std::to_string(i);
    wide += "}";
    ASSERT_TRUE(dictionaryOf(wide));
    for (const std::uint64_t k0 : { 5, 7 }) {
        const StringHashKey hashKey(k0, 6);
        auto dictionary = dictionaryOf(wide);
        ASSERT_TRUE(dictionary);
        for (int i = 0; i < 20; ++i)
            EXPECT_EQ(ns::intForKey(dictionary, NSString("FIELD" + std::to_string(i))), i) << i;
    }
}
