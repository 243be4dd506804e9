#include "framework/Source/PEAnimationOperation.h"

void PEAnimationOperation::bind(const id& object, const std::shared_ptr<const PEAnimationBinding>& binding)
{
    if (!object || !binding) {
        m_boundObject = nullptr;
        m_binding = nullptr;
        return;
    }
    m_boundObject = object;
    m_binding = binding;
}

void PEAnimationOperation::setUserInfo(const std::shared_ptr<NSDictionary>& userInfo)
{
    m_userInfo = userInfo ? ns::cast<NSDictionary>(userInfo->copy()) : nullptr;
}

NSString PEAnimationOperation::description() const
{
    return NSString::stringWithFormat("<%@ animate %@ %@ with period %@>", NSObject::description(), m_boundObject,
        boundGetter(), m_period);
}
