#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/PropertyListNode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// Binary lists assembled object by object; references and offsets are four bytes wide.
std::string bigEndian(std::uint64_t value, int size)
{
    std::string out;
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        out += char(value >> shift);
    return out;
}

std::string withCount(std::uint8_t kind, std::size_t count)
{
    if (count < 15)
        return std::string(1, char(kind << 4 | count));
    return std::string(1, char(kind << 4 | 0xF)) + "\x12" + bigEndian(count, 4);
}

std::string arrayOf(const std::vector<std::uint64_t>& references)
{
    std::string out = withCount(0xA, references.size());
    for (std::uint64_t reference : references)
        out += bigEndian(reference, 4);
    return out;
}

std::string dictionaryOf(const std::vector<std::uint64_t>& keys, const std::vector<std::uint64_t>& values)
{
    std::string out = withCount(0xD, keys.size());
    for (std::uint64_t reference : keys)
        out += bigEndian(reference, 4);
    for (std::uint64_t reference : values)
        out += bigEndian(reference, 4);
    return out;
}

std::string text(const std::string& ascii) { return withCount(0x5, ascii.size()) + ascii; }
std::string integer(std::uint32_t value) { return "\x12" + bigEndian(value, 4); }
std::string uid(std::uint8_t value) { return std::string("\x80", 1) + char(value); }

std::string date(double seconds)
{
    std::uint64_t pattern = 0;
    std::memcpy(&pattern, &seconds, sizeof pattern);
    return "\x33" + bigEndian(pattern, 8);
}

std::shared_ptr<NSData> binaryList(const std::vector<std::string>& objects, std::uint64_t top = 0)
{
    std::string list = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(list.size());
        list += object;
    }
    const std::uint64_t tableAt = list.size();
    for (std::uint64_t offset : offsets)
        list += bigEndian(offset, 4);
    list += std::string(6, '\0') + "\x04\x04" + bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(tableAt, 8);
    return NSData::dataWithBytes(list.data(), list.size());
}

// Objects first to first + levels - 1 are arrays naming the next one twice; the last is 1.
void appendDoublingChain(std::vector<std::string>& objects, std::uint64_t first, int levels)
{
    for (int level = 0; level < levels; ++level)
        objects.push_back(arrayOf({ first + level + 1, first + level + 1 }));
    objects.push_back(integer(1));
}

// Completes `objects` as a keyed archive whose object table is `entries` and whose root is entry 1.
std::shared_ptr<NSData> keyedArchive(std::vector<std::string> objects, const std::vector<std::uint64_t>& entries)
{
    auto add = [&objects](std::string object) {
        objects.push_back(std::move(object));
        return std::uint64_t(objects.size() - 1);
    };
    const auto table = add(arrayOf(entries));
    const auto top = add(dictionaryOf({ add(text("root")) }, { add(uid(1)) }));
    const auto archiver = add(text("NSKeyedArchiver"));
    const auto version = add(integer(100000));
    const auto root = add(dictionaryOf({ add(text("$archiver")), add(text("$version")), add(text("$top")), add(text("$objects")) },
        { archiver, version, top, table }));
    return binaryList(objects, root);
}

std::uint64_t objectsIn(const id& object)
{
    std::uint64_t count = 1;
    if (auto array = ns::cast<NSArray>(object))
        for (const id& member : *array)
            count += objectsIn(member);
    return count;
}

} // namespace

