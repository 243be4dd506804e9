#include "platform/foundation/NSKeyedUnarchiver.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSValue.h"

#include <plist/plist.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

// A reference is a UID node, or in archives that went through the XML form, a dictionary
// holding only the integer "CF$UID".
bool referenceIndex(plist_t node, std::uint64_t& index)
{
    if (!node)
        return false;
    if (plist_get_node_type(node) == PLIST_UID) {
        plist_get_uid_val(node, &index);
        return true;
    }
    if (plist_get_node_type(node) != PLIST_DICT || plist_dict_get_size(node) != 1)
        return false;
    plist_t value = plist_dict_get_item(node, "CF$UID");
    if (!value || plist_get_node_type(value) != PLIST_UINT)
        return false;
    plist_get_uint_val(value, &index);
    return true;
}

} // namespace

id NSKeyedUnarchiver::unarchiveObjectWithData(const std::shared_ptr<NSData>& data)
{
    return unarchiveTopLevelObjectWithData(data, nullptr);
}

id NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(const std::shared_ptr<NSData>& data, NSErrorPointer error)
{
    auto refuse = [error](const NSString& reason) -> id {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSCoderReadCorruptError,
            NSString::stringWithFormat("The data couldn't be read because it isn't in the correct format (%@).", reason)));
        return nullptr;
    };
    auto unarchiver = create(data);
    if (!unarchiver)
        return refuse("not a keyed archive");
    id root;
    try {
        root = unarchiver->decodeObjectForKey("root");
    } catch (const NSException& exception) {
        // A class's own initialiser may raise on values it does not accept.
        return refuse(exception.reason());
    }
    if (!unarchiver->m_failure.isNil())
        return refuse(unarchiver->m_failure);
    return root;
}

id NSKeyedUnarchiver::unarchiveObjectWithFile(const NSString& path)
{
    return unarchiveObjectWithData(NSData::dataWithContentsOfFile(path));
}

bool NSKeyedUnarchiver::init(const std::shared_ptr<NSData>& data)
{
    m_archive = PropertyListNode::parse(data);
    plist_t root = m_archive.get();
    if (!root || plist_get_node_type(root) != PLIST_DICT)
        return false;
    plist_t archiver = plist_dict_get_item(root, "$archiver");
    plist_t version = plist_dict_get_item(root, "$version");
    plist_t top = plist_dict_get_item(root, "$top");
    plist_t objects = plist_dict_get_item(root, "$objects");
    if (PropertyListNode::stringOf(archiver) != "NSKeyedArchiver" || !version || plist_get_node_type(version) != PLIST_UINT
        || !top || plist_get_node_type(top) != PLIST_DICT || !objects || plist_get_node_type(objects) != PLIST_ARRAY)
        return false;
    m_objects = objects;
    m_objectCount = plist_array_get_size(objects);
    PropertyListNode::indexArray(objects);
    if (m_objectCount == 0 || PropertyListNode::stringOf(plist_array_get_item(objects, 0)) != "$null")
        return false;
    m_decoded.resize(m_objectCount);
    m_states.resize(m_objectCount, State::Pending);
    m_levels.resize(m_objectCount, 0);
    m_deepestReached.resize(m_objectCount, 0);
    m_owningLinks.resize(m_objectCount);
    m_containers.push_back(top);
    return true;
}

void NSKeyedUnarchiver::fail(const char* reason)
{
    if (m_failure.isNil())
        m_failure = reason;
}

void* NSKeyedUnarchiver::valueForKey(const NSString& key) const
{
    if (m_containers.empty() || key.isNil())
        return nullptr;
    return plist_dict_get_item(m_containers.back(), key.UTF8String().c_str());
}

bool NSKeyedUnarchiver::containsValueForKey(const NSString& key) const
{
    return valueForKey(key) != nullptr;
}

id NSKeyedUnarchiver::decodeObjectForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    return value ? decodeReference(value) : nullptr;
}

id NSKeyedUnarchiver::decodeWeakObjectForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    if (!value)
        return nullptr;
    m_resolvingWeakLink = true;
    id object = decodeReference(value);
    m_resolvingWeakLink = false;
    return object;
}

