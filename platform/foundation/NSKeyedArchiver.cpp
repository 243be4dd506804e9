#include "platform/foundation/NSKeyedArchiver.h"

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/NSValue.h"
#include "platform/foundation/PropertyListNode.h"

#include <plist/plist.h>

namespace {

constexpr std::size_t maximumNesting = PropertyListNode::maximumDepth;

std::string utf8(const NSString& text) { return text.UTF8String(); }

} // namespace

std::shared_ptr<NSData> NSKeyedArchiver::archivedDataWithRootObject(const id& rootObject)
{
    auto archiver = create();
    archiver->encodeObject(rootObject, "root");
    return archiver->encodedData();
}

bool NSKeyedArchiver::archiveRootObject(const id& rootObject, const NSString& path)
{
    auto data = archivedDataWithRootObject(rootObject);
    return data && data->writeToFile(path, true);
}

NSKeyedArchiver::~NSKeyedArchiver()
{
    for (void* node : m_objects)
        plist_free(node);
    if (m_top)
        plist_free(m_top);
}

void NSKeyedArchiver::setValue(void* node, const NSString& key)
{
    if (m_containers.empty()) {
        if (!m_top)
            m_top = plist_new_dict();
        plist_dict_set_item(m_top, utf8(key).c_str(), node);
    } else {
        plist_dict_set_item(m_containers.back(), utf8(key).c_str(), node);
    }
}

void NSKeyedArchiver::encodeObject(const id& object, const NSString& key)
{
    if (m_objects.empty())
        m_objects.push_back(plist_new_string("$null"));
    std::uint64_t reference = referenceFor(object);
    setValue(plist_new_uid(reference), key);
}

void NSKeyedArchiver::encodeConditionalObject(const id& object, const NSString& key)
{
    if (!object || m_references.contains(object.get())) {
        encodeObject(object, key);
        return;
    }
    if (m_objects.empty())
        m_objects.push_back(plist_new_string("$null"));
    setValue(plist_new_uid(0), key);
    m_conditionalReferences.push_back({ m_containers.empty() ? nullptr : m_containers.back(), utf8(key), object });
}

void NSKeyedArchiver::encodeBool(bool value, const NSString& key)
{
    setValue(plist_new_bool(value), key);
}

void NSKeyedArchiver::encodeInt64(std::int64_t value, const NSString& key)
{
    setValue(plist_new_uint(static_cast<std::uint64_t>(value)), key);
}

void NSKeyedArchiver::encodeDouble(double value, const NSString& key)
{
    setValue(plist_new_real(value), key);
}

void NSKeyedArchiver::encodeBytes(const void* bytes, NSUInteger length, const NSString& key)
{
    setValue(plist_new_data(static_cast<const char*>(bytes), bytes ? length : 0), key);
}

std::uint64_t NSKeyedArchiver::classReference(const std::string& name, const std::vector<std::string>& chain)
{
    if (auto found = m_classes.find(name); found != m_classes.end())
        return found->second;
    plist_t description = plist_new_dict();
    plist_dict_set_item(description, "$classname", plist_new_string(name.c_str()));
    plist_t classes = plist_new_array();
    for (const auto& member : chain)
        plist_array_append_item(classes, plist_new_string(member.c_str()));
    plist_dict_set_item(description, "$classes", classes);
    std::uint64_t reference = m_objects.size();
    m_objects.push_back(description);
    m_classes[name] = reference;
    return reference;
}

void* NSKeyedArchiver::newReferenceArray(const std::vector<id>& objects)
{
    std::vector<std::uint64_t> references;
    references.reserve(objects.size());
    for (const id& object : objects)
        references.push_back(referenceFor(object));
    plist_t array = plist_new_array();
    for (std::uint64_t reference : references)
        plist_array_append_item(array, plist_new_uid(reference));
    return array;
}