TEST(PropertyListExpansion, listsThatNameObjectsRepeatedlyAreReadUpToTheirAllowance)
{
    std::vector<std::string> objects;
    appendDoublingChain(objects, 0, 10);
    auto modest = binaryList(objects);
    const auto footprint = PropertyListNode::binaryFootprint(modest->span());
    EXPECT_EQ(footprint.objects, 2047u);
    id read = NSPropertyListSerialization::propertyListWithData(modest, 0, nullptr);
    ASSERT_TRUE(read);
    EXPECT_EQ(objectsIn(read), footprint.objects);

    // Sixty levels make 2^61 objects from under a kilobyte: refused, without building any.
    objects.clear();
    appendDoublingChain(objects, 0, 60);
    auto bomb = binaryList(objects);
    EXPECT_LT(bomb->length(), 1000u);
    EXPECT_GT(PropertyListNode::binaryFootprint(bomb->span()).objects, PropertyListNode::sharedObjectAllowance + 61);
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(bomb, 0, nullptr, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);

    // Few objects, but one block of 100 KB named 1000 times would be 100 MB.
    std::string block = withCount(0x4, 100000) + std::string(100000, 'x');
    auto heavy = binaryList({ arrayOf(std::vector<std::uint64_t>(1000, 1)), block });
    const auto heavyFootprint = PropertyListNode::binaryFootprint(heavy->span());
    EXPECT_EQ(heavyFootprint.objects, 1001u);
    EXPECT_GT(heavyFootprint.bytes, 100000000u);
    EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(heavy, 0, nullptr));
}

TEST(PropertyListExpansion, aListExpandsAtMostToAFewMegabytesBeyondItsOwnSize)
{
    const auto allowanceOfAKilobyte = PropertyListNode::sharedAllowance(1024);
    EXPECT_LE(allowanceOfAKilobyte.bytes, std::uint64_t(8) << 20);
    EXPECT_LE(allowanceOfAKilobyte.objects * PropertyListNode::bytesPerObject, std::uint64_t(8) << 20);
    auto refusedByItsAccounting = [](const std::shared_ptr<NSData>& list, NSPropertyListReadOptions options) {
        const auto footprint = PropertyListNode::binaryFootprint(list->span());
        const auto allowance = PropertyListNode::sharedAllowance(list->length());
        EXPECT_TRUE(footprint.objects > allowance.objects || footprint.bytes > allowance.bytes) << footprint.objects;
        std::shared_ptr<NSError> error;
        EXPECT_FALSE(NSPropertyListSerialization::propertyListWithData(list, options, nullptr, &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
    };

    // As the property-list fuzzer runs it: the first byte picks the read options, the list is the rest.
    auto unit = NSData::initWithBase64EncodedString(
        "PGJwbGlzdDAwESsBogACAASiAAAACjN/+AAAAAAAAKIABQAFzxARAAMAAwAUAAMAAwADAAMAAwADAAMAAwADAAMAAwADAAMAA6IAAQABEQABygAHABUAAwAE"
        "AAEAAAAEAAEAAwABCKIACwALogAMAAyiAAQABKIAEAAOogAPAA+iABAAEK8QHgAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAI"
        "AAgACAAIAAgACAAIAAgACLIAEgASYezsXevrXeoVrxAgAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIAAgACAAIA"
        "AgACAAIAAqIAAAAKrxATABEABAATAAoAGAAJABYAAgAXAAkADAAGABAAAwAFABYADAAPABAzf/gAAAAAAABd6+tDeHl6oQAVAAgACwAQABUAHgAjAEgATQBQ"
        "AGUAZgBrAHAAdQB6AH8AhADDAMgAywDOANEBFAEZAUIBSwFOAVIAAAAAAAACAgAAAAAAAAAcAAAAAAAAAA8AAAAAAAABVQ==");
    ASSERT_TRUE(unit);
    ASSERT_EQ(unit->length(), 430u);
    refusedByItsAccounting(NSData::dataWithBytes(unit->bytes() + 1, unit->length() - 1), unit->bytes()[0] % 3);

    // A thousand links to an array of a thousand links to one number: a million objects from 8 KB.
    refusedByItsAccounting(binaryList({ arrayOf(std::vector<std::uint64_t>(1000, 1)), arrayOf(std::vector<std::uint64_t>(1000, 2)), integer(7) }), 0);

    // A long array of flags shares the two it names, one object more per reference, and reads
    // past the fixed allowance, as its own bytes allow.
    constexpr std::size_t flags = 200000;
    std::vector<std::uint64_t> members(flags, 1);
    for (std::size_t i = 0; i < flags; i += 3)
        members[i] = 2;
    auto longList = binaryList({ arrayOf(members), std::string("\x09", 1), std::string("\x08", 1) });
    const auto footprint = PropertyListNode::binaryFootprint(longList->span());
    EXPECT_GT(footprint.objects, PropertyListNode::sharedObjectAllowance * 2);
    auto array = ns::cast<NSArray>(NSPropertyListSerialization::propertyListWithData(longList, 0, nullptr));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), flags);
    EXPECT_TRUE(ns::cast<NSNumber>(array->objectAtIndex(flags - 1))->boolValue());
    EXPECT_FALSE(ns::cast<NSNumber>(array->objectAtIndex(flags - 2))->boolValue());
}

