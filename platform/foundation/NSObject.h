#pragma once
// The root of every object of the platform layer and of the application.
//
// Objects live in std::shared_ptr. Constructors are protected; each class declares itself
// once with NS_OBJECT(Class, Base), which gives it the factory `create(args...)`. The factory
// constructs the object and then runs the initialiser overload `init(args...)`, so an
// initialiser may hand out `self()` to observers, delegates and blocks. An initialiser
// returning bool may refuse: the factory then answers nil, as a failed init does.

#include "platform/foundation/NSObjCRuntime.h"

#include <concepts>
#include <string>
#include <type_traits>
#include <utility>

namespace ns {

template <class T, class... Args>
std::shared_ptr<T> construct(Args&&... args);

// Only the factory can make this key, so only the factory can call the public constructor that
// takes it; std::make_shared can, which keeps object and count in one allocation.
class ConstructionKey {
    ConstructionKey() = default;
    template <class T, class... Args>
    friend std::shared_ptr<T> construct(Args&&... args);
};

} // namespace ns

class NSObject : public std::enable_shared_from_this<NSObject> {
public:
    virtual ~NSObject() = default;
    NSObject(const NSObject&) = delete;
    NSObject& operator=(const NSObject&) = delete;

    static std::shared_ptr<NSObject> create();
    static const char* staticClassName() { return "NSObject"; }
    virtual const char* className() const { return "NSObject"; }

    // Text for logs and for "%@": by default the class name and address.
    virtual NSString description() const;
    // Value equality where a class defines it, identity otherwise; equal objects hash alike.
    virtual bool isEqual(const id& other) const { return other.get() == this; }
    virtual NSUInteger hash() const { return reinterpret_cast<std::uintptr_t>(this) >> 4; }

    // A new object equal to this one, for "copied" properties; immutable values answer themselves.
    virtual id copy() const;
    virtual id mutableCopy() const;

    id self() { return shared_from_this(); }
    std::shared_ptr<const NSObject> self() const { return shared_from_this(); }

    template <class T>
    bool isKindOfClass() const
    {
        if constexpr (std::is_base_of_v<T, NSObject>)
            return true;
        else
            return dynamic_cast<const T*>(this) != nullptr;
    }

    explicit NSObject(ns::ConstructionKey) { }

protected:
    template <class T, class... Args>
    friend std::shared_ptr<T> ns::construct(Args&&...);
    NSObject() = default;
    void init() { }
};

namespace ns {

template <class T, class... Args>
std::shared_ptr<T> construct(Args&&... args)
{
    std::shared_ptr<T> object = std::make_shared<T>(ConstructionKey {});
    if constexpr (std::is_same_v<decltype(object->init(std::forward<Args>(args)...)), bool>) {
        if (!object->init(std::forward<Args>(args)...))
            return nullptr;
    } else {
        object->init(std::forward<Args>(args)...);
    }
    return object;
}

// Typed view of an `id`: nil when the object is absent or of another class.
template <class T>
std::shared_ptr<T> cast(const id& object) { return std::dynamic_pointer_cast<T>(object); }
template <class T>
std::shared_ptr<const T> cast(const std::shared_ptr<const NSObject>& object)
{
    return std::dynamic_pointer_cast<const T>(object);
}

// Identity-or-value equality that treats two nils as equal.
bool isEqual(const id& a, const id& b);

} // namespace ns

// The default constructor is provided rather than defaulted: delegating to a defaulted one with
// "Class()" would zero-fill the whole object before constructing it. So every member of scalar,
// pointer or enum type states its starting value in the class.
#define NS_OBJECT(Class, Base)                                                                   \
public:                                                                                          \
    using super = Base;                                                                          \
    explicit Class(::ns::ConstructionKey) : Class() { }                                          \
    template <class... Args>                                                                     \
    static std::shared_ptr<Class> create(Args&&... args)                                         \
    {                                                                                            \
        return ::ns::construct<Class>(std::forward<Args>(args)...);                             \
    }                                                                                            \
    static const char* staticClassName() { return #Class; }                                      \
    const char* className() const override { return #Class; }                                    \
    std::shared_ptr<Class> self() { return std::static_pointer_cast<Class>(shared_from_this()); } \
    std::shared_ptr<const Class> self() const                                                    \
    {                                                                                            \
        return std::static_pointer_cast<const Class>(shared_from_this());                       \
    }                                                                                            \
                                                                                                 \
protected:                                                                                       \
    template <class _T, class... _A>                                                             \
    friend std::shared_ptr<_T> ns::construct(_A&&...);                                          \
    using Base::init;                                                                            \
    Class() { }                                                                                  \
                                                                                                 \
private:
