#include "JSONTestSupport.h"

#include "library/json/JCArray.h"
#include "library/json/JCDictionary.h"
#include "library/json/JCDictionaryEnumerator.h"
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

TEST(JCCollections, enumerationFollowsTheSlots)
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

// A small immutable dictionary keeps only its entries, yet enumerates exactly as the table of a
// mutable one would, finds every key and no other, and a repeated key keeps its last value.
TEST(JCCollections, compactDictionariesEnumerateInTableOrder)
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