TEST(PropertyListExpansion, archivesShareWhatTheyNameTwiceAndRefuseListBombs)
{
    // Archived arrays naming the next one twice are decoded once each and shared.
    constexpr int levels = 40;
    std::vector<std::string> objects;
    auto add = [&objects](std::string object) {
        objects.push_back(std::move(object));
        return std::uint64_t(objects.size() - 1);
    };
    const auto classKey = add(text("$class"));
    const auto membersKey = add(text("NS.objects"));
    const auto arrayClass = add(uid(levels + 2));
    std::vector<std::uint64_t> entries = { add(text("$null")) };
    for (int level = 0; level <= levels; ++level) {
        const auto next = add(uid(static_cast<std::uint8_t>(level + 2)));
        const auto members = add(level < levels ? arrayOf({ next, next }) : arrayOf({}));
        entries.push_back(add(dictionaryOf({ classKey, membersKey }, { arrayClass, members })));
    }
    entries.push_back(add(dictionaryOf({ add(text("$classname")) }, { add(text("NSArray")) })));
    std::shared_ptr<NSError> error;
    auto root = ns::cast<NSArray>(NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(keyedArchive(objects, entries), &error));
    ASSERT_TRUE(root) << (error ? error->localizedDescription().UTF8String() : "");
    int depth = 0;
    for (auto array = root; array && array->count() == 2; array = ns::cast<NSArray>(array->objectAtIndex(0))) {
        EXPECT_EQ(array->objectAtIndex(0).get(), array->objectAtIndex(1).get());
        ++depth;
    }
    EXPECT_EQ(depth, levels);

    // The same shape in the list the archive is stored as is refused whole.
    objects.clear();
    appendDoublingChain(objects, 0, 60);
    const auto bombClass = add(uid(2));
    entries = { add(text("$null")),
        add(dictionaryOf({ add(text("$class")), add(text("NS.objects")) }, { bombClass, 0 })),
        add(dictionaryOf({ add(text("$classname")) }, { add(text("NSArray")) })) };
    error = nullptr;
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(keyedArchive(objects, entries), &error));
    EXPECT_TRUE(error);
}

TEST(PropertyListExpansion, longArraysReadInOneWalk)
{
    constexpr std::uint32_t count = 200000;
    std::vector<std::string> objects;
    std::vector<std::uint64_t> members;
    objects.emplace_back();
    for (std::uint32_t value = 0; value < count; ++value) {
        members.push_back(objects.size());
        objects.push_back(integer(value));
    }
    objects[0] = arrayOf(members);
    auto data = binaryList(objects);
    EXPECT_EQ(PropertyListNode::binaryFootprint(data->span()).objects, count + 1);
    auto array = ns::cast<NSArray>(NSPropertyListSerialization::propertyListWithData(data, 0, nullptr));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), count);
    EXPECT_EQ(ns::cast<NSNumber>(array->objectAtIndex(count - 1))->longLongValue(), count - 1);

    auto archived = NSMutableArray::arrayWithCapacity(count / 4);
    for (std::uint32_t value = 0; value < count / 4; ++value)
        archived->addObject(NSNumber::numberWithLongLong(value));
    auto unarchived = ns::cast<NSArray>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(archived)));
    ASSERT_TRUE(unarchived);
    EXPECT_TRUE(unarchived->isEqual(archived));
}

