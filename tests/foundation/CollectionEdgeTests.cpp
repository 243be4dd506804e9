#include "platform/foundation/Foundation.h"

#include <gtest/gtest.h>

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
