#pragma once
// An owned libplist tree, and the mapping between property-list nodes and the value classes
// (strings, numbers, data, dates, arrays, dictionaries). Shared by the property-list
// serialization, user defaults and keyed archives.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"

#include <cstdint>
#include <span>

class PropertyListNode {
public:
    // Nesting deeper than this is refused on reading and writing, so hostile input can never
    // exhaust the stack.
    static constexpr int maximumDepth = 512;

    // What a binary list becomes once read: the reader copies an object out once per reference,
    // so a list whose objects name others several times can expand exponentially. Beyond what
    // its own object table holds, expansion may add only a fixed allowance and as much again per
    // byte of the list as a one-byte reference to a shared leaf adds (a long array of flags), or
    // the list is refused: a few bytes never cost more than a few megabytes.
    struct Footprint {
        std::uint64_t objects { 0 };
        std::uint64_t bytes { 0 };
    };
    static constexpr std::uint64_t sharedObjectAllowance = std::uint64_t(1) << 16;
    static constexpr std::uint64_t sharedByteAllowance = std::uint64_t(4) << 20;
    static constexpr std::uint64_t bytesPerObject = 64;
    static Footprint sharedAllowance(std::uint64_t listBytes);
    // No objects when the bytes are no readable binary list (bad tables, cycles, nesting too deep).
    static Footprint binaryFootprint(std::span<const std::uint8_t> bytes);

    enum class Mutability { Immutable = 0, MutableContainers = 1, MutableContainersAndLeaves = 2 };
    enum class Format { XML, Binary };

    PropertyListNode() = default;
    explicit PropertyListNode(void* node) : m_node(node) { }
    PropertyListNode(PropertyListNode&& other) noexcept : m_node(other.release()) { }
    PropertyListNode& operator=(PropertyListNode&& other) noexcept;
    PropertyListNode(const PropertyListNode&) = delete;
    PropertyListNode& operator=(const PropertyListNode&) = delete;
    ~PropertyListNode();

    // Nil node and an error when the object holds something a property list cannot.
    static PropertyListNode fromObject(const id& object, NSString* failure = nullptr);
    // A null node when the bytes are no property list (XML or binary).
    static PropertyListNode parse(const std::shared_ptr<NSData>& data, Format* format = nullptr);

    void* get() const { return m_node; }
    void* release()
    {
        void* node = m_node;
        m_node = nullptr;
        return node;
    }
    explicit operator bool() const { return m_node != nullptr; }

    std::shared_ptr<NSData> serialize(Format format) const;
    // Nil when the tree nests too deep. Keyed-archive UIDs read as { "CF$UID" = n }.
    id toObject(Mutability mutability = Mutability::Immutable) const;

    // Reading helpers for code that walks a tree itself (the keyed unarchiver).
    static NSString stringOf(void* node);
    static id scalarToObject(void* node);
    // Arrays as the binary reader builds them find an element by walking from the first; after
    // this the library answers any index at once. The array's contents stay as they were.
    static void indexArray(void* array);

private:
    void* m_node { nullptr };
};
