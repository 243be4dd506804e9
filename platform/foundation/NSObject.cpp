#include "platform/foundation/NSObject.h"

#include "platform/foundation/NSString.h"
#include "platform/foundation/UnsharedRelease.h"

#include <new>

std::shared_ptr<NSObject> NSObject::create()
{
    return ns::construct<NSObject>();
}

NSString NSObject::description() const
{
    return NSString::stringWithFormat("<%s: %p>", className(), static_cast<const void*>(this));
}

id NSObject::copy() const
{
    // Objects without value semantics are shared, as immutable values are.
    return std::const_pointer_cast<NSObject>(shared_from_this());
}

id NSObject::mutableCopy() const
{
    return copy();
}

bool ns::isEqual(const id& a, const id& b)
{
    if (a == b)
        return true;
    if (!a || !b)
        return false;
    return a->isEqual(b);
}

// MARK: - Letting go of an object nothing else holds

// The shortcut needs the standard library's own count block: its two counts and its calls to
// destroy the object and free the block, which the library uses itself in its last release.
#if defined(__GLIBCXX__) && _GLIBCXX_RELEASE >= 12 && !defined(_GLIBCXX_TSAN)
#define NS_UNSHARED_RELEASE 1
#endif

#if defined(NS_UNSHARED_RELEASE)
namespace {

constexpr auto kPolicy = std::__default_lock_policy;
using CountBlock = std::_Sp_counted_base<kPolicy>;
using SelfLinkBase = std::enable_shared_from_this<NSObject>;

// Pointers to members the library keeps private. Access is not checked in an explicit
// instantiation, so each member is named once there and handed out by a friend of its tag.
template <class Tag, typename Tag::Member member>
struct Reach {
    friend typename Tag::Member reach(Tag) { return member; }
};

struct StrongCounts {
    using Member = std::__shared_count<kPolicy> std::__shared_ptr<NSObject, kPolicy>::*;
    friend Member reach(StrongCounts);
};
struct StrongBlock {
    using Member = CountBlock* std::__shared_count<kPolicy>::*;
    friend Member reach(StrongBlock);
};
struct SelfLink {
    using Member = std::weak_ptr<NSObject> SelfLinkBase::*;
    friend Member reach(SelfLink);
};
struct WeakCounts {
    using Member = std::__weak_count<kPolicy> std::__weak_ptr<NSObject, kPolicy>::*;
    friend Member reach(WeakCounts);
};
struct WeakBlock {
    using Member = CountBlock* std::__weak_count<kPolicy>::*;
    friend Member reach(WeakBlock);
};
struct UseCount {
    using Member = _Atomic_word CountBlock::*;
    friend Member reach(UseCount);
};
struct WeakCount {
    using Member = _Atomic_word CountBlock::*;
    friend Member reach(WeakCount);
};

template struct Reach<StrongCounts, &std::__shared_ptr<NSObject, kPolicy>::_M_refcount>;
template struct Reach<StrongBlock, &std::__shared_count<kPolicy>::_M_pi>;
template struct Reach<SelfLink, &SelfLinkBase::_M_weak_this>;
template struct Reach<WeakCounts, &std::__weak_ptr<NSObject, kPolicy>::_M_refcount>;
template struct Reach<WeakBlock, &std::__weak_count<kPolicy>::_M_pi>;
template struct Reach<UseCount, &CountBlock::_M_use_count>;
template struct Reach<WeakCount, &CountBlock::_M_weak_count>;

} // namespace
#endif

void ns::releaseUnshared(id& object) noexcept
{
#if defined(NS_UNSHARED_RELEASE)
    NSObject* const pointee = object.get();
    if (!pointee)
        return;
    CountBlock* const block = object.*reach(StrongCounts {}).*reach(StrongBlock {});
    std::weak_ptr<NSObject>& selfLink = static_cast<SelfLinkBase&>(*pointee).*reach(SelfLink {});
    CountBlock* const linked = selfLink.*reach(WeakCounts {}).*reach(WeakBlock {});
    _Atomic_word& useCount = block->*reach(UseCount {});
    _Atomic_word& weakCount = block->*reach(WeakCount {});
    // Acquire, as the library's last release reads them: whatever a thread did with the object
    // before it let go of its count happens before the object is destroyed here.
    const _Atomic_word uses = __atomic_load_n(&useCount, __ATOMIC_ACQUIRE);
    const _Atomic_word weaks = __atomic_load_n(&weakCount, __ATOMIC_ACQUIRE);
    // One weak count stands for all the strong ones, one more for the self-link when it is set.
    // An aliasing pointer, whose object's self-link names another block, goes the usual way.
    if (uses == 1 && ((linked == block && weaks == 2) || (!linked && weaks == 1))) {
        // Nobody else can reach the block: the counts go to zero as in the library's own
        // release of a sole owner, and the self-link and the pointer are forgotten, not released.
        __atomic_store_n(&useCount, 0, __ATOMIC_RELAXED);
        __atomic_store_n(&weakCount, 0, __ATOMIC_RELAXED);
        ::new (static_cast<void*>(&selfLink)) std::weak_ptr<NSObject>();
        ::new (static_cast<void*>(&object)) id();
        block->_M_dispose();
        block->_M_destroy();
        return;
    }
#endif
    object.reset();
}