TEST(PropertyListExpansion, datesReadOverTheWholeRangeAndNaNStaysDefined)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> seconds = { -0.5, 2147483648.0, 5e9, -3e9, -6e10, 1e300, nan };
    std::vector<std::string> objects = { "" };
    std::vector<std::uint64_t> members;
    for (double value : seconds) {
        members.push_back(objects.size());
        objects.push_back(date(value));
    }
    objects[0] = arrayOf(members);
    auto array = ns::cast<NSArray>(NSPropertyListSerialization::propertyListWithData(binaryList(objects), 0, nullptr));
    ASSERT_TRUE(array);
    ASSERT_EQ(array->count(), seconds.size());
    for (std::size_t i = 0; i + 1 < seconds.size(); ++i)
        EXPECT_EQ(ns::cast<NSDate>(array->objectAtIndex(i))->timeIntervalSinceReferenceDate(), seconds[i]) << i;
    EXPECT_EQ(ns::cast<NSDate>(array->objectAtIndex(1))->description(), "2069-01-19 03:14:08 +0000");
    EXPECT_EQ(ns::cast<NSDate>(array->objectAtIndex(2))->description(), "2159-06-12 08:53:20 +0000");
    EXPECT_EQ(ns::cast<NSDate>(array->objectAtIndex(3))->description(), "1905-12-08 18:40:00 +0000");
    EXPECT_EQ(ns::cast<NSDate>(array->objectAtIndex(5))->description(), "1.0000000000000001e+300 seconds since 2001-01-01 00:00:00 +0000");

    auto unknown = ns::cast<NSDate>(array->objectAtIndex(6));
    EXPECT_TRUE(std::isnan(unknown->timeIntervalSinceReferenceDate()));
    EXPECT_EQ(unknown->description(), "nan");
    auto origin = NSDate::dateWithTimeIntervalSinceReferenceDate(0);
    EXPECT_EQ(unknown->compare(origin), NSOrderedAscending);
    EXPECT_EQ(origin->compare(unknown), NSOrderedDescending);
    EXPECT_EQ(unknown->compare(NSDate::dateWithTimeIntervalSinceReferenceDate(nan)), NSOrderedSame);
    EXPECT_TRUE(unknown->isEqual(NSDate::dateWithTimeIntervalSinceReferenceDate(nan)));
    EXPECT_EQ(unknown->hash(), NSDate::dateWithTimeIntervalSinceReferenceDate(nan)->hash());
    EXPECT_EQ(origin->earlierDate(unknown).get(), unknown.get());
    auto viaArchive = ns::cast<NSDate>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(unknown)));
    ASSERT_TRUE(viaArchive);
    EXPECT_EQ(viaArchive->description(), "nan");

    // Written in both forms over the years the XML form can hold; beyond them, refused.
    for (auto format : { NSPropertyListBinaryFormat_v1_0, NSPropertyListXMLFormat_v1_0 }) {
        for (double value : { 5e9, -3e9, -6e10 }) {
            auto written = NSPropertyListSerialization::dataWithPropertyList(NSDate::dateWithTimeIntervalSinceReferenceDate(value), format, 0, nullptr);
            ASSERT_TRUE(written) << value;
            auto back = ns::cast<NSDate>(NSPropertyListSerialization::propertyListWithData(written, 0, nullptr));
            ASSERT_TRUE(back) << value;
            EXPECT_EQ(back->timeIntervalSinceReferenceDate(), value);
        }
        EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(unknown, format, 0, nullptr));
        EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(NSDate::dateWithTimeIntervalSinceReferenceDate(1e300), format, 0, nullptr));
    }
}
