#include "platform/foundation/NSValue.h"

std::shared_ptr<NSValue> NSValue::valueWithNonretainedObject(const id& object)
{
    return valueWith(std::weak_ptr<NSObject>(object), "nonretained");
}

NSString NSValue::description() const
{
    if (holds<NSRange>())
        return NSString::stringWithFormat("NSRange: {%lu, %lu}", rangeValue().location, rangeValue().length);
    return NSString::stringWithFormat("<NSValue %s %p>", m_typeName, static_cast<const void*>(this));
}

bool NSValue::isEqual(const id& other) const
{
    auto value = ns::cast<NSValue>(other);
    return value && m_equal && value->m_value.type() == m_value.type() && m_equal(m_value, value->m_value);
}

NSUInteger NSValue::hash() const
{
    // By the boxed type, as equality is: two equal boxes always hash alike.
    return m_value.type().hash_code();
}

id NSValue::copy() const
{
    return std::const_pointer_cast<NSValue>(self());
}
