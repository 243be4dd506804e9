#include "framework/Source/PEAnimationBinding.h"

#include "framework/Source/PEXYPlotSpace.h"
#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSDecimalNumber.h"
#include "platform/foundation/NeverDestroyed.h"
#include "platform/layers/NSValueGeometry.h"

#include <mutex>
#include <vector>

namespace {

using Registry = Guarded<std::vector<std::shared_ptr<const PEAnimationBinding>>>;

Registry& registry()
{
    static NeverDestroyed<Registry> shared;
    return shared.get();
}

NSString setterFromProperty(const NSString& property)
{
    // The first character upper-cased: "xRange" is set by "setXRange:".
    NSString first = property.substringToIndex(1).uppercaseString();
    return NSString::stringWithFormat("set%@%@:", first, property.substringFromIndex(1));
}

template <class T>
std::optional<T> geometryValue(const id& value)
{
    auto box = ns::cast<NSValue>(value);
    if (box && box->holds<T>())
        return box->get<T>();
    return std::nullopt;
}

} // namespace

PEAnimationBinding::PEAnimationBinding(NSString getterName, ValueKind kind)
    : m_getterName(std::move(getterName))
    , m_setterName(m_getterName.length() ? setterFromProperty(m_getterName) : NSString())
    , m_kind(kind)
{
}

void PEAnimationBinding::add(std::shared_ptr<const PEAnimationBinding> binding)
{
    registry().lock()->push_back(std::move(binding));
}

std::shared_ptr<const PEAnimationBinding> PEAnimationBinding::bindingForProperty(const id& object, const NSString& property)
{
    // The engine's own animated properties, registered on first use rather than by static
    // initialisers the linker may leave out.
    static std::once_flag engineProperties;
    std::call_once(engineProperties, [] {
        registerProperty<PEXYPlotSpace>("xRange", &PEXYPlotSpace::xRange, &PEXYPlotSpace::setXRange);
        registerProperty<PEXYPlotSpace>("yRange", &PEXYPlotSpace::yRange, &PEXYPlotSpace::setYRange);
    });
    if (!object || property.length() == 0)
        return nullptr;
    auto bindings = registry().lock();
    for (auto binding = bindings->rbegin(); binding != bindings->rend(); ++binding) {
        if ((*binding)->m_getterName == property && (*binding)->m_appliesTo(*object))
            return *binding;
    }
    return nullptr;
}

id PEAnimationBinding::box(CGFloat value) { return NSNumber::numberWithDouble(value); }
id PEAnimationBinding::box(CGPoint value) { return NSValueGeometry::valueWithCGPoint(value); }
id PEAnimationBinding::box(CGSize value) { return NSValueGeometry::valueWithCGSize(value); }
id PEAnimationBinding::box(CGRect value) { return NSValueGeometry::valueWithCGRect(value); }
id PEAnimationBinding::box(const NSDecimal& value) { return NSDecimalNumber::decimalNumberWithDecimal(value); }
id PEAnimationBinding::box(const std::shared_ptr<const PEPlotRange>& value)
{
    return std::const_pointer_cast<PEPlotRange>(value);
}

std::optional<CGFloat> PEAnimationBinding::unboxCGFloat(const id& value)
{
    if (auto number = ns::cast<NSNumber>(value))
        return number->doubleValue();
    return std::nullopt;
}

std::optional<CGPoint> PEAnimationBinding::unboxCGPoint(const id& value)
{
    return geometryValue<CGPoint>(value);
}

std::optional<CGSize> PEAnimationBinding::unboxCGSize(const id& value)
{
    return geometryValue<CGSize>(value);
}

std::optional<CGRect> PEAnimationBinding::unboxCGRect(const id& value)
{
    return geometryValue<CGRect>(value);
}

std::optional<NSDecimal> PEAnimationBinding::unboxDecimal(const id& value)
{
    if (auto number = ns::cast<NSNumber>(value))
        return ns::decimalValue(*number);
    return std::nullopt;
}
