// malloc, the C++ allocation operators and their kin forward to the process allocator and are
// counted while an AllocationMeasurement is alive. Measurements run on one thread at a time;
// the counters are atomic because other threads may allocate meanwhile.
#include "bench/AllocationCounter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#if CORVANE_PROCESS_ALLOCATOR
#include <mimalloc.h>
#define RAW_MALLOC mi_malloc
#define RAW_CALLOC mi_calloc
#define RAW_REALLOC mi_realloc
#define RAW_FREE mi_free
#define RAW_MEMALIGN mi_memalign
#define RAW_SIZE mi_usable_size
#else
// Without the process allocator the C library's own entry points do the work.
#include <malloc.h>
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}
#define RAW_MALLOC __libc_malloc
#define RAW_CALLOC __libc_calloc
#define RAW_REALLOC __libc_realloc
#define RAW_FREE __libc_free
#define RAW_MEMALIGN __libc_memalign
#define RAW_SIZE malloc_usable_size
#endif

namespace {

std::atomic<bool> g_measuring { false };
std::atomic<std::uint64_t> g_allocations { 0 };
std::atomic<std::int64_t> g_live { 0 };
std::atomic<std::int64_t> g_peak { 0 };
std::int64_t g_baseline { 0 };

inline void noteAllocated(void* pointer)
{
    if (!pointer || !g_measuring.load(std::memory_order_relaxed))
        return;
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    const std::int64_t live = g_live.fetch_add(std::int64_t(RAW_SIZE(pointer)), std::memory_order_relaxed)
        + std::int64_t(RAW_SIZE(pointer));
    std::int64_t peak = g_peak.load(std::memory_order_relaxed);
    while (live > peak && !g_peak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) { }
}

inline void noteFreed(void* pointer)
{
    if (pointer && g_measuring.load(std::memory_order_relaxed))
        g_live.fetch_sub(std::int64_t(RAW_SIZE(pointer)), std::memory_order_relaxed);
}

inline void* counted(void* pointer)
{
    noteAllocated(pointer);
    return pointer;
}

} // namespace

namespace bench {

AllocationMeasurement::AllocationMeasurement()
{
    g_allocations = 0;
    g_live = 0;
    g_peak = 0;
    g_baseline = 0;
    g_measuring = true;
}

AllocationMeasurement::~AllocationMeasurement() { g_measuring = false; }

AllocationFigures AllocationMeasurement::figures() const
{
    return { g_allocations.load(), std::max<std::int64_t>(0, g_peak.load() - g_baseline) };
}

} // namespace bench

extern "C" {
void* malloc(size_t size) { return counted(RAW_MALLOC(size)); }
void* calloc(size_t count, size_t size) { return counted(RAW_CALLOC(count, size)); }
void* realloc(void* pointer, size_t size)
{
    noteFreed(pointer);
    return counted(RAW_REALLOC(pointer, size));
}
void free(void* pointer)
{
    noteFreed(pointer);
    RAW_FREE(pointer);
}
void* aligned_alloc(size_t alignment, size_t size) { return counted(RAW_MEMALIGN(alignment, size)); }
void* memalign(size_t alignment, size_t size) { return counted(RAW_MEMALIGN(alignment, size)); }
int posix_memalign(void** out, size_t alignment, size_t size)
{
    void* pointer = RAW_MEMALIGN(alignment, size);
    if (!pointer)
        return ENOMEM;
    *out = counted(pointer);
    return 0;
}
#if CORVANE_PROCESS_ALLOCATOR
size_t malloc_usable_size(void* pointer) { return mi_usable_size(pointer); }
#endif
}

namespace {

void* allocateOrThrow(std::size_t size)
{
    if (void* pointer = malloc(size ? size : 1))
        return pointer;
    throw std::bad_alloc();
}

void* allocateAlignedOrThrow(std::size_t size, std::align_val_t alignment)
{
    if (void* pointer = RAW_MEMALIGN(std::size_t(alignment), size ? size : 1))
        return counted(pointer);
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return malloc(size ? size : 1); }
void* operator new(std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return allocateAlignedOrThrow(size, alignment); }
void operator delete(void* pointer) noexcept { free(pointer); }
void operator delete[](void* pointer) noexcept { free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { free(pointer); }
void operator delete(void* pointer, std::align_val_t) noexcept { free(pointer); }
void operator delete[](void* pointer, std::align_val_t) noexcept { free(pointer); }
void operator delete(void* pointer, std::size_t, std::align_val_t) noexcept { free(pointer); }
void operator delete[](void* pointer, std::size_t, std::align_val_t) noexcept { free(pointer); }
