#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSPropertyListSerialization.h"

#include <gtest/gtest.h>

namespace {

class Ticket : public NSObject, public NSCoding {
    NS_OBJECT(Ticket, NSObject)
public:
    void encodeWithCoder(NSCoder& coder) const override
    {
        coder.encodeObject(properties, "properties");
        coder.encodeInteger(seat, "seat");
        coder.encodeBool(paid, "paid");
        coder.encodeDouble(price, "price");
        coder.encodeObject(next, "next");
    }

    std::shared_ptr<NSDictionary> properties;
    NSInteger seat { 0 };
    bool paid { false };
    double price { 0 };
    id next;

protected:
    bool init(NSCoder& coder)
    {
        properties = coder.decodeObjectOfClass<NSDictionary>("properties");
        seat = coder.decodeIntegerForKey("seat");
        paid = coder.decodeBoolForKey("paid");
        price = coder.decodeDoubleForKey("price");
        next = coder.decodeObjectForKey("next");
        return properties != nullptr;
    }
};

const bool ticketRegistered = NSCoder::registerClass<Ticket>();

std::shared_ptr<NSMutableDictionary> archiveDictionary(const std::shared_ptr<NSData>& data)
{
    return ns::cast<NSMutableDictionary>(
        NSPropertyListSerialization::propertyListWithData(data, NSPropertyListMutableContainers, nullptr));
}

} // namespace

TEST(KeyedArchiver, writesThePlatformLayout)
{
    auto data = NSKeyedArchiver::archivedDataWithRootObject(ns::array({ NSString("a"), ns::number(1) }));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->stringView().substr(0, 8), "bplist00");
    auto archive = archiveDictionary(data);
    ASSERT_TRUE(archive);
    EXPECT_EQ(ns::stringForKey(archive, "$archiver"), "NSKeyedArchiver");
    EXPECT_EQ(ns::integerForKey(archive, "$version"), 100000);
    auto objects = ns::arrayForKey(archive, "$objects");
    ASSERT_TRUE(objects);
    EXPECT_EQ(NSString::fromId(objects->firstObject()), "$null");
    // The root array, its class description, then the members written in place.
    auto root = ns::cast<NSDictionary>(objects->objectAtIndex(1));
    ASSERT_TRUE(root);
    bool sawClass = false;
    for (const id& object : *objects) {
        auto description = ns::cast<NSDictionary>(object);
        if (description && ns::stringForKey(description, "$classname") == "NSArray") {
            sawClass = true;
            EXPECT_EQ(ns::arrayForKey(description, "$classes")->componentsJoinedByString(","), "NSArray,NSObject");
        }
    }
    EXPECT_TRUE(sawClass);
    EXPECT_TRUE(objects->containsObject(NSString("a")));
}

TEST(KeyedArchiver, roundTripsValueClassesKeepingMutability)
{
    auto inner = NSMutableDictionary::dictionary();
    inner->setObject(NSString("科目一"), "subject");
    auto list = NSMutableArray::array();
    list->addObject(inner);
    list->addObject(NSDate::dateWithTimeIntervalSinceReferenceDate(123.5));
    list->addObject(NSData::dataWithBytes("\0\1", 2));
    list->addObject(NSNull::null());
    list->addObject(ns::boolean(true));
    list->addObject(ns::number(-7));
    list->addObject(ns::number(2.25));
    list->addObject(NSMutableString::stringWithString("edit me"));
    list->addObject(NSSet::setWithObjects({ NSString("x") }));
    list->addObject(inner); // the same object twice

    auto back = ns::cast<NSMutableArray>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(list)));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->isEqual(list)) << ns::describe(back);
    auto copiedInner = ns::cast<NSMutableDictionary>(back->objectAtIndex(0));
    ASSERT_TRUE(copiedInner);
    EXPECT_NE(copiedInner, inner);
    EXPECT_EQ(back->objectAtIndex(9), copiedInner);
    EXPECT_TRUE(ns::cast<NSMutableString>(back->objectAtIndex(7)));
    EXPECT_EQ(back->objectAtIndex(3), NSNull::null());
    EXPECT_TRUE(ns::cast<NSNumber>(back->objectAtIndex(4))->isBoolean());
    EXPECT_FALSE(ns::cast<NSMutableArray>(NSKeyedUnarchiver::unarchiveObjectWithData(
        NSKeyedArchiver::archivedDataWithRootObject(ns::array({ NSString("a") })))));
}

