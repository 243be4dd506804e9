#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSDecimalNumber.h"

#include <gtest/gtest.h>

TEST(NSDictionary, enumeratesInInsertionOrder)
{
    auto fields = NSMutableDictionary::create();
    const char* keys[] = { "USERCODE", "METHOD", "a", "TALKID", "_format_", "Z", "b", "c", "d", "e", "f", "g" };
    for (const char* key : keys)
        fields->setObject(NSString(key).lowercaseString(), key);
    size_t i = 0;
    for (const auto& entry : *fields)
        EXPECT_EQ(NSString::fromId(entry.key), keys[i++]);
    EXPECT_EQ(i, std::size(keys));

    fields->removeObjectForKey("METHOD");
    fields->setObject(NSString("again"), "METHOD");
    EXPECT_EQ(NSString::fromId(fields->allKeys()->lastObject()), "METHOD");
    EXPECT_EQ(fields->count(), std::size(keys));
}

TEST(NSDictionary, looksUpByValueEqualityAcrossTheIndex)
{
    auto table = NSMutableDictionary::create();
    for (int i = 0; i < 500; ++i)
        table->setObject(ns::number(i), NSString::stringWithFormat("key%d", i));
    for (int i = 0; i < 500; i += 2)
        table->removeObjectForKey(NSString::stringWithFormat("key%d", i));
    EXPECT_EQ(table->count(), 250u);
    EXPECT_EQ(table->objectForKey(NSString("key2")), nullptr);
    EXPECT_EQ(ns::intValue(table->objectForKey(NSString("key499"))), 499);
    // Numbers equal in value are one key, whatever their type.
    table->setObject(NSString("int"), ns::number(7));
    table->setObject(NSString("double"), ns::number(7.0));
    EXPECT_EQ(ns::stringValue(table->objectForKey(ns::number(7))), "double");
}

TEST(NSDictionary, copiesKeysSoLaterChangesCannotCorruptIt)
{
    auto key = NSMutableString::stringWithString("name");
    auto table = NSMutableDictionary::create();
    table->setObject(NSString("value"), key);
    key->setString("other");
    EXPECT_EQ(ns::stringForKey(table, "name"), "value");
    EXPECT_EQ(table->objectForKey(static_cast<id>(key)), nullptr);
}

TEST(NSDictionary, refusesNilAndLeavesNilValuesOutWithSetValue)
{
    auto table = NSMutableDictionary::create();
    EXPECT_THROW(table->setObject(id(), "k"), NSException);
    table->setValue(NSString("v"), "k");
    table->setValue(nullptr, "k");
    EXPECT_EQ(table->count(), 0u);
}

TEST(NSArray, raisesPastTheEndAndRefusesNil)
{
    auto list = NSMutableArray::create();
    list->addObject(NSString("a"));
    EXPECT_THROW(list->objectAtIndex(1), NSException);
    EXPECT_THROW(list->addObject(nullptr), NSException);
    EXPECT_EQ(list->objectAtIndexOrNil(5), nullptr);
    EXPECT_EQ(list->firstObject(), list->lastObject());
}

TEST(NSArray, comparesSortsAndJoins)
{
    auto list = ns::array({ ns::number(3), ns::number(1), ns::number(2) });
    auto sorted = list->sortedArrayUsingComparator([](const id& a, const id& b) {
        return ns::numberValue(a)->compare(ns::numberValue(b));
    });
    EXPECT_EQ(sorted->componentsJoinedByString(","), "1,2,3");
    EXPECT_TRUE(sorted->isEqual(ns::array({ ns::number(1), ns::number(2.0), ns::number(3) })));
    EXPECT_EQ(list->indexOfObject(ns::number(2)), 2u);
    EXPECT_EQ(list->indexOfObject(ns::number(9)), NSNotFound);
}

