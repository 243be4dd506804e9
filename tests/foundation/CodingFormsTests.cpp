// Conditional objects in keyed archives, the unkeyed form, parameter assertions and byte swaps.
#include "platform/foundation/CFByteOrder.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSArchiver.h"
#include "platform/foundation/NSAssertionHandler.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/foundation/NSUnarchiver.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A node that links to its parent conditionally and to its children unconditionally, in both forms.
class TreeNode : public NSObject, public NSCoding {
    NS_OBJECT(TreeNode, NSObject)
public:
    void encodeWithCoder(NSCoder& coder) const override
    {
        if (coder.allowsKeyedCoding()) {
            coder.encodeObject(name, "name");
            coder.encodeConditionalObject(parent.lock(), "parent");
            coder.encodeObject(child, "child");
            return;
        }
        coder.encodeObject(name);
        coder.encodeValueOfObjCType("i", &weight);
        coder.encodeValueOfObjCType("Q", &count);
        coder.encodeObject(child);
    }

    NSString name;
    std::weak_ptr<TreeNode> parent;
    std::shared_ptr<TreeNode> child;
    int weight { 0 };
    unsigned long long count { 0 };

protected:
    void init() { }
    void init(NSCoder& coder)
    {
        coder.registerDecodingObject(self());
        if (coder.allowsKeyedCoding()) {
            name = NSString::fromId(coder.decodeObjectForKey("name"));
            parent = coder.decodeWeakObjectOfClass<TreeNode>("parent");
            child = coder.decodeObjectOfClass<TreeNode>("child");
            return;
        }
        name = NSString::fromId(coder.decodeObject());
        coder.decodeValueOfObjCType("i", &weight, sizeof weight);
        coder.decodeValueOfObjCType("Q", &count, sizeof count);
        child = ns::cast<TreeNode>(coder.decodeObject());
    }
};

const bool treeNodeRegistered = NSCoder::registerClass<TreeNode>();

// Writes its label whole but reads it as a link it does not keep, as a plot space its
// identifier, so a label holding the node reads without a cycle; what it holds, it owns.
class LabelledNode : public NSObject, public NSCoding {
    NS_OBJECT(LabelledNode, NSObject)
public:
    void encodeWithCoder(NSCoder& coder) const override
    {
        coder.encodeObject(label, "label");
        coder.encodeObject(held, "held");
    }

    id label;
    id held;

protected:
    void init() { }
    void init(NSCoder& coder)
    {
        coder.registerDecodingObject(self());
        (void)coder.decodeWeakObjectForKey("label");
        held = coder.decodeObjectForKey("held");
    }
};

const bool labelledNodeRegistered = NSCoder::registerClass<LabelledNode>();

// The archive of a node labelled by an array of itself and what `beside` makes of the node, which
// makes the unarchiver keep its owning links from there on; the node owns what `held` makes of it.
std::shared_ptr<NSKeyedUnarchiver> besideALabelHoldingItsNode(
    const std::function<id(const id&)>& beside, const std::function<id(const id&)>& held = nullptr)
{
    auto labelled = LabelledNode::create();
    labelled->label = NSArray::arrayWithObjects({ labelled, beside(labelled) });
    labelled->held = held ? held(labelled) : nullptr;
    auto archive = NSKeyedArchiver::archivedDataWithRootObject(labelled);
    labelled->label = nullptr;
    labelled->held = nullptr;
    return NSKeyedUnarchiver::create(archive);
}

std::function<id(const id&)> just(const id& object)
{
    return [object](const id&) { return object; };
}

std::shared_ptr<NSArray> distinctStrings(std::size_t count)
{
    std::vector<id> strings;
    for (std::size_t i = 0; i < count; ++i)
        strings.push_back(static_cast<id>(NSString(std::to_string(i))));
    return NSArray::create(std::move(strings));
}

std::shared_ptr<NSArray> repeated(const id& object, std::size_t count) { return NSArray::create(std::vector<id>(count, object)); }

std::shared_ptr<TreeNode> node(const char* name)
{
    auto made = TreeNode::create();
    made->name = name;
    return made;
}

} // namespace

