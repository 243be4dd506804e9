#include "platform/foundation/NSException.h"

#include "platform/foundation/NSDictionary.h"

NSException::NSException(NSString name, NSString reason, std::shared_ptr<NSDictionary> userInfo)
    : m_name(std::move(name))
    , m_reason(std::move(reason))
    , m_userInfo(std::move(userInfo))
    , m_what(m_name.UTF8String() + ": " + m_reason.UTF8String())
{
}