id NSKeyedUnarchiver::decodeReference(void* node)
{
    if (!m_failure.isNil())
        return nullptr;
    std::uint64_t index = 0;
    if (!referenceIndex(node, index)) {
        fail("an object value is no reference");
        return nullptr;
    }
    return decodeObjectAtIndex(index);
}

void NSKeyedUnarchiver::registerDecodingObject(const id& object)
{
    if (!m_decodingIndexes.empty() && object)
        m_decoded[m_decodingIndexes.back()] = object;
}

id NSKeyedUnarchiver::decodeObjectAtIndex(std::uint64_t index)
{
    const bool weakLink = std::exchange(m_resolvingWeakLink, false);
    if (index == 0)
        return nullptr;
    if (index >= m_objectCount) {
        fail("reference out of range");
        return nullptr;
    }
    const bool owned = !weakLink && !m_decodingIndexes.empty();
    const std::uint64_t owner = owned ? m_decodingIndexes.back() : 0;
    if (m_states[index] == State::Done) {
        if (owned) {
            const std::uint64_t reached = deepestReached(index);
            if (reached && closesOwningCycle(reached)) {
                fail("an owning link closes a cycle");
                return nullptr;
            }
            if (reached)
                keepOwningLink(owner, index);
        }
        return m_decoded[index];
    }
    if (m_states[index] == State::Decoding) {
        if (!m_decoded[index]) {
            fail("object refers to itself");
            return nullptr;
        }
        if (owned) {
            if (closesOwningCycle(index)) {
                fail("an owning link closes a cycle");
                return nullptr;
            }
            keepOwningLink(owner, index);
        }
        return m_decoded[index];
    }
    if (m_containers.size() > PropertyListNode::maximumDepth) {
        fail("objects nest too deep");
        return nullptr;
    }
    plist_t node = plist_array_get_item(m_objects, static_cast<uint32_t>(index));
    id object;
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
    case PLIST_BOOLEAN:
    case PLIST_UINT:
    case PLIST_REAL:
    case PLIST_DATA:
        object = PropertyListNode::scalarToObject(node);
        break;
    case PLIST_DICT: {
        plist_t classNode = plist_dict_get_item(node, "$class");
        std::uint64_t classIndex = 0;
        if (!referenceIndex(classNode, classIndex)) {
            fail("object without a class");
            return nullptr;
        }
        plist_t description = classIndex > 0 && classIndex < m_objectCount
            ? plist_array_get_item(m_objects, static_cast<uint32_t>(classIndex))
            : nullptr;
        NSString className = description && plist_get_node_type(description) == PLIST_DICT
            ? PropertyListNode::stringOf(plist_dict_get_item(description, "$classname"))
            : NSString();
        if (className.isNil()) {
            fail("class description damaged");
            return nullptr;
        }
        const auto level = static_cast<std::uint32_t>(m_decodingIndexes.size());
        m_states[index] = State::Decoding;
        m_levels[index] = level;
        m_containers.push_back(node);
        m_owningRunFrom.push_back(owned ? m_owningRunFrom.back() : level);
        m_decodingIndexes.push_back(index);
        object = decodeInstance(node, className.UTF8String());
        m_decodingIndexes.pop_back();
        m_owningRunFrom.pop_back();
        m_containers.pop_back();
        break;
    }
    default:
        break;
    }
    if (!m_failure.isNil())
        return nullptr;
    if (!object) {
        fail("object could not be decoded");
        return nullptr;
    }
    m_states[index] = State::Done;
    m_decoded[index] = object;
    if (!m_owningLinks[index].empty())
        refreshDeepestReached(index);
    if (owned && m_deepestReached[index])
        keepOwningLink(owner, index);
    return object;
}

bool NSKeyedUnarchiver::closesOwningCycle(std::uint64_t reached) const
{
    return m_levels[reached] >= m_owningRunFrom.back();
}

std::uint64_t NSKeyedUnarchiver::deepestReached(std::uint64_t index)
{
    const std::uint64_t reached = m_deepestReached[index];
    if (reached && m_states[reached] != State::Decoding)
        refreshDeepestReached(index);
    return m_deepestReached[index];
}