TEST(NSNumber, keepsItsTypeAndSharesBooleans)
{
    EXPECT_STREQ(ns::number(5)->objCType(), "i");
    EXPECT_STREQ(NSNumber::numberWithLongLong(5)->objCType(), "q");
    EXPECT_STREQ(ns::number(0.5)->objCType(), "d");
    EXPECT_STREQ(ns::boolean(true)->objCType(), "c");
    EXPECT_EQ(ns::boolean(true), NSNumber::numberWithBool(true));
    EXPECT_EQ(NSNumber::numberWithFloat(0.1f)->stringValue(), "0.1");
    EXPECT_EQ(NSNumber::numberWithDouble(0.1)->stringValue(), "0.1");
    EXPECT_EQ(NSNumber::numberWithUnsignedLongLong(18446744073709551615ull)->stringValue(), "18446744073709551615");
    EXPECT_EQ(NSNumber::numberWithUnsignedLongLong(18446744073709551615ull)->compare(NSNumber::numberWithLongLong(-1)), NSOrderedDescending);
    EXPECT_EQ(NSNumber::numberWithDouble(1e300)->intValue(), int(std::numeric_limits<long long>::max()));
}

TEST(TypedValues, readMissingOrWrongTypesAsZero)
{
    auto reply = ns::dictionary({
        { "retCode", NSString("-3") },
        { "count", ns::number(12) },
        { "nothing", NSNull::null() },
        { "rows", ns::array({}) },
    });
    EXPECT_EQ(ns::intForKey(reply, "retCode"), -3);
    EXPECT_EQ(ns::stringForKey(reply, "count"), "12");
    EXPECT_TRUE(ns::stringForKey(reply, "nothing").isNil());
    EXPECT_EQ(ns::intForKey(reply, "nothing"), 0);
    EXPECT_EQ(ns::dictionaryForKey(reply, "rows"), nullptr);
    EXPECT_NE(ns::arrayForKey(reply, "rows"), nullptr);
    EXPECT_EQ(ns::intForKey(nullptr, "retCode"), 0);
    EXPECT_TRUE(ns::isNilOrNull(reply->objectForKey("nothing")));
}

TEST(NSSet, keepsDistinctMembers)
{
    auto set = NSMutableSet::create();
    set->addObject(NSString("a"));
    set->addObject(NSString("a"));
    set->addObject(ns::number(1));
    EXPECT_EQ(set->count(), 2u);
    EXPECT_TRUE(set->containsObject(NSString("a")));
    set->minusSet(NSSet::setWithObject(NSString("a")));
    EXPECT_EQ(set->count(), 1u);
}

TEST(NSData, keepsEmbeddedNulsAndRoundTripsBase64)
{
    const char bytes[] = { 'a', '\0', 'b' };
    auto data = NSData::dataWithBytes(bytes, 3);
    EXPECT_EQ(data->length(), 3u);
    EXPECT_EQ(data->base64EncodedStringWithOptions(), "YQBi");
    EXPECT_TRUE(NSData::initWithBase64EncodedString("YQBi")->isEqualToData(data));
    EXPECT_EQ(NSData::initWithBase64EncodedString("YQB"), nullptr);
    EXPECT_EQ(NSData::initWithBase64EncodedString("Y*Bi"), nullptr);
    EXPECT_EQ(data->rangeOfData(NSData::dataWithBytes("b", 1), NSMakeRange(0, 3)), NSMakeRange(2, 1));
}

TEST(NSData, writesAtomicallyAndReportsMissingFiles)
{
    NSString path = NSString(std::getenv("CORVANE_HOME")).stringByAppendingPathComponent("blob.bin");
    auto data = NSData::dataWithBytes("\x01\x02\x00\x03", 4);
    std::shared_ptr<NSError> error;
    ASSERT_TRUE(data->writeToFile(path, true, &error));
    EXPECT_TRUE(NSData::dataWithContentsOfFile(path)->isEqualToData(data));
    EXPECT_EQ(NSData::dataWithContentsOfFile(path + ".missing", 0, &error), nullptr);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
    EXPECT_FALSE(data->writeToFile("/nonexistent-dir/x", true, &error));
}

TEST(NSDate, followsTheManualClock)
{
    SystemClock::useManualClock(1000);
    auto start = NSDate::date();
    SystemClock::advance(1800.5);
    EXPECT_DOUBLE_EQ(NSDate::date()->timeIntervalSinceDate(start), 1800.5);
    EXPECT_EQ(NSDate::dateWithTimeIntervalSince1970(0)->description(), "1970-01-01 00:00:00 +0000");
    SystemClock::useRealClock();
}