std::uint64_t NSKeyedArchiver::referenceFor(const id& object)
{
    if (!object)
        return 0;
    if (auto found = m_references.find(object.get()); found != m_references.end())
        return found->second;
    if (m_containers.size() > maximumNesting)
        NSException::raise(NSInvalidArchiveOperationException, "object graph nests too deep to archive");

    auto coding = std::dynamic_pointer_cast<const NSCoding>(object);
    std::uint64_t reference = m_objects.size();
    m_encoded.push_back(object);

    // Immutable strings, numbers and data are written in place, as the platform writes them.
    if (!coding) {
        plist_t inlineNode = nullptr;
        if (auto text = ns::cast<NSStringObject>(object); text && !ns::cast<NSMutableString>(object))
            inlineNode = plist_new_string(ns::utf8FromUTF16(text->characters()).c_str());
        else if (auto number = ns::cast<NSNumber>(object); number && !ns::cast<NSDecimalNumber>(object))
            inlineNode = PropertyListNode::fromObject(number).release();
        else if (auto data = ns::cast<NSData>(object); data && !ns::cast<NSMutableData>(object))
            inlineNode = plist_new_data(reinterpret_cast<const char*>(data->bytes()), data->length());
        if (inlineNode) {
            m_objects.push_back(inlineNode);
            m_references[object.get()] = reference;
            return reference;
        }
    }

    // The dictionary takes its UID before its members are written, so a member that refers
    // back to it (a cycle) finds it.
    plist_t container = plist_new_dict();
    m_objects.push_back(container);
    m_references[object.get()] = reference;
    m_containers.push_back(container);
    struct Pop {
        std::vector<void*>& containers;
        ~Pop() { containers.pop_back(); }
    } pop { m_containers };

    std::string name;
    std::vector<std::string> chain;
    if (coding) {
        const char* codedName = coding->classNameForCoder();
        name = codedName ? codedName : object->className();
        auto registered = registeredClass(name);
        chain = registered ? registered->classChain : std::vector<std::string> { name, "NSObject" };
        coding->encodeWithCoder(*this);
    } else if (auto text = ns::cast<NSMutableString>(object)) {
        name = "NSMutableString";
        chain = { "NSMutableString", "NSString", "NSObject" };
        plist_dict_set_item(container, "NS.string", plist_new_string(ns::utf8FromUTF16(text->characters()).c_str()));
    } else if (auto data = ns::cast<NSMutableData>(object)) {
        name = "NSMutableData";
        chain = { "NSMutableData", "NSData", "NSObject" };
        encodeBytes(data->bytes(), data->length(), "NS.data");
    } else if (auto decimal = ns::cast<NSDecimalNumber>(object)) {
        // Written as text so that all 38 digits come back, which a property-list real would lose.
        name = "NSDecimalNumber";
        chain = { "NSDecimalNumber", "NSNumber", "NSObject" };
        plist_dict_set_item(container, "NS.string", plist_new_string(decimal->stringValue().UTF8String().c_str()));
    } else if (auto value = ns::cast<NSValue>(object); value && value->holds<NSRange>()) {
        name = "NSValue";
        chain = { "NSValue", "NSObject" };
        encodeInt64(static_cast<std::int64_t>(value->rangeValue().location), "NS.rangeval.location");
        encodeInt64(static_cast<std::int64_t>(value->rangeValue().length), "NS.rangeval.length");
    } else if (auto date = ns::cast<NSDate>(object)) {
        name = "NSDate";
        chain = { "NSDate", "NSObject" };
        encodeDouble(date->timeIntervalSinceReferenceDate(), "NS.time");
    } else if (auto array = ns::cast<NSArray>(object)) {
        bool isMutable = ns::cast<NSMutableArray>(object) != nullptr;
        name = isMutable ? "NSMutableArray" : "NSArray";
        chain = isMutable ? std::vector<std::string> { "NSMutableArray", "NSArray", "NSObject" } : std::vector<std::string> { "NSArray", "NSObject" };
        plist_dict_set_item(container, "NS.objects", newReferenceArray(array->objects()));
    } else if (auto dictionary = ns::cast<NSDictionary>(object)) {
        bool isMutable = ns::cast<NSMutableDictionary>(object) != nullptr;
        name = isMutable ? "NSMutableDictionary" : "NSDictionary";
        chain = isMutable ? std::vector<std::string> { "NSMutableDictionary", "NSDictionary", "NSObject" } : std::vector<std::string> { "NSDictionary", "NSObject" };
        std::vector<id> keys;
        std::vector<id> values;
        for (const auto& entry : *dictionary) {
            keys.push_back(entry.key);
            values.push_back(entry.object);
        }
        plist_dict_set_item(container, "NS.keys", newReferenceArray(keys));
        plist_dict_set_item(container, "NS.objects", newReferenceArray(values));
    } else if (auto set = ns::cast<NSSet>(object)) {
        bool isMutable = ns::cast<NSMutableSet>(object) != nullptr;
        name = isMutable ? "NSMutableSet" : "NSSet";
        chain = isMutable ? std::vector<std::string> { "NSMutableSet", "NSSet", "NSObject" } : std::vector<std::string> { "NSSet", "NSObject" };
        plist_dict_set_item(container, "NS.objects", newReferenceArray(set->allObjects()->objects()));
    } else if (ns::cast<NSNull>(object)) {
        name = "NSNull";
        chain = { "NSNull", "NSObject" };
    } else {
        NSException::raise(NSInvalidArgumentException, "%s does not support keyed archiving", object->className());
    }
    plist_dict_set_item(container, "$class", plist_new_uid(classReference(name, chain)));
    return reference;
}

