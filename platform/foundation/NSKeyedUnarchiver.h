#pragma once
// Reads keyed archives written by NSKeyedArchiver (or by the platform). Archives come from
// files and pasteboards, so every reading is checked: damaged or hostile archives (truncated
// bytes, wrong types, UIDs out of range, cycles, unknown classes, absurd nesting) are refused
// with an error and a nil result, never a crash.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/PropertyListNode.h"

#include <cstdint>
#include <vector>

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
    // Links walked so far to tell whether an owning link closes a cycle; the archive's own links
    // bound them.
    std::uint64_t cycleSearchSteps() const { return m_cycleSearchSteps; }

protected:
    bool init(const std::shared_ptr<NSData>& data);

private:
    enum class State : std::uint8_t { Pending, Decoding, Done };

    void fail(const char* reason);
    void* valueForKey(const NSString& key) const;
    id decodeReference(void* node);
    id decodeObjectAtIndex(std::uint64_t index);
    bool closesOwningCycle(std::uint64_t reached) const;
    std::uint64_t deepestReached(std::uint64_t index);
    void refreshDeepestReached(std::uint64_t index);
    void keepOwningLink(std::uint64_t owner, std::uint64_t owned);
    id decodeInstance(void* container, const std::string& className);
    bool decodeReferences(void* array, std::vector<id>& out);

    PropertyListNode m_archive;
    void* m_objects { nullptr };
    std::uint64_t m_objectCount { 0 };
    std::vector<void*> m_containers;
    std::vector<id> m_decoded;
    std::vector<State> m_states;
    // Indexes of the objects whose initialisers are running, innermost last, each with the
    // shallowest level from which every link down to it owns: a back link on the way (a plot
    // space read before its graph) starts the run again. Only through that run can an owning
    // link from the innermost object come back to it, as nothing outside an object's decoding
    // links into what it decodes but the link that began it.
    std::vector<std::uint64_t> m_decodingIndexes;
    std::vector<std::uint32_t> m_owningRunFrom;
    // Where each object stands among them while it is decoded.
    std::vector<std::uint32_t> m_levels;
    // For each finished object, the deepest object still being decoded it owns through links
    // (0 when none: it never will). An owning link to it closes a cycle exactly when that one
    // lies in the innermost run. The value holds until that object finishes; it is then worked
    // out again from the owning links kept, those to objects that reached one being decoded,
    // which happens at most once for each object decoding when it finished. Steps counted.
    std::vector<std::uint64_t> m_deepestReached;
    std::vector<std::vector<std::uint64_t>> m_owningLinks;
    std::uint64_t m_cycleSearchSteps { 0 };
    // Set for the one reference decodeWeakObjectForKey resolves, not for what that object holds.
    bool m_resolvingWeakLink { false };
    NSString m_failure;
};