TEST(ConditionalObjects, keepALinkOnlyToAnObjectTheArchiveHoldsAnyway)
{
    ASSERT_TRUE(treeNodeRegistered);
    auto root = node("root");
    auto leaf = node("leaf");
    root->child = leaf;
    leaf->parent = root;

    auto whole = ns::cast<TreeNode>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(root)));
    ASSERT_TRUE(whole && whole->child);
    EXPECT_EQ(whole->child->parent.lock(), whole);

    // Written on its own, the leaf's parent is nowhere else in the archive and reads back as nil.
    auto alone = ns::cast<TreeNode>(NSKeyedUnarchiver::unarchiveObjectWithData(NSKeyedArchiver::archivedDataWithRootObject(leaf)));
    ASSERT_TRUE(alone);
    EXPECT_EQ(alone->name, NSString("leaf"));
    EXPECT_EQ(alone->parent.lock(), nullptr);
}

TEST(ConditionalObjects, resolveWhenTheObjectIsWrittenAfterTheLink)
{
    auto archiver = NSKeyedArchiver::create();
    auto shared = node("shared");
    archiver->encodeConditionalObject(shared, "first");
    archiver->encodeConditionalObject(node("dropped"), "second");
    archiver->encodeObject(shared, "third");
    auto unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    ASSERT_TRUE(unarchiver);
    auto first = unarchiver->decodeObjectOfClass<TreeNode>("first");
    ASSERT_TRUE(first);
    EXPECT_EQ(first, unarchiver->decodeObjectOfClass<TreeNode>("third"));
    EXPECT_TRUE(unarchiver->containsValueForKey("second"));
    EXPECT_EQ(unarchiver->decodeObjectForKey("second"), nullptr);
}

TEST(ConditionalObjects, anOwningLinkBackToAnObjectBeingDecodedRefusesTheArchive)
{
    auto root = node("root");
    auto leaf = node("leaf");
    root->child = leaf;
    leaf->child = root;
    auto data = NSKeyedArchiver::archivedDataWithRootObject(root);
    leaf->child = nullptr;

    // Were it read, root and leaf would own each other and never be freed.
    EXPECT_EQ(NSKeyedUnarchiver::unarchiveObjectWithData(data), nullptr);
}

TEST(ConditionalObjects, aChildReadBeforeItsParentJoinsTheParentItLinksBackTo)
{
    auto root = node("root");
    auto leaf = node("leaf");
    root->child = leaf;
    leaf->parent = root;
    auto archiver = NSKeyedArchiver::create();
    archiver->encodeObject(leaf, "leaf");
    archiver->encodeObject(root, "root");
    auto unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    auto readLeaf = unarchiver->decodeObjectOfClass<TreeNode>("leaf");
    auto readRoot = unarchiver->decodeObjectOfClass<TreeNode>("root");
    ASSERT_TRUE(readLeaf && readRoot) << unarchiver->failureReason().UTF8String();
    EXPECT_EQ(readRoot->child, readLeaf);
    EXPECT_EQ(readLeaf->parent.lock(), readRoot);

    // Behind a back link, two nodes that own each other are still refused.
    auto first = node("first");
    auto second = node("second");
    leaf->parent = first;
    first->child = second;
    second->child = first;
    archiver = NSKeyedArchiver::create();
    archiver->encodeObject(leaf, "leaf");
    archiver->encodeObject(first, "first");
    second->child = nullptr;
    unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    EXPECT_EQ(unarchiver->decodeObjectForKey("leaf"), nullptr);
    EXPECT_EQ(unarchiver->failureReason(), NSString("an owning link closes a cycle"));

    // Nor may the child, once its parent has taken it, own the parent in turn.
    leaf->parent = root;
    leaf->child = root;
    archiver = NSKeyedArchiver::create();
    archiver->encodeObject(leaf, "leaf");
    leaf->child = nullptr;
    unarchiver = NSKeyedUnarchiver::create(archiver->encodedData());
    EXPECT_EQ(unarchiver->decodeObjectForKey("leaf"), nullptr);
    EXPECT_EQ(unarchiver->failureReason(), NSString("an owning link closes a cycle"));
}

TEST(OwningCycles, referencesRepeatedToADecodedObjectAreNotSearchedAgain)
{
    ASSERT_TRUE(labelledNodeRegistered);
    auto unarchiver = besideALabelHoldingItsNode(just(repeated(distinctStrings(1000), 1000)));
    ASSERT_TRUE(ns::cast<LabelledNode>(unarchiver->decodeObjectForKey("root"))) << unarchiver->failureReason().UTF8String();
    EXPECT_LT(unarchiver->cycleSearchSteps(), 100u);
}

