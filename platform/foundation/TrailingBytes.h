#pragma once
// Shared objects with bytes of their own right after them, in the one block that also holds
// their count: a string's units, a small dictionary's entries. One allocation, and no pointer to
// follow to reach them.

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <utility>

namespace ns {

namespace detail {

// Bytes the next block adds after the object: allocate_shared asks for the block without a size
// of our own, and an allocator with state would sit in every object's block. Where that block
// began and how long it was without them, so the layout the bytes rely on is checked each time.
inline thread_local std::size_t t_trailingBytes = 0;
inline thread_local const char* t_blockStart = nullptr;
inline thread_local std::size_t t_blockBytes = 0;

template <class T>
struct TrailingBytesAllocator {
    using value_type = T;
    TrailingBytesAllocator() = default;
    template <class U>
    TrailingBytesAllocator(const TrailingBytesAllocator<U>&) { }
    T* allocate(std::size_t count)
    {
        t_blockBytes = count * sizeof(T);
        auto* block = static_cast<T*>(::operator new(t_blockBytes + std::exchange(t_trailingBytes, 0)));
        t_blockStart = reinterpret_cast<const char*>(block);
        return block;
    }
    void deallocate(T* pointer, std::size_t) { ::operator delete(pointer); }
    friend bool operator==(const TrailingBytesAllocator&, const TrailingBytesAllocator&) { return true; }
};

} // namespace detail

// Makes a T with `bytes` more after it; they begin at `object.get() + 1`, aligned as T, and are
// the object's to build in and destroy. The object must be the last thing in its block.
template <class T, class... Args>
std::shared_ptr<T> makeSharedWithTrailingBytes(std::size_t bytes, Args&&... args)
{
    detail::t_trailingBytes = bytes;
    auto object = std::allocate_shared<T>(detail::TrailingBytesAllocator<T>(), std::forward<Args>(args)...);
    // Nothing of the block may follow the object but padding, or the bytes would overwrite it.
    const auto* objectEnd = reinterpret_cast<const char*>(object.get() + 1);
    const char* blockEnd = detail::t_blockStart + detail::t_blockBytes;
    if (objectEnd < detail::t_blockStart || objectEnd > blockEnd
        || blockEnd - objectEnd >= static_cast<std::ptrdiff_t>(alignof(std::max_align_t)))
        std::abort();
    return object;
}

} // namespace ns
