#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

NSString joined(const std::shared_ptr<NSArray>& array)
{
    return array->componentsJoinedByString(",");
}

std::shared_ptr<NSMutableArray> letters(const char* text)
{
    auto list = NSMutableArray::create();
    for (const char* c = text; *c; ++c)
        list->addObject(NSString(std::string(1, *c)));
    return list;
}

} // namespace

TEST(NSArray, refusesRangesPastTheEndAndLeavesTheArrayAlone)
{
    auto list = letters("abc");
    EXPECT_THROW(list->subarrayWithRange(NSMakeRange(2, 2)), NSException);
    EXPECT_THROW(list->subarrayWithRange(NSMakeRange(NSUIntegerMax, 2)), NSException);
    EXPECT_THROW(list->removeObjectsInRange(NSMakeRange(1, NSUIntegerMax)), NSException);
    EXPECT_THROW(list->insertObject(NSString("x"), 4), NSException);
    EXPECT_THROW(list->removeObjectAtIndex(3), NSException);
    EXPECT_THROW(list->replaceObjectAtIndex(3, NSString("x")), NSException);
    EXPECT_THROW(list->replaceObjectAtIndex(0, nullptr), NSException);
    EXPECT_THROW(list->exchangeObjectAtIndex(0, 3), NSException);
    EXPECT_THROW(list->arrayByAddingObject(nullptr), NSException);
    EXPECT_THROW(NSArray::arrayWithObjects({ NSString("a"), id() }), NSException);
    EXPECT_EQ(joined(list), "a,b,c");

    EXPECT_EQ(joined(list->subarrayWithRange(NSMakeRange(3, 0))), "");
    EXPECT_EQ(joined(list->subarrayWithRange(NSMakeRange(1, 2))), "b,c");
    list->insertObject(NSString("z"), 3);
    list->exchangeObjectAtIndex(0, 3);
    list->removeObjectsInRange(NSMakeRange(1, 2));
    EXPECT_EQ(joined(list), "z,a");
    try {
        list->objectAtIndex(5);
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSRangeException);
    }
}

TEST(NSArray, removesEveryEqualMemberButOnlyTheIdenticalOne)
{
    NSString shared("a");
    auto list = NSMutableArray::create();
    list->addObject(shared);
    list->addObject(NSString("a"));
    list->addObject(NSString("b"));
    list->addObject(shared);
    list->removeObjectIdenticalTo(shared);
    EXPECT_EQ(joined(list), "a,b");
    EXPECT_EQ(list->indexOfObjectIdenticalTo(shared), NSNotFound);
    list->addObject(NSString("a"));
    list->removeObject(NSString("a"));
    EXPECT_EQ(joined(list), "b");
    list->removeObject(nullptr);
    EXPECT_EQ(list->indexOfObject(nullptr), NSNotFound);
    list->removeLastObject();
    list->removeLastObject();
    EXPECT_EQ(list->count(), 0u);
    EXPECT_EQ(list->firstObject(), nullptr);
    EXPECT_EQ(list->lastObject(), nullptr);
}

TEST(NSArray, sortsStablyAndCombinesWithNilAndItself)
{
    auto list = NSMutableArray::create();
    for (const char* word : { "bb", "a", "cc", "b", "aa", "c" })
        list->addObject(NSString(word));
    // Sorting by length keeps equal lengths in their first order.
    list->sortUsingComparator([](const id& a, const id& b) {
        const auto x = NSString::fromId(a).length(), y = NSString::fromId(b).length();
        return x < y ? NSOrderedAscending : (x > y ? NSOrderedDescending : NSOrderedSame);
    });
    EXPECT_EQ(joined(list), "a,b,c,bb,cc,aa");
    EXPECT_EQ(joined(list->reverseObjectEnumerator()), "aa,cc,bb,c,b,a");

    list->setArray(list);
    EXPECT_EQ(list->count(), 6u);
    list->addObjectsFromArray(list);
    EXPECT_EQ(list->count(), 12u);
    list->addObjectsFromArray(nullptr);
    list->setArray(nullptr);
    EXPECT_EQ(list->count(), 0u);

    auto one = NSArray::arrayWithObject(NSString("x"));
    EXPECT_EQ(joined(one->arrayByAddingObjectsFromArray(nullptr)), "x");
    EXPECT_EQ(joined(one->arrayByAddingObjectsFromArray(one)), "x,x");
    EXPECT_EQ(NSArray::arrayWithArray(nullptr)->count(), 0u);
    EXPECT_EQ(NSMutableArray::arrayWithArray(nullptr)->count(), 0u);
    EXPECT_EQ(NSArray::array()->componentsJoinedByString(","), "");
    EXPECT_FALSE(one->isEqualToArray(nullptr));
    EXPECT_FALSE(one->isEqual(NSString("x")));
    EXPECT_FALSE(one->isEqualToArray(ns::array({ NSString("y") })));
    EXPECT_TRUE(NSArray::array()->isEqual(NSMutableArray::arrayWithCapacity(4)));
}

