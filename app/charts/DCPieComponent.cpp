#include "app/charts/DCPieComponent.h"

void DCPieComponent::init(const NSString& title, const NSString& subTitle, float value)
{
    NSObject::init();
    m_title = title.copy();
    m_subTitle = subTitle.copy();
    m_value = value;
    m_colour = UIColor::colorWithRed(0.5, 0.5, 0.5, 1.0);
}

NSString DCPieComponent::description() const
{
    return NSString::stringWithFormat("title: %@\n", m_title).stringByAppendingString(
        NSString::stringWithFormat("value: %f\n", double(m_value)));
}
