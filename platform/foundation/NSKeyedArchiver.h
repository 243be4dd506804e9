#pragma once
// Writes object graphs as keyed archives: binary property lists in the platform's layout
// ($archiver, $version 100000, $top, and $objects with "$null" at index 0, objects referred to
// by UID, classes described by $classname/$classes dictionaries). An object met twice is
// written once, so shared references and cycles survive.

#include "platform/foundation/NSCoder.h"

#include <map>
#include <unordered_map>

class NSKeyedArchiver : public NSCoder {
    NS_OBJECT(NSKeyedArchiver, NSCoder)
public:
    // Raises NSInvalidArgumentException for an object that supports no keyed coding.
    static std::shared_ptr<NSData> archivedDataWithRootObject(const id& rootObject);
    static bool archiveRootObject(const id& rootObject, const NSString& path);

    ~NSKeyedArchiver() override;

    void encodeObject(const id& object, const NSString& key) override;
    void encodeBool(bool value, const NSString& key) override;
    void encodeInt64(std::int64_t value, const NSString& key) override;
    void encodeDouble(double value, const NSString& key) override;
    void encodeBytes(const void* bytes, NSUInteger length, const NSString& key) override;
    // Resolved when the archive is put together: nil unless the object was written elsewhere.
    void encodeConditionalObject(const id& object, const NSString& key) override;

    // An archiver only writes; these raise NSInvalidArchiveOperationException.
    bool containsValueForKey(const NSString& key) const override;
    id decodeObjectForKey(const NSString& key) override;
    bool decodeBoolForKey(const NSString& key) override;
    std::int64_t decodeInt64ForKey(const NSString& key) override;
    double decodeDoubleForKey(const NSString& key) override;
    std::shared_ptr<NSData> decodeBytesForKey(const NSString& key) override;

    // The archive of everything encoded at the top level so far.
    std::shared_ptr<NSData> encodedData();

private:
    std::uint64_t referenceFor(const id& object);
    std::uint64_t classReference(const std::string& name, const std::vector<std::string>& chain);
    void setValue(void* node, const NSString& key);
    void* newReferenceArray(const std::vector<id>& objects);

    // Nodes of $objects, owned here until the archive is put together.
    std::vector<void*> m_objects;
    void* m_top { nullptr };
    // Containers being filled, innermost last; empty means the top level.
    std::vector<void*> m_containers;
    std::unordered_map<const NSObject*, std::uint64_t> m_references;
    // Keeps every encoded object alive so that its address stays its identity.
    std::vector<id> m_encoded;
    std::map<std::string, std::uint64_t> m_classes;
    struct ConditionalReference {
        void* container; // nullptr: the top level
        std::string key;
        id object; // kept so that its address cannot be reused by another object meanwhile
    };
    std::vector<ConditionalReference> m_conditionalReferences;
};