TEST(KeyedArchiver, roundTripsRegisteredClassesAndPrimitives)
{
    ASSERT_TRUE(ticketRegistered);
    auto first = Ticket::create();
    first->properties = ns::dictionary({ { "Name", NSString("JSESSIONID") } });
    first->seat = -3;
    first->paid = true;
    first->price = 19.5;
    auto second = Ticket::create();
    second->properties = NSDictionary::dictionary();
    first->next = second;

    auto back = ns::cast<Ticket>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(first)));
    ASSERT_TRUE(back);
    EXPECT_EQ(ns::stringForKey(back->properties, "Name"), "JSESSIONID");
    EXPECT_EQ(back->seat, -3);
    EXPECT_TRUE(back->paid);
    EXPECT_DOUBLE_EQ(back->price, 19.5);
    ASSERT_TRUE(ns::cast<Ticket>(back->next));
    EXPECT_EQ(ns::cast<Ticket>(back->next)->next, nullptr);
}

TEST(KeyedArchiver, refusesToArchiveObjectsWithoutCoding)
{
    EXPECT_THROW(NSKeyedArchiver::archivedDataWithRootObject(ns::array({ NSObject::create() })), NSException);
}

TEST(KeyedUnarchiver, refusesEveryTruncationOfAnArchive)
{
    auto ticket = Ticket::create();
    ticket->properties = ns::dictionary({ { "Value", NSString("abc") } });
    auto data = NSKeyedArchiver::archivedDataWithRootObject(ns::array({ ticket, NSString("tail") }));
    ASSERT_TRUE(NSKeyedUnarchiver::unarchiveObjectWithData(data));
    for (NSUInteger length = 0; length < data->length(); ++length) {
        std::shared_ptr<NSError> error;
        EXPECT_FALSE(NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(data->subdataWithRange(NSMakeRange(0, length)), &error)) << length;
        ASSERT_TRUE(error) << length;
        EXPECT_EQ(error->code(), NSCoderReadCorruptError);
    }
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(nullptr));
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes("not an archive at all", 21)));
}

TEST(KeyedUnarchiver, survivesRandomCorruption)
{
    auto data = NSKeyedArchiver::archivedDataWithRootObject(
        ns::dictionary({ { "a", ns::array({ NSString("x"), ns::number(3), NSNull::null() }) }, { "b", NSDate::date() } }));
    std::uint32_t seed = 12345;
    int read = 0;
    int refused = 0;
    for (int round = 0; round < 2000; ++round) {
        auto damaged = NSMutableData::dataWithData(data);
        for (int flips = 0; flips < 3; ++flips) {
            seed = seed * 1103515245 + 12345;
            damaged->mutableBytes()[(seed >> 8) % damaged->length()] ^= static_cast<std::uint8_t>(seed >> 24 | 1);
        }
        // Either the archive still reads, or it is refused as corrupt, never both; a damaged
        // key may also leave the archive without a root, which reads as nil.
        std::shared_ptr<NSError> error;
        const id object = NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(damaged, &error);
        if (object) {
            EXPECT_FALSE(error) << round;
            ++read;
        } else if (error) {
            EXPECT_EQ(error->code(), NSCoderReadCorruptError) << round;
            ++refused;
        }
    }
    EXPECT_GT(refused, 1000);
    EXPECT_GT(read, 0);
}