void NSKeyedUnarchiver::refreshDeepestReached(std::uint64_t index)
{
    // Without recursion, as the links kept may chain as long as the archive.
    auto deeper = [this](std::uint64_t first, std::uint64_t second) {
        return !first || (second && m_levels[second] > m_levels[first]) ? second : first;
    };
    auto stale = [this](std::uint64_t object) {
        return m_deepestReached[object] && m_states[m_deepestReached[object]] != State::Decoding;
    };
    struct Frame {
        std::uint64_t object;
        std::size_t next { 0 };
        std::uint64_t reached { 0 };
    };
    // An object is walked again only once what it reached has finished, and is cleared while
    // walked, so that no chain of links, however made, can hold the walk.
    m_deepestReached[index] = 0;
    std::vector<Frame> frames { { index } };
    while (!frames.empty()) {
        Frame& frame = frames.back();
        auto& links = m_owningLinks[frame.object];
        if (frame.next < links.size()) {
            const std::uint64_t owned = links[frame.next++];
            ++m_cycleSearchSteps;
            if (m_states[owned] == State::Decoding) {
                frame.reached = deeper(frame.reached, owned);
            } else if (stale(owned)) {
                m_deepestReached[owned] = 0;
                frames.push_back({ owned });
            } else {
                frame.reached = deeper(frame.reached, m_deepestReached[owned]);
            }
            continue;
        }
        const std::uint64_t reached = frame.reached;
        m_deepestReached[frame.object] = reached;
        if (!reached)
            std::vector<std::uint64_t>().swap(links);
        frames.pop_back();
        if (!frames.empty())
            frames.back().reached = deeper(frames.back().reached, reached);
    }
}

void NSKeyedUnarchiver::keepOwningLink(std::uint64_t owner, std::uint64_t owned)
{
    // References repeated one after another, as a collection names one object, are kept once.
    auto& links = m_owningLinks[owner];
    if (links.empty() || links.back() != owned)
        links.push_back(owned);
}

bool NSKeyedUnarchiver::decodeReferences(void* array, std::vector<id>& out)
{
    if (!array || plist_get_node_type(array) != PLIST_ARRAY) {
        fail("collection members missing");
        return false;
    }
    uint32_t count = plist_array_get_size(array);
    PropertyListNode::indexArray(array);
    out.reserve(count);
    for (uint32_t position = 0; position < count; ++position) {
        id member = decodeReference(plist_array_get_item(array, position));
        if (!member) {
            fail("collection member missing");
            return false;
        }
        out.push_back(std::move(member));
    }
    return true;
}

