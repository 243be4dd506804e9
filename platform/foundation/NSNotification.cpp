#include "platform/foundation/NSNotification.h"

void NSNotification::init(const NSString& name, const id& object, const std::shared_ptr<NSDictionary>& userInfo)
{
    m_name = name;
    m_object = object;
    m_userInfo = userInfo;
}

NSString NSNotification::description() const
{
    return NSString::stringWithFormat("<NSNotification %@ object: %@ userInfo: %@>", m_name, m_object, m_userInfo);
}