TEST(NSDate, countsFromTheReferenceDateAndOrders)
{
    const auto reference = NSDate::dateWithTimeIntervalSinceReferenceDate(0);
    EXPECT_DOUBLE_EQ(reference->timeIntervalSince1970(), 978307200);
    EXPECT_EQ(reference->description(), "2001-01-01 00:00:00 +0000");

    const auto later = reference->dateByAddingTimeInterval(-0.5)->dateByAddingTimeInterval(90.75);
    EXPECT_DOUBLE_EQ(later->timeIntervalSinceDate(reference), 90.25);
    EXPECT_DOUBLE_EQ(reference->timeIntervalSinceDate(later), -90.25);
    EXPECT_EQ(reference->compare(later), NSOrderedAscending);
    EXPECT_EQ(later->compare(reference), NSOrderedDescending);
    EXPECT_EQ(later->earlierDate(reference), reference);
    EXPECT_EQ(reference->laterDate(later), later);
    EXPECT_TRUE(NSDate::dateWithTimeIntervalSince1970(978307290.25)->isEqual(later));
    EXPECT_FALSE(later->isEqual(reference));
    EXPECT_EQ(NSDate::distantPast()->compare(reference), NSOrderedAscending);
    EXPECT_EQ(NSDate::distantFuture()->compare(later), NSOrderedDescending);
}

namespace {

class Rectangle : public NSObject {
    NS_OBJECT(Rectangle, NSObject)
public:
    double width() const { return m_width; }
    bool initialisedWithSelf() const { return m_sawSelf; }

protected:
    bool init(double width)
    {
        if (width < 0)
            return false;
        m_width = width;
        m_sawSelf = self() != nullptr;
        return true;
    }

    double m_width { 0 };
    bool m_sawSelf { false };
};

} // namespace

TEST(NSObject, factoryRunsTheInitialiserWhichMayRefuse)
{
    auto box = Rectangle::create(2.0);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->width(), 2.0);
    EXPECT_TRUE(box->initialisedWithSelf());
    EXPECT_EQ(Rectangle::create(-1.0), nullptr);
    EXPECT_STREQ(box->className(), "Rectangle");
    EXPECT_TRUE(box->isKindOfClass<NSObject>());
}

TEST(NSNumber, comparesExactlyAgainstDecimalNumbers)
{
    auto decimal = NSDecimalNumber::decimalNumberWithString("0.30000000000000000001");
    EXPECT_EQ(ns::number(0.3)->compare(decimal), NSOrderedAscending);
    EXPECT_EQ(ns::number(1)->compare(NSDecimalNumber::decimalNumberWithString("1")), NSOrderedSame);
}

TEST(NSIndexPath, isAValueKeyOrderedSectionFirst)
{
    // Tables keep per-row state in dictionaries keyed by fresh index paths.
    auto heights = NSMutableDictionary::create();
    heights->setObject(ns::number(44), NSIndexPath::indexPathForRow(3, 1));
    heights->setObject(ns::number(60), NSIndexPath::indexPathForRow(1, 3));
    EXPECT_EQ(ns::intValue(heights->objectForKey(NSIndexPath::indexPathForRow(3, 1))), 44);
    EXPECT_EQ(ns::intValue(heights->objectForKey(NSIndexPath::indexPathForRow(1, 3))), 60);
    EXPECT_EQ(heights->objectForKey(NSIndexPath::indexPathForRow(1, 1)), nullptr);

    const auto path = NSIndexPath::indexPathForRow(3, 1);
    EXPECT_EQ(path->section(), 1);
    EXPECT_EQ(path->row(), 3);
    EXPECT_EQ(path->compare(NSIndexPath::indexPathForRow(0, 2)), NSOrderedAscending);
    EXPECT_EQ(path->compare(NSIndexPath::indexPathForRow(2, 1)), NSOrderedDescending);
    EXPECT_EQ(path->compare(NSIndexPath::indexPathForRow(3, 1)), NSOrderedSame);
    EXPECT_EQ(NSIndexPath::indexPathWithIndex(1)->compare(path), NSOrderedAscending);
    EXPECT_TRUE(path->indexPathByRemovingLastIndex()->indexPathByAddingIndex(3)->isEqual(path));
    EXPECT_EQ(NSIndexPath::indexPathWithIndex(7)->indexAtPosition(1), NSNotFound);
}