id NSKeyedUnarchiver::decodeInstance(void* container, const std::string& className)
{
    if (auto registered = registeredClass(className))
        return registered->factory(*this);

    if (className == "NSString" || className == "NSMutableString") {
        NSString text = PropertyListNode::stringOf(plist_dict_get_item(container, "NS.string"));
        if (text.isNil())
            return nullptr;
        return className == "NSMutableString" ? id(NSMutableString::stringWithString(text)) : id(text);
    }
    if (className == "NSData" || className == "NSMutableData") {
        auto data = decodeBytesForKey("NS.data");
        if (!data)
            return nullptr;
        return className == "NSMutableData" ? id(NSMutableData::dataWithData(data)) : id(data);
    }
    if (className == "NSDecimalNumber") {
        NSString text = PropertyListNode::stringOf(plist_dict_get_item(container, "NS.string"));
        if (text.isNil())
            return nullptr;
        return NSDecimalNumber::decimalNumberWithString(text);
    }
    if (className == "NSValue") {
        // Only ranges are written; a location and length that do not fit a range are refused.
        const std::int64_t location = decodeInt64ForKey("NS.rangeval.location");
        const std::int64_t length = decodeInt64ForKey("NS.rangeval.length");
        if (!containsValueForKey("NS.rangeval.location") || location < 0 || length < 0 || length > std::numeric_limits<std::int64_t>::max() - location)
            return nullptr;
        return NSValue::valueWithRange(NSMakeRange(static_cast<NSUInteger>(location), static_cast<NSUInteger>(length)));
    }
    if (className == "NSDate") {
        plist_t time = plist_dict_get_item(container, "NS.time");
        if (!time || plist_get_node_type(time) != PLIST_REAL)
            return nullptr;
        double seconds = 0;
        plist_get_real_val(time, &seconds);
        return NSDate::dateWithTimeIntervalSinceReferenceDate(seconds);
    }
    if (className == "NSArray" || className == "NSMutableArray" || className == "NSSet" || className == "NSMutableSet") {
        std::vector<id> members;
        if (!decodeReferences(plist_dict_get_item(container, "NS.objects"), members))
            return nullptr;
        if (className == "NSArray")
            return NSArray::create(std::move(members));
        if (className == "NSMutableArray") {
            auto array = NSMutableArray::arrayWithCapacity(members.size());
            for (const id& member : members)
                array->addObject(member);
            return array;
        }
        auto set = NSMutableSet::set();
        for (const id& member : members)
            set->addObject(member);
        return className == "NSSet" ? set->copy() : id(set);
    }
    if (className == "NSDictionary" || className == "NSMutableDictionary") {
        std::vector<id> keys;
        std::vector<id> values;
        if (!decodeReferences(plist_dict_get_item(container, "NS.keys"), keys)
            || !decodeReferences(plist_dict_get_item(container, "NS.objects"), values))
            return nullptr;
        if (keys.size() != values.size()) {
            fail("dictionary keys and objects differ in number");
            return nullptr;
        }
        auto dictionary = NSMutableDictionary::dictionaryWithCapacity(keys.size());
        for (std::size_t position = 0; position < keys.size(); ++position)
            dictionary->setObject(values[position], keys[position]);
        return className == "NSDictionary" ? dictionary->copy() : id(dictionary);
    }
    if (className == "NSNull")
        return NSNull::null();

    fail("unknown class");
    return nullptr;
}

bool NSKeyedUnarchiver::decodeBoolForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    if (!value)
        return false;
    if (plist_get_node_type(value) == PLIST_BOOLEAN) {
        uint8_t flag = 0;
        plist_get_bool_val(value, &flag);
        return flag != 0;
    }
    return decodeInt64ForKey(key) != 0;
}

std::int64_t NSKeyedUnarchiver::decodeInt64ForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    if (!value)
        return 0;
    switch (plist_get_node_type(value)) {
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(value, &number);
        return static_cast<std::int64_t>(number);
    }
    case PLIST_BOOLEAN:
        return decodeBoolForKey(key);
    case PLIST_REAL: {
        double number = decodeDoubleForKey(key);
        if (!std::isfinite(number) || std::fabs(number) >= 9.2e18)
            return 0;
        return static_cast<std::int64_t>(number);
    }
    default:
        fail("value is no number");
        return 0;
    }
}

double NSKeyedUnarchiver::decodeDoubleForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    if (!value)
        return 0;
    if (plist_get_node_type(value) == PLIST_REAL) {
        double number = 0;
        plist_get_real_val(value, &number);
        return number;
    }
    return static_cast<double>(decodeInt64ForKey(key));
}

std::shared_ptr<NSData> NSKeyedUnarchiver::decodeBytesForKey(const NSString& key)
{
    plist_t value = static_cast<plist_t>(valueForKey(key));
    if (!value)
        return nullptr;
    if (plist_get_node_type(value) != PLIST_DATA) {
        fail("value is no bytes");
        return nullptr;
    }
    return ns::cast<NSData>(PropertyListNode::scalarToObject(value));
}

namespace {

[[noreturn]] void refuseEncoding()
{
    NSException::raise(NSInvalidArchiveOperationException, "an unarchiver cannot encode");
}

} // namespace

void NSKeyedUnarchiver::encodeObject(const id&, const NSString&) { refuseEncoding(); }
void NSKeyedUnarchiver::encodeBool(bool, const NSString&) { refuseEncoding(); }
void NSKeyedUnarchiver::encodeInt64(std::int64_t, const NSString&) { refuseEncoding(); }
void NSKeyedUnarchiver::encodeDouble(double, const NSString&) { refuseEncoding(); }
void NSKeyedUnarchiver::encodeBytes(const void*, NSUInteger, const NSString&) { refuseEncoding(); }