namespace {

// Builds an archive by hand, with $objects as given and the root at UID 1.
std::shared_ptr<NSData> handMadeArchive(std::shared_ptr<NSArray> objects, const char* rootKey = "root")
{
    auto archive = ns::mutableDictionary({ { "$archiver", NSString("NSKeyedArchiver") }, { "$version", ns::number(100000) } });
    archive->setObject(objects, "$objects");
    archive->setObject(ns::dictionary({ { rootKey, NSString("placeholder") } }), "$top");
    return NSPropertyListSerialization::dataWithPropertyList(archive, NSPropertyListXMLFormat_v1_0, 0);
}

// The hand-made XML names its references as plain integers; turn the marked ones into UIDs.
std::shared_ptr<NSData> withUIDs(const std::shared_ptr<NSData>& xml)
{
    std::string text(xml->stringView());
    auto replaceAll = [&text](const std::string& from, const std::string& to) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    // "uid:N" strings become <dict><key>CF$UID</key><integer>N</integer></dict>.
    for (std::size_t at = text.find("<string>uid:"); at != std::string::npos; at = text.find("<string>uid:")) {
        std::size_t end = text.find("</string>", at);
        std::string number = text.substr(at + 12, end - at - 12);
        text.replace(at, end + 9 - at, "<dict><key>CF$UID</key><integer>" + number + "</integer></dict>");
    }
    replaceAll("<string>placeholder</string>", "<dict><key>CF$UID</key><integer>1</integer></dict>");
    return NSData::dataWithBytes(text.data(), text.size());
}

std::shared_ptr<NSDictionary> classOf(const char* name)
{
    return ns::dictionary({ { "$classname", NSString(name) }, { "$classes", ns::array({ NSString(name), NSString("NSObject") }) } });
}

id unarchiveHandMade(std::initializer_list<id> objects, NSErrorPointer error = nullptr)
{
    std::vector<id> list(objects);
    return NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(withUIDs(handMadeArchive(NSArray::create(list))), error);
}

} // namespace

TEST(KeyedUnarchiver, readsAHandMadeArchive)
{
    auto array = ns::cast<NSArray>(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "NS.objects", ns::array({ NSString("uid:3") }) }, { "$class", NSString("uid:2") } }),
        classOf("NSArray"), NSString("hello") }));
    ASSERT_TRUE(array);
    EXPECT_EQ(NSString::fromId(array->firstObject()), "hello");
}

TEST(KeyedUnarchiver, refusesHostileArchives)
{
    std::shared_ptr<NSError> error;
    // A reference past the end of $objects.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "NS.objects", ns::array({ NSString("uid:99") }) }, { "$class", NSString("uid:2") } }), classOf("NSArray") }, &error));
    EXPECT_EQ(error->code(), NSCoderReadCorruptError);
    // An array that contains itself.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "NS.objects", ns::array({ NSString("uid:1") }) }, { "$class", NSString("uid:2") } }), classOf("NSArray") }));
    // A class nobody registered.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"), ns::dictionary({ { "$class", NSString("uid:2") } }), classOf("EvilPayload") }));
    // A class reference that points at a string, and one that is no UID.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"), ns::dictionary({ { "$class", NSString("uid:2") } }), NSString("NSArray") }));
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"), ns::dictionary({ { "$class", ns::number(2) } }), classOf("NSNull") }));
    // Members that are no references, and dictionaries whose halves differ in length.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "NS.objects", ns::array({ ns::number(3) }) }, { "$class", NSString("uid:2") } }), classOf("NSArray") }));
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "NS.keys", ns::array({ NSString("uid:3") }) }, { "NS.objects", ns::array({}) }, { "$class", NSString("uid:2") } }),
        classOf("NSDictionary"), NSString("k") }));
    // A registered class given a value of the wrong type.
    EXPECT_FALSE(unarchiveHandMade({ NSString("$null"),
        ns::dictionary({ { "properties", NSString("uid:3") }, { "seat", NSString("many") }, { "$class", NSString("uid:2") } }),
        classOf("Ticket"), NSDictionary::dictionary() }));
    // $objects not starting with "$null".
    EXPECT_FALSE(unarchiveHandMade({ NSString("x"), NSString("y") }));
}

TEST(KeyedUnarchiver, refusesALongChainWithoutExhaustingTheStack)
{
    const int depth = 5000;
    const std::string classReference = "uid:" + std::to_string(depth + 1);
    std::vector<id> objects { NSString("$null") };
    for (int level = 1; level <= depth; ++level) {
        auto members = level < depth ? ns::array({ NSString("uid:" + std::to_string(level + 1)) }) : ns::array({});
        objects.push_back(ns::dictionary({ { "NS.objects", members }, { "$class", NSString(classReference) } }));
    }
    objects.push_back(classOf("NSArray"));
    EXPECT_FALSE(NSKeyedUnarchiver::unarchiveObjectWithData(withUIDs(handMadeArchive(NSArray::create(objects)))));
}