TEST(NSValue, comparesByTheBoxedValueAndReadsOtherTypesAsZero)
{
    auto ranges = NSMutableSet::create();
    ranges->addObject(NSValue::valueWithRange(NSMakeRange(2, 5)));
    ranges->addObject(NSValue::valueWithRange(NSMakeRange(2, 5)));
    ranges->addObject(NSValue::valueWithRange(NSMakeRange(2, 6)));
    EXPECT_EQ(ranges->count(), 2u);
    EXPECT_TRUE(ranges->containsObject(NSValue::valueWithRange(NSMakeRange(2, 6))));

    const auto range = NSValue::valueWithRange(NSMakeRange(2, 5));
    EXPECT_EQ(range->rangeValue(), NSMakeRange(2, 5));
    EXPECT_EQ(range->pointerValue(), nullptr);
    EXPECT_FALSE(range->isEqual(NSValue::valueWithPointer(nullptr)));
    EXPECT_FALSE(range->isEqual(ns::number(2)));
    EXPECT_EQ(range->description(), "NSRange: {2, 5}");

    // A weak box neither keeps its object alive nor answers it once gone.
    auto target = NSObject::create();
    const auto weak = NSValue::valueWithNonretainedObject(target);
    EXPECT_EQ(weak->nonretainedObjectValue(), target);
    target.reset();
    EXPECT_EQ(weak->nonretainedObjectValue(), nullptr);
}

namespace {

template <class Body>
std::string mutationReason(Body body)
{
    try {
        body();
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSGenericException);
        return exception.reason().UTF8String();
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}

} // namespace

// Changing a collection inside its own enumeration raises at the next step; the entry in hand
// stays valid, and neither the loop nor the block visits anything more.
TEST(Collections, raiseWhenChangedWhileEnumerated)
{
    auto dictionary = ns::mutableDictionary({ { "a", NSString("1") }, { "b", NSString("2") }, { "c", NSString("3") } });
    int visits = 0;
    const std::string reason = mutationReason([&] {
        for (const auto& entry : *dictionary) {
            ++visits;
            // Growing past the small-table limit moves every entry.
            for (int i = 0; i < 40; ++i)
                dictionary->setObject(NSString("x"), NSString::stringWithFormat("k%d", i));
            EXPECT_EQ(NSString::fromId(entry.key), "a");
            EXPECT_EQ(NSString::fromId(entry.object), "1");
        }
    });
    EXPECT_EQ(visits, 1);
    EXPECT_NE(reason.find("<NSMutableDictionary: 0x"), std::string::npos) << reason;
    EXPECT_NE(reason.find("> was mutated while being enumerated."), std::string::npos) << reason;

    visits = 0;
    mutationReason([&] {
        dictionary->enumerateKeysAndObjectsUsingBlock([&](const id& key, const id&, bool&) {
            ++visits;
            dictionary->removeObjectForKey(key);
        });
    });
    EXPECT_EQ(visits, 1);
    // Replacing a value is a change too.
    mutationReason([&] {
        for (const auto& entry : *dictionary)
            dictionary->setObject(NSString("y"), entry.key);
    });

    auto array = NSMutableArray::arrayWithArray(ns::array({ NSString("a"), NSString("b") }));
    visits = 0;
    mutationReason([&] {
        for (const auto& member : *array) {
            ++visits;
            array->removeObject(member);
        }
    });
    EXPECT_EQ(visits, 1);
    mutationReason([&] {
        array->enumerateObjectsUsingBlock([&](const id&, NSUInteger, bool&) { array->addObject(NSString("c")); });
    });
    EXPECT_NE(mutationReason([&] {
        for (const auto& member : *array)
            array->replaceObjectAtIndex(0, member);
    }).find("<NSMutableArray: 0x"),
        std::string::npos);

    auto set = NSMutableSet::set();
    set->addObject(NSString("a"));
    set->addObject(NSString("b"));
    visits = 0;
    const std::string setReason = mutationReason([&] {
        set->enumerateObjectsUsingBlock([&](const id& member, bool&) {
            ++visits;
            set->removeObject(member);
        });
    });
    EXPECT_EQ(visits, 1);
    EXPECT_NE(setReason.find("<NSMutableSet: 0x"), std::string::npos) << setReason;

    // Changes after the loop has ended, or to a copy during it, are fine.
    auto copy = NSMutableDictionary::dictionaryWithDictionary(dictionary);
    for (const auto& entry : *dictionary)
        copy->removeObjectForKey(entry.key);
    EXPECT_EQ(copy->count(), 0u);
    int seen = 0;
    for (const auto& entry : *dictionary)
        seen += entry.key ? 1 : 0;
    EXPECT_EQ(NSUInteger(seen), dictionary->count());
}
