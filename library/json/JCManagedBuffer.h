#pragma once
// A growable byte buffer that starts in memory lent by the calling operation and moves to the
// heap only when it must grow, so short texts never touch the allocator.

#include "platform/foundation/NSObjCRuntime.h"

#include <cstdint>
#include <memory>

struct JCPtrRange {
    std::uint8_t* ptr { nullptr };
    NSUInteger length { 0 };
};

struct JCConstPtrRange {
    const std::uint8_t* ptr { nullptr };
    NSUInteger length { 0 };
};

enum : NSUInteger {
    JCManagedBufferLocationMask = 0x3,
    JCManagedBufferLocationShift = 0,
    JCManagedBufferOnStack = 1,
    JCManagedBufferOnHeap = 2,
    JCManagedBufferMustFree = 4,
};

class JCManagedBuffer {
public:
    JCManagedBuffer() = default;
    JCManagedBuffer(const JCManagedBuffer&) = delete;
    JCManagedBuffer& operator=(const JCManagedBuffer&) = delete;
    ~JCManagedBuffer() { release(); }

    // Lends the caller's memory; whatever was held before is released first.
    void borrow(std::uint8_t* bytes, NSUInteger length, NSUInteger roundSizeUpToMultipleOf);
    // Grows to at least `length` bytes rounded up to the granule; the bytes or null on failure.
    std::uint8_t* resize(NSUInteger length);
    void release();

    std::uint8_t* bytes() const { return m_bytes.ptr; }
    NSUInteger length() const { return m_bytes.length; }
    NSUInteger flags() const { return m_flags; }
    NSUInteger roundSizeUpToMultipleOf() const { return m_roundSizeUpToMultipleOf; }
    void setRoundSizeUpToMultipleOf(NSUInteger granule) { m_roundSizeUpToMultipleOf = granule; }
    // Hands the heap block over to the caller (null when the bytes are borrowed).
    std::unique_ptr<std::uint8_t[]> takeHeapBlock();

private:
    JCPtrRange m_bytes;
    NSUInteger m_flags { 0 };
    NSUInteger m_roundSizeUpToMultipleOf { 4096 };
    std::unique_ptr<std::uint8_t[]> m_heap;
};