TEST(OwningCycles, soundArchivesOfManyLinksDecode)
{
    // 10,000 and 100,000 references to arrays of as many distinct strings.
    for (auto [references, strings] : { std::pair<std::size_t, std::size_t>(10000, 1000), { 100000, 100000 } }) {
        auto unarchiver = besideALabelHoldingItsNode(just(repeated(distinctStrings(strings), references)));
        EXPECT_TRUE(unarchiver->decodeObjectForKey("root")) << unarchiver->failureReason().UTF8String();
        EXPECT_LT(unarchiver->cycleSearchSteps(), 100u);
    }

    // 3,000 dictionaries, each naming the one before under two keys, listed first to last.
    std::vector<id> chain { NSDictionary::dictionary() };
    for (int i = 1; i < 3000; ++i)
        chain.push_back(NSDictionary::dictionaryWithObjectsAndKeys({ { chain.back(), NSString("a") }, { chain.back(), NSString("b") } }));
    auto unarchiver = besideALabelHoldingItsNode(just(NSArray::create(std::move(chain))));
    EXPECT_TRUE(unarchiver->decodeObjectForKey("root")) << unarchiver->failureReason().UTF8String();
    EXPECT_LT(unarchiver->cycleSearchSteps(), 100u);
}

TEST(OwningCycles, onlyACycleIsRefusedAsOne)
{
    // Read inside the label, an array takes the node; the node then owns the array.
    id mutual;
    auto unarchiver = besideALabelHoldingItsNode([&mutual](const id& node) { return mutual = NSArray::arrayWithObjects({ node }); },
        [&mutual](const id&) { return mutual; });
    EXPECT_FALSE(unarchiver->decodeObjectForKey("root"));
    EXPECT_EQ(unarchiver->failureReason(), NSString("an owning link closes a cycle"));

    // The same through a chain of 3,000 arrays, each holding the one before, the first the node.
    id last;
    unarchiver = besideALabelHoldingItsNode(
        [&last](const id& node) {
            std::vector<id> chain { NSArray::arrayWithObjects({ node }) };
            while (chain.size() < 3000)
                chain.push_back(NSArray::arrayWithObjects({ chain.back() }));
            last = chain.back();
            return NSArray::create(std::move(chain));
        },
        [&last](const id&) { return last; });
    EXPECT_FALSE(unarchiver->decodeObjectForKey("root"));
    EXPECT_EQ(unarchiver->failureReason(), NSString("an owning link closes a cycle"));

    // Without the node holding the chain's end, 3,000 arrays each naming one that holds two
    // thousand arrays of the node: each link reaches the node, none comes back to its owner.
    unarchiver = besideALabelHoldingItsNode([](const id& node) {
        std::vector<id> holders;
        for (std::size_t i = 0; i < 2000; ++i)
            holders.push_back(NSArray::arrayWithObjects({ node }));
        const id held = NSArray::create(std::move(holders));
        std::vector<id> owners { held };
        for (std::size_t i = 0; i < 3000; ++i)
            owners.push_back(NSArray::arrayWithObjects({ held }));
        return NSArray::create(std::move(owners));
    });
    EXPECT_TRUE(unarchiver->decodeObjectForKey("root")) << unarchiver->failureReason().UTF8String();
    EXPECT_LT(unarchiver->cycleSearchSteps(), 20000u);
}

TEST(KeyedArchiveValues, decimalNumbersKeepEveryDigit)
{
    auto precise = NSDecimalNumber::decimalNumberWithString("-1234567890.1234567890123456789012345678");
    auto notANumber = NSDecimalNumber::notANumber();
    auto back = ns::cast<NSArray>(NSKeyedUnarchiver::unarchiveObjectWithData(
        NSKeyedArchiver::archivedDataWithRootObject(ns::array({ precise, notANumber, NSNumber::numberWithDouble(0.5) }))));
    ASSERT_TRUE(back && back->count() == 3);
    auto first = ns::cast<NSDecimalNumber>(back->objectAtIndex(0));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->stringValue(), precise->stringValue());
    EXPECT_TRUE(ns::cast<NSDecimalNumber>(back->objectAtIndex(1))->isNotANumber());
    EXPECT_FALSE(ns::cast<NSDecimalNumber>(back->objectAtIndex(2)));
}

TEST(UnkeyedForm, readsValuesAndObjectsBackInOrder)
{
    auto root = node("树根");
    root->weight = -7;
    root->count = 1ull << 40;
    root->child = node("叶");
    root->child->child = nullptr;

    auto data = NSArchiver::archivedDataWithRootObject(root);
    auto back = ns::cast<TreeNode>(NSUnarchiver::unarchiveObjectWithData(data));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, NSString("树根"));
    EXPECT_EQ(back->weight, -7);
    EXPECT_EQ(back->count, 1ull << 40);
    ASSERT_TRUE(back->child);
    EXPECT_EQ(back->child->name, NSString("叶"));
    EXPECT_EQ(back->child->child, nullptr);
}