TEST(NSArray, enumeratesFiltersAndStopsWhenAsked)
{
    auto list = letters("abcdef");
    std::string seen;
    list->enumerateObjectsUsingBlock([&](const id& object, NSUInteger index, bool& stop) {
        seen += NSString::fromId(object).UTF8String() + std::to_string(index);
        stop = index == 2;
    });
    EXPECT_EQ(seen, "a0b1c2");
    auto vowels = list->filteredArrayUsingPredicate([](const id& object) {
        return NSString("aeiou").containsString(NSString::fromId(object));
    });
    EXPECT_EQ(joined(vowels), "a,e");
    EXPECT_THROW(list->enumerateObjectsUsingBlock([&](const id&, NSUInteger, bool&) { list->removeLastObject(); }), NSException);
}

TEST(NSArray, copiesAreIndependentAndDescriptionsNest)
{
    auto list = letters("ab");
    auto frozen = list->copyArray();
    auto thawed = frozen->mutableCopyArray();
    thawed->addObject(NSString("c"));
    list->removeAllObjects();
    EXPECT_EQ(joined(frozen), "a,b");
    EXPECT_EQ(joined(thawed), "a,b,c");
    EXPECT_FALSE(ns::cast<NSMutableArray>(thawed->copy()));

    auto nested = ns::array({ NSString("x"), ns::array({ NSString("y") }) });
    EXPECT_EQ(nested->description(), "(\n    x,\n    (\n        y\n    )\n)");
    EXPECT_EQ(NSArray::array()->description(), "()");
}

TEST(NSSet, collapsesDuplicatesAndAnswersForEmptyAndNilSets)
{
    auto array = ns::array({ ns::number(1), ns::number(1.0), NSString("a"), NSString("a"), ns::number(2) });
    auto set = NSSet::setWithArray(array);
    EXPECT_EQ(set->count(), 3u);
    // The first of equal members is the one kept.
    EXPECT_STREQ(ns::numberValue(set->member(ns::number(1.0)))->objCType(), "i");
    EXPECT_EQ(set->member(nullptr), nullptr);
    EXPECT_FALSE(set->containsObject(nullptr));
    EXPECT_EQ(set->setByAddingObject(NSString("a"))->count(), 3u);
    EXPECT_EQ(set->setByAddingObject(NSString("b"))->count(), 4u);

    auto empty = NSSet::set();
    EXPECT_EQ(empty->anyObject(), nullptr);
    EXPECT_EQ(NSSet::setWithArray(nullptr)->count(), 0u);
    EXPECT_EQ(NSMutableSet::setWithArray(nullptr)->count(), 0u);
    EXPECT_TRUE(empty->isSubsetOfSet(set));
    EXPECT_TRUE(empty->isSubsetOfSet(nullptr));
    EXPECT_FALSE(set->isSubsetOfSet(nullptr));
    EXPECT_FALSE(set->intersectsSet(nullptr));
    EXPECT_FALSE(set->intersectsSet(empty));
    EXPECT_FALSE(set->isEqualToSet(nullptr));
    EXPECT_FALSE(set->isEqual(array));
    EXPECT_TRUE(empty->isEqual(NSMutableSet::set()));
    EXPECT_EQ(empty->description(), "{()}");
    EXPECT_EQ(NSSet::setWithObject(NSString("x"))->description(), "{(\n    x\n)}");
}

TEST(NSSet, combinesSetsInPlace)
{
    auto set = NSMutableSet::setWithArray(ns::array({ NSString("a"), NSString("b"), NSString("c") }));
    auto other = NSSet::setWithObjects({ NSString("b"), NSString("c"), NSString("d") });
    EXPECT_TRUE(set->intersectsSet(other));
    EXPECT_FALSE(set->isSubsetOfSet(other));
    EXPECT_FALSE(set->isEqualToSet(other));

    auto both = std::static_pointer_cast<NSMutableSet>(set->mutableCopy());
    both->intersectSet(other);
    EXPECT_TRUE(both->isEqualToSet(NSSet::setWithObjects({ NSString("c"), NSString("b") })));
    both->unionSet(other);
    both->unionSet(nullptr);
    EXPECT_EQ(both->count(), 3u);
    both->minusSet(nullptr);
    both->minusSet(set);
    EXPECT_TRUE(both->isEqual(NSSet::setWithObject(NSString("d"))));
    both->intersectSet(nullptr);
    EXPECT_EQ(both->count(), 0u);

    // A copy does not follow later changes, in either direction.
    auto frozen = ns::cast<NSSet>(set->copy());
    EXPECT_FALSE(ns::cast<NSMutableSet>(id(frozen)));
    set->removeObject(NSString("a"));
    set->removeObject(nullptr);
    set->addObjectsFromArray(nullptr);
    EXPECT_EQ(frozen->count(), 3u);
    EXPECT_EQ(set->count(), 2u);
    EXPECT_EQ(ns::cast<NSSet>(frozen->copy())->count(), 3u);
    EXPECT_THROW(set->addObject(nullptr), NSException);
    set->removeAllObjects();
    EXPECT_EQ(set->anyObject(), nullptr);
}

