#include "app/charts/DCHalfPieComponent.h"

void DCHalfPieComponent::init(const NSString& title, float value)
{
    NSObject::init();
    m_title = title.copy();
    m_value = value;
}

NSString DCHalfPieComponent::description() const
{
    return NSString::stringWithFormat("title: %@\n", m_title).stringByAppendingString(
        NSString::stringWithFormat("value: %f\n", double(m_value)));
}
