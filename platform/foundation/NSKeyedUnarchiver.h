#pragma once
// Reads keyed archives written by NSKeyedArchiver (or by the platform). Archives come from
// files and pasteboards, so every reading is checked: damaged or hostile archives (truncated
// bytes, wrong types, UIDs out of range, cycles, unknown classes, absurd nesting) are refused
// with an error and a nil result, never a crash.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/PropertyListNode.h"

#include <unordered_set>

class NSKeyedUnarchiver : public NSCoder {
    NS_OBJECT(NSKeyedUnarchiver, NSCoder)
public:
    // Nil for damaged data.
    static id unarchiveObjectWithData(const std::shared_ptr<NSData>& data);
    static id unarchiveTopLevelObjectWithData(const std::shared_ptr<NSData>& data, NSErrorPointer error);
    static id unarchiveObjectWithFile(const NSString& path);

    // An unarchiver only reads; these raise NSInvalidArchiveOperationException.
    void encodeObject(const id& object, const NSString& key) override;
    void encodeBool(bool value, const NSString& key) override;
    void encodeInt64(std::int64_t value, const NSString& key) override;
    void encodeDouble(double value, const NSString& key) override;
    void encodeBytes(const void* bytes, NSUInteger length, const NSString& key) override;

    bool containsValueForKey(const NSString& key) const override;
    // A reference that does not resolve makes the whole archive fail.
    id decodeObjectForKey(const NSString& key) override;
    id decodeWeakObjectForKey(const NSString& key) override;
    bool decodeBoolForKey(const NSString& key) override;
    std::int64_t decodeInt64ForKey(const NSString& key) override;
    double decodeDoubleForKey(const NSString& key) override;
    std::shared_ptr<NSData> decodeBytesForKey(const NSString& key) override;
    void registerDecodingObject(const id& object) override;

    // Why the archive was refused; nil while it reads well.
    const NSString& failureReason() const { return m_failure; }

protected:
    bool init(const std::shared_ptr<NSData>& data);

private:
    enum class State : std::uint8_t { Pending, Decoding, Done };

    void fail(const char* reason);
    void* valueForKey(const NSString& key) const;
    id decodeReference(void* node);
    id decodeObjectAtIndex(std::uint64_t index);
    bool closesOwningCycle(std::uint64_t index) const;
    bool ownsThroughLinks(std::uint64_t from, std::uint64_t to);
    void recordOwningLink(std::uint64_t owner, std::uint64_t owned);
    id decodeInstance(void* container, const std::string& className);
    bool decodeReferences(void* array, std::vector<id>& out);

    PropertyListNode m_archive;
    void* m_objects { nullptr };
    std::uint64_t m_objectCount { 0 };
    std::vector<void*> m_containers;
    std::vector<id> m_decoded;
    std::vector<State> m_states;
    // Indexes of the objects whose initialisers are running, innermost last, each with whether
    // the link that began it was a back link.
    std::vector<std::uint64_t> m_decodingIndexes;
    std::vector<bool> m_decodingByBackLink;
    // The owning links read so far, by the index of their owner, once an owning link back to an
    // object still being decoded has been let through (before that, every owning link leads to
    // an object finished earlier and none can close a cycle), each once; with the steps the search for
    // cycles has taken, which are bounded.
    std::vector<std::vector<std::uint64_t>> m_owningLinks;
    std::unordered_set<std::uint64_t> m_recordedLinks;
    bool m_ownedWhileDecoding { false };
    std::uint64_t m_cycleSearchSteps { 0 };
    std::vector<std::uint64_t> m_searchMarks;
    std::uint64_t m_searchMark { 0 };
    // Set for the one reference decodeWeakObjectForKey resolves, not for what that object holds.
    bool m_resolvingWeakLink { false };
    NSString m_failure;
};
