#include "library/json/JCManagedBuffer.h"

#include <cstring>
#include <new>

void JCManagedBuffer::borrow(std::uint8_t* bytes, NSUInteger length, NSUInteger roundSizeUpToMultipleOf)
{
    release();
    m_bytes = { bytes, length };
    m_flags = JCManagedBufferOnStack;
    m_roundSizeUpToMultipleOf = roundSizeUpToMultipleOf ? roundSizeUpToMultipleOf : 1;
}

std::uint8_t* JCManagedBuffer::resize(NSUInteger length)
{
    const NSUInteger granule = m_roundSizeUpToMultipleOf ? m_roundSizeUpToMultipleOf : 1;
    if (length > NSUIntegerMax - granule)
        return nullptr;
    const NSUInteger rounded = (length + granule - 1) / granule * granule;
    if (rounded <= m_bytes.length)
        return m_bytes.ptr;
    std::unique_ptr<std::uint8_t[]> grown(new (std::nothrow) std::uint8_t[rounded]);
    if (!grown)
        return nullptr;
    if (m_bytes.ptr && m_bytes.length)
        std::memcpy(grown.get(), m_bytes.ptr, m_bytes.length);
    m_heap = std::move(grown);
    m_bytes = { m_heap.get(), rounded };
    m_flags = (m_flags & ~JCManagedBufferLocationMask) | JCManagedBufferOnHeap | JCManagedBufferMustFree;
    return m_bytes.ptr;
}

void JCManagedBuffer::release()
{
    m_heap.reset();
    m_bytes = {};
    m_flags &= ~(JCManagedBufferLocationMask | JCManagedBufferMustFree);
}

std::unique_ptr<std::uint8_t[]> JCManagedBuffer::takeHeapBlock()
{
    if (!(m_flags & JCManagedBufferOnHeap))
        return nullptr;
    auto block = std::move(m_heap);
    m_bytes = {};
    m_flags &= ~(JCManagedBufferLocationMask | JCManagedBufferMustFree);
    return block;
}