TEST(UnkeyedForm, sharedObjectsComeBackShared)
{
    auto archiver = NSArchiver::create();
    auto shape = ns::array({ NSNumber::numberWithInt(2), NSNumber::numberWithInt(3) });
    archiver->encodeObject(shape);
    archiver->encodeObject(shape);
    auto unarchiver = NSUnarchiver::create(archiver->archiverData());
    ASSERT_TRUE(unarchiver);
    id first = unarchiver->decodeObject();
    EXPECT_TRUE(ns::isEqual(first, shape));
    EXPECT_EQ(unarchiver->decodeObject(), first);
    EXPECT_TRUE(unarchiver->isAtEnd());
}

TEST(UnkeyedForm, refusesMismatchedTypesAndKeyedCalls)
{
    auto archiver = NSArchiver::create();
    int value = 5;
    archiver->encodeValueOfObjCType("i", &value);
    EXPECT_THROW(archiver->encodeInt64(1, "key"), NSException);
    EXPECT_THROW(archiver->encodeValueOfObjCType("{CGPoint=dd}", &value), NSException);

    auto unarchiver = NSUnarchiver::create(archiver->archiverData());
    double wrong = 0;
    try {
        unarchiver->decodeValueOfObjCType("d", &wrong, sizeof wrong);
        FAIL() << "a double read from an int";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(NSInvalidUnarchiveOperationException));
    }
    // A keyed coder has no unkeyed form.
    int out = 0;
    EXPECT_THROW(NSKeyedArchiver::create()->encodeValueOfObjCType("i", &out), NSException);
}

TEST(UnkeyedForm, damagedStreamsGiveNil)
{
    auto root = node("root");
    root->child = node("child");
    auto data = NSArchiver::archivedDataWithRootObject(root);
    for (NSUInteger length = 0; length < data->length(); ++length)
        EXPECT_EQ(NSUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(data->bytes(), length)), nullptr) << length;

    // A reference to an object that comes later (or never).
    std::vector<std::uint8_t> forward(data->bytes(), data->bytes() + 5);
    forward.insert(forward.end(), { 'r', 3, 0, 0, 0 });
    EXPECT_EQ(NSUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes(forward)), nullptr);
    EXPECT_EQ(NSUnarchiver::unarchiveObjectWithData(NSData::dataWithBytes("nonsense", 8)), nullptr);
}

TEST(ParameterAssertion, raisesAnInternalInconsistencyNamingTheCondition)
{
    auto check = [](int index) { NSParameterAssert(index < 3); };
    EXPECT_NO_THROW(check(2));
    try {
        check(3);
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.name(), NSString(NSInternalInconsistencyException));
        EXPECT_EQ(exception.reason(), NSString("Invalid parameter not satisfying: index < 3"));
    }
    try {
        NSCAssert(1 > 2, "lowerBound must be less than or equal to %s", "upperBound");
        FAIL() << "no exception";
    } catch (const NSException& exception) {
        EXPECT_EQ(exception.reason(), NSString("lowerBound must be less than or equal to upperBound"));
    }
}

TEST(ByteOrder, swapsWholeSamplesOnly)
{
    EXPECT_EQ(CFByteOrderGetCurrent(), CFByteOrderLittleEndian);
    EXPECT_EQ(CFSwapInt32(0x01020304u), 0x04030201u);
    EXPECT_EQ(CFSwapInt64(0x0102030405060708ull), 0x0807060504030201ull);
    EXPECT_EQ(CFSwapInt16HostToBig(0x0102), 0x0201);

    std::uint8_t bytes[] = { 1, 2, 3, 4, 5, 6, 7 };
    ns::swapSamplesInPlace(bytes, sizeof bytes, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 7), (std::vector<std::uint8_t> { 2, 1, 4, 3, 6, 5, 7 }));
    ns::swapSamplesInPlace(bytes + 1, 6, 4); // unaligned; the last two bytes are a partial sample
    EXPECT_EQ(std::vector<std::uint8_t>(bytes, bytes + 7), (std::vector<std::uint8_t> { 2, 6, 3, 4, 1, 5, 7 }));
    ns::swapSamplesInPlace(bytes, sizeof bytes, 3); // not a swappable size
    EXPECT_EQ(bytes[0], 2);
}