std::shared_ptr<NSData> NSKeyedArchiver::encodedData()
{
    if (m_objects.empty())
        m_objects.push_back(plist_new_string("$null"));
    // Looked up by key, not kept as nodes: writing the key again replaces (and frees) the node.
    for (const auto& conditional : m_conditionalReferences) {
        auto found = m_references.find(conditional.object.get());
        if (found == m_references.end())
            continue;
        plist_t container = conditional.container ? conditional.container : m_top;
        plist_t node = container ? plist_dict_get_item(container, conditional.key.c_str()) : nullptr;
        if (node && plist_get_node_type(node) == PLIST_UID)
            plist_set_uid_val(node, found->second);
    }
    PropertyListNode archive(plist_new_dict());
    plist_dict_set_item(archive.get(), "$archiver", plist_new_string("NSKeyedArchiver"));
    plist_dict_set_item(archive.get(), "$version", plist_new_uint(100000));
    plist_dict_set_item(archive.get(), "$top", m_top ? plist_copy(m_top) : plist_new_dict());
    plist_t objects = plist_new_array();
    for (void* node : m_objects)
        plist_array_append_item(objects, plist_copy(node));
    plist_dict_set_item(archive.get(), "$objects", objects);
    return archive.serialize(PropertyListNode::Format::Binary);
}

namespace {

[[noreturn]] void refuseDecoding()
{
    NSException::raise(NSInvalidArchiveOperationException, "an archiver cannot decode");
}

} // namespace

bool NSKeyedArchiver::containsValueForKey(const NSString&) const { refuseDecoding(); }
id NSKeyedArchiver::decodeObjectForKey(const NSString&) { refuseDecoding(); }
bool NSKeyedArchiver::decodeBoolForKey(const NSString&) { refuseDecoding(); }
std::int64_t NSKeyedArchiver::decodeInt64ForKey(const NSString&) { refuseDecoding(); }
double NSKeyedArchiver::decodeDoubleForKey(const NSString&) { refuseDecoding(); }
std::shared_ptr<NSData> NSKeyedArchiver::decodeBytesForKey(const NSString&) { refuseDecoding(); }
