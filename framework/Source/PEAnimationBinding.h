#pragma once
// How an animation reaches one property of an object without a dynamic invocation mechanism:
// the property's getter and setter, typed, behind boxed values. A class makes a property
// animatable once, by name:
//
//     PEAnimationBinding::registerProperty<PEXYPlotSpace>("xRange", &PEXYPlotSpace::xRange, &PEXYPlotSpace::setXRange);
//
// and PEAnimation finds the binding for an object and a property name. Values travel boxed as
// the periods make them: NSNumber for CGFloat, NSValue for points, sizes and rectangles,
// NSDecimalNumber for decimals, the range object itself for plot ranges.

#include "framework/Source/PEPlotRange.h"
#include "platform/foundation/NSDecimal.h"
#include "platform/foundation/NSString.h"
#include "platform/graphics/CGGeometry.h"

#include <functional>
#include <optional>
#include <type_traits>

class PEAnimationBinding {
public:
    enum class ValueKind { CGFloat, CGPoint, CGSize, CGRect, Decimal, PlotRange };

    // The binding of the most recently registered property of that name that applies to the
    // object's class; null when there is none.
    static std::shared_ptr<const PEAnimationBinding> bindingForProperty(const id& object, const NSString& property);

    template <class T, class Getter, class Setter>
    static void registerProperty(const NSString& property, Getter getter, Setter setter)
    {
        using Value = std::decay_t<std::invoke_result_t<Getter, const T&>>;
        auto binding = std::make_shared<PEAnimationBinding>(property, kindOf<Value>());
        binding->m_appliesTo = [](const NSObject& object) { return dynamic_cast<const T*>(&object) != nullptr; };
        binding->m_get = [getter](const NSObject& object) { return box(std::invoke(getter, static_cast<const T&>(object))); };
        binding->m_set = [setter](NSObject& object, const id& value) {
            if (auto unboxed = unbox<Value>(value))
                std::invoke(setter, static_cast<T&>(object), *unboxed);
        };
        add(std::move(binding));
    }

    PEAnimationBinding(NSString getterName, ValueKind kind);

    const NSString& getterName() const { return m_getterName; }
    // "set" and the property name with its first letter upper-cased, and a colon.
    const NSString& setterName() const { return m_setterName; }
    ValueKind valueKind() const { return m_kind; }

    // The property's present value, boxed.
    id getValue(const NSObject& object) const { return m_get(object); }
    // Writes the boxed value; a value of another kind is not written.
    void setValue(NSObject& object, const id& value) const { m_set(object, value); }

private:
    template <class V>
    static constexpr ValueKind kindOf()
    {
        if constexpr (std::is_same_v<V, CGFloat>)
            return ValueKind::CGFloat;
        else if constexpr (std::is_same_v<V, CGPoint>)
            return ValueKind::CGPoint;
        else if constexpr (std::is_same_v<V, CGSize>)
            return ValueKind::CGSize;
        else if constexpr (std::is_same_v<V, CGRect>)
            return ValueKind::CGRect;
        else if constexpr (std::is_same_v<V, NSDecimal>)
            return ValueKind::Decimal;
        else {
            static_assert(std::is_convertible_v<V, std::shared_ptr<const PEPlotRange>>, "no animation for this value type");
            return ValueKind::PlotRange;
        }
    }

    static id box(CGFloat value);
    static id box(CGPoint value);
    static id box(CGSize value);
    static id box(CGRect value);
    static id box(const NSDecimal& value);
    static id box(const std::shared_ptr<const PEPlotRange>& value);
    template <class V>
    static std::optional<V> unbox(const id& value)
    {
        if constexpr (std::is_same_v<V, CGFloat>)
            return unboxCGFloat(value);
        else if constexpr (std::is_same_v<V, CGPoint>)
            return unboxCGPoint(value);
        else if constexpr (std::is_same_v<V, CGSize>)
            return unboxCGSize(value);
        else if constexpr (std::is_same_v<V, CGRect>)
            return unboxCGRect(value);
        else if constexpr (std::is_same_v<V, NSDecimal>)
            return unboxDecimal(value);
        else {
            // A nil range is passed on as nil, as the object setter would receive it.
            if (!value)
                return V {};
            auto range = std::dynamic_pointer_cast<PEPlotRange>(value);
            if (!range)
                return std::nullopt;
            if constexpr (std::is_constructible_v<V, std::shared_ptr<PEPlotRange>>)
                return V(range);
            else
                return std::nullopt;
        }
    }
    static std::optional<CGFloat> unboxCGFloat(const id& value);
    static std::optional<CGPoint> unboxCGPoint(const id& value);
    static std::optional<CGSize> unboxCGSize(const id& value);
    static std::optional<CGRect> unboxCGRect(const id& value);
    static std::optional<NSDecimal> unboxDecimal(const id& value);

    static void add(std::shared_ptr<const PEAnimationBinding> binding);

    NSString m_getterName;
    NSString m_setterName;
    ValueKind m_kind;
    std::function<bool(const NSObject&)> m_appliesTo;
    std::function<id(const NSObject&)> m_get;
    std::function<void(NSObject&, const id&)> m_set;
};
