#include "platform/uikit/UILocalNotification.h"

namespace {

const bool registeredForCoding = NSCoder::registerClass<UILocalNotification>();

} // namespace

id UILocalNotification::copy() const
{
    auto copy = UILocalNotification::create();
    copy->m_alertBody = m_alertBody;
    copy->m_alertAction = m_alertAction;
    return copy;
}

void UILocalNotification::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_alertBody, "alertBody");
    coder.encodeObject(m_alertAction, "alertAction");
}

bool UILocalNotification::init(NSCoder& coder)
{
    m_alertBody = NSString::fromId(coder.decodeObjectForKey("alertBody"));
    m_alertAction = NSString::fromId(coder.decodeObjectForKey("alertAction"));
    return true;
}
