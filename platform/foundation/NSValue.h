#pragma once
// Boxes small structures (points, sizes, rects, ranges, transforms, edge insets) for collections.
// The geometry types live in the graphics layer; this header only needs their layout.

#include "platform/foundation/NSString.h"

#include <any>
#include <concepts>
#include <cstring>
#include <typeinfo>

class NSValue : public NSObject {
    NS_OBJECT(NSValue, NSObject)
public:
    template <class T>
    static std::shared_ptr<NSValue> valueWith(const T& value, const char* typeName)
    {
        auto boxed = create();
        boxed->m_value = value;
        boxed->m_typeName = typeName;
        boxed->m_equal = [](const std::any& a, const std::any& b) {
            const T* x = std::any_cast<T>(&a);
            const T* y = std::any_cast<T>(&b);
            if (!x || !y)
                return false;
            if constexpr (std::equality_comparable<T>)
                return *x == *y;
            else if constexpr (std::is_trivially_copyable_v<T>)
                return std::memcmp(x, y, sizeof(T)) == 0;
            else
                return x == y;
        };
        return boxed;
    }
    static std::shared_ptr<NSValue> valueWithRange(NSRange range) { return valueWith(range, "NSRange"); }
    static std::shared_ptr<NSValue> valueWithPointer(const void* pointer) { return valueWith(pointer, "pointer"); }
    static std::shared_ptr<NSValue> valueWithNonretainedObject(const id& object);

    // The boxed value, or the zero value when the box holds another type.
    template <class T>
    T get() const
    {
        if (const T* value = std::any_cast<T>(&m_value))
            return *value;
        return T {};
    }
    template <class T>
    bool holds() const { return m_value.type() == typeid(T); }

    NSRange rangeValue() const { return get<NSRange>(); }
    const void* pointerValue() const { return get<const void*>(); }
    id nonretainedObjectValue() const { return get<std::weak_ptr<NSObject>>().lock(); }
    const char* typeName() const { return m_typeName; }

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;

protected:
    std::any m_value;
    const char* m_typeName { "" };
    // Compares two boxes of the boxed type; made by valueWith, which alone knows the type.
    bool (*m_equal)(const std::any&, const std::any&) { nullptr };
};