TEST(NSSet, enumeratesInInsertionOrderAndStops)
{
    auto set = NSMutableSet::create();
    for (const char* word : { "c", "a", "c", "b" })
        set->addObject(NSString(word));
    std::string seen;
    set->enumerateObjectsUsingBlock([&](const id& object, bool& stop) {
        seen += NSString::fromId(object).UTF8String();
        stop = seen.size() == 2;
    });
    EXPECT_EQ(seen, "ca");
    EXPECT_EQ(NSString::fromId(set->anyObject()), "c");
    EXPECT_EQ(set->allObjects()->componentsJoinedByString(""), "cab");
}

TEST(NSDictionary, refusesMismatchedListsAndKeepsTheLastOfEqualKeys)
{
    auto keys = ns::array({ NSString("a"), NSString("b"), NSString("a") });
    auto values = ns::array({ ns::number(1), ns::number(2), ns::number(3) });
    EXPECT_THROW(NSDictionary::dictionaryWithObjects(values, ns::array({ NSString("a") })), NSException);
    EXPECT_THROW(NSDictionary::dictionaryWithObjects(nullptr, keys), NSException);
    EXPECT_THROW(NSDictionary::dictionaryWithObjects(values, nullptr), NSException);
    auto table = NSDictionary::dictionaryWithObjects(values, keys);
    EXPECT_EQ(table->count(), 2u);
    EXPECT_EQ(ns::intValue(table->objectForKey("a")), 3);
    EXPECT_EQ(NSDictionary::dictionaryWithDictionary(nullptr)->count(), 0u);
    EXPECT_TRUE(NSDictionary::dictionaryWithDictionary(table)->isEqual(table));
    EXPECT_EQ(NSMutableDictionary::dictionaryWithDictionary(nullptr)->count(), 0u);
}

TEST(NSDictionary, findsKeysByValueAndSortsThemStably)
{
    auto table = NSMutableDictionary::create();
    table->setObject(ns::number(2), "b");
    table->setObject(ns::number(1), "a");
    table->setObject(ns::number(2), "c");
    table->setObject(ns::number(0), "d");
    EXPECT_EQ(joined(table->allKeysForObject(ns::number(2.0))), "b,c");
    EXPECT_EQ(table->allKeysForObject(ns::number(9))->count(), 0u);
    EXPECT_EQ(joined(table->allValues()), "2,1,2,0");
    auto byValue = table->keysSortedByValueUsingComparator([](const id& x, const id& y) {
        return ns::numberValue(x)->compare(ns::numberValue(y));
    });
    EXPECT_EQ(joined(byValue), "d,a,b,c");
    std::string seen;
    table->enumerateKeysAndObjectsUsingBlock([&](const id& key, const id&, bool& stop) {
        seen += NSString::fromId(key).UTF8String();
        stop = seen.size() == 2;
    });
    EXPECT_EQ(seen, "ba");
}

TEST(NSDictionary, removesReplacesAndCopiesWithoutSharing)
{
    auto table = NSMutableDictionary::create();
    for (int i = 0; i < 40; ++i)
        table->setObject(ns::number(i), NSString::stringWithFormat("k%d", i));
    table->removeObjectsForKeys(ns::array({ NSString("k1"), NSString("missing"), NSString("k2") }));
    table->removeObjectsForKeys(nullptr);
    EXPECT_EQ(table->count(), 38u);
    auto frozen = table->copyDictionary();
    auto thawed = frozen->mutableCopyDictionary();
    thawed->removeAllObjects();
    EXPECT_EQ(frozen->count(), 38u);
    EXPECT_EQ(thawed->count(), 0u);
    EXPECT_EQ(thawed->allKeys()->count(), 0u);

    // Replacing with itself keeps the entries; with nil it empties.
    table->setDictionary(table);
    EXPECT_EQ(table->count(), 38u);
    EXPECT_EQ(ns::intValue(table->objectForKey("k39")), 39);
    table->addEntriesFromDictionary(nullptr);
    table->setDictionary(ns::dictionary({ { "x", NSString("1") } }));
    EXPECT_EQ(joined(table->allKeys()), "x");
    table->setDictionary(nullptr);
    EXPECT_EQ(table->count(), 0u);

    EXPECT_FALSE(frozen->isEqualToDictionary(nullptr));
    EXPECT_FALSE(frozen->isEqual(NSString("k")));
    auto other = frozen->mutableCopyDictionary();
    other->setObject(ns::number(-1), "k0");
    EXPECT_FALSE(frozen->isEqualToDictionary(other));
    EXPECT_EQ(NSDictionary::dictionary()->description(), "{}");
    EXPECT_EQ(ns::dictionary({ { "k", ns::array({ NSString("v") }) } })->description(), "{\n    k = (\n        v\n    );\n}");
}

TEST(NSNumber, convertsOutOfRangeAndNotANumberValuesWithoutUndefinedBehaviour)
{
    const double nan = std::nan("");
    EXPECT_EQ(NSNumber::numberWithDouble(nan)->longLongValue(), 0);
    EXPECT_EQ(NSNumber::numberWithDouble(nan)->unsignedLongLongValue(), 0u);
    EXPECT_EQ(NSNumber::numberWithDouble(-1e300)->longLongValue(), INT64_MIN);
    EXPECT_EQ(NSNumber::numberWithDouble(-1e300)->unsignedLongLongValue(), 0u);
    EXPECT_EQ(NSNumber::numberWithDouble(1e300)->unsignedLongLongValue(), UINT64_MAX);
    EXPECT_EQ(NSNumber::numberWithDouble(-2.7)->longLongValue(), -2);
    EXPECT_EQ(NSNumber::numberWithDouble(-1.0)->unsignedLongLongValue(), UINT64_MAX);
    EXPECT_EQ(NSNumber::numberWithDouble(3e9)->unsignedLongLongValue(), 3000000000u);
    EXPECT_EQ(NSNumber::numberWithDouble(nan)->stringValue(), "nan");
    EXPECT_EQ(NSNumber::numberWithFloat(-INFINITY)->stringValue(), "-inf");
    EXPECT_EQ(NSNumber::numberWithDouble(INFINITY)->stringValue(), "inf");
    EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
    EXPECT_TRUE(NSNumber::numberWithDouble(0.25)->boolValue());
    EXPECT_TRUE(NSNumber::numberWithUnsignedChar(200)->boolValue());
    EXPECT_EQ(NSNumber::numberWithUnsignedChar(200)->intValue(), 200);
    EXPECT_EQ(NSNumber::numberWithShort(-3)->doubleValue(), -3.0);
    EXPECT_EQ(NSNumber::numberWithChar('a')->stringValue(), "97");
}

TEST(NSNumber, comparesAndHashesAcrossKinds)
{
    const std::pair<std::shared_ptr<NSNumber>, const char*> kinds[] = {
        { NSNumber::numberWithChar(7), "c" }, { NSNumber::numberWithUnsignedChar(7), "C" },
        { NSNumber::numberWithShort(7), "s" }, { NSNumber::numberWithUnsignedShort(7), "S" },
        { NSNumber::numberWithInt(7), "i" }, { NSNumber::numberWithUnsignedInt(7), "I" },
        { NSNumber::numberWithLong(7), "q" }, { NSNumber::numberWithInteger(7), "q" },
        { NSNumber::numberWithUnsignedLong(7), "Q" }, { NSNumber::numberWithUnsignedInteger(7), "Q" },
        { NSNumber::numberWithFloat(7), "f" }, { NSNumber::numberWithDouble(7), "d" },
    };
    // Equal values are equal, and hash alike, whatever their kind.
    for (const auto& [number, type] : kinds) {
        EXPECT_STREQ(number->objCType(), type);
        EXPECT_TRUE(number->isEqual(kinds[0].first)) << type;
        EXPECT_EQ(number->hash(), kinds[0].first->hash()) << type;
    }
    auto huge = NSNumber::numberWithUnsignedLongLong(UINT64_MAX);
    auto hugeToo = NSNumber::numberWithUnsignedLongLong(UINT64_MAX - 1);
    EXPECT_EQ(huge->compare(hugeToo), NSOrderedDescending);
    EXPECT_EQ(hugeToo->compare(huge), NSOrderedAscending);
    EXPECT_EQ(NSNumber::numberWithInt(-1)->compare(huge), NSOrderedAscending);
    EXPECT_EQ(huge->compare(NSNumber::numberWithDouble(1e30)), NSOrderedAscending);
    EXPECT_EQ(huge->compare(nullptr), NSOrderedDescending);
    EXPECT_FALSE(huge->isEqual(NSString("18446744073709551615")));
    EXPECT_EQ(NSNumber::numberWithDouble(0.5)->hash(), NSNumber::numberWithFloat(0.5f)->hash());
}
