#include "platform/foundation/NSError.h"

#include "platform/foundation/TypedValues.h"

void NSError::init(const NSString& domain, NSInteger code, const std::shared_ptr<NSDictionary>& userInfo)
{
    m_domain = domain;
    m_code = code;
    m_userInfo = userInfo ? userInfo : NSDictionary::dictionary();
}

std::shared_ptr<NSError> NSError::errorWithDomain(const NSString& domain, NSInteger code, const NSString& localizedDescription)
{
    return create(domain, code, ns::dictionary({ { NSLocalizedDescriptionKey, localizedDescription } }));
}

NSString NSError::localizedDescription() const
{
    NSString text = ns::stringForKey(m_userInfo, NSLocalizedDescriptionKey);
    if (text)
        return text;
    return NSString::stringWithFormat("The operation couldn’t be completed. (%@ error %ld.)", m_domain, m_code);
}

NSString NSError::localizedFailureReason() const
{
    return ns::stringForKey(m_userInfo, NSLocalizedFailureReasonErrorKey);
}

NSString NSError::description() const
{
    return NSString::stringWithFormat("Error Domain=%@ Code=%ld \"%@\" UserInfo=%@", m_domain, m_code,
        localizedDescription(), m_userInfo);
}

bool NSError::isEqual(const id& other) const
{
    auto error = ns::cast<NSError>(other);
    return error && error->m_code == m_code && error->m_domain == m_domain && m_userInfo->isEqual(error->m_userInfo);
}

NSUInteger NSError::hash() const
{
    return m_domain.hash() ^ NSUInteger(m_code);
}

id NSError::copy() const
{
    return std::const_pointer_cast<NSError>(self());
}
