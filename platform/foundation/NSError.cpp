#include "platform/foundation/NSError.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSNull.h"
#include "platform/foundation/NSNumber.h"
#include "platform/foundation/NSSet.h"
#include "platform/foundation/TypedValues.h"

namespace {

const bool registeredForCoding = NSCoder::registerClass<NSError>();

// What the keyed archiver can write. Containers count only when every member can be written;
// the depth bound keeps a container that holds itself from recursing for ever.
bool isArchivable(const id& object, int depth = 0)
{
    if (!object)
        return true;
    if (depth > 32)
        return false;
    if (std::dynamic_pointer_cast<const NSCoding>(object) || ns::cast<NSStringObject>(object) || ns::cast<NSNumber>(object)
        || ns::cast<NSData>(object) || ns::cast<NSDate>(object) || ns::cast<NSNull>(object))
        return true;
    if (auto array = ns::cast<NSArray>(object)) {
        for (const auto& member : *array) {
            if (!isArchivable(member, depth + 1))
                return false;
        }
        return true;
    }
    if (auto set = ns::cast<NSSet>(object)) {
        for (const auto& member : *set) {
            if (!isArchivable(member, depth + 1))
                return false;
        }
        return true;
    }
    if (auto dictionary = ns::cast<NSDictionary>(object)) {
        for (const auto& entry : *dictionary) {
            if (!isArchivable(entry.key, depth + 1) || !isArchivable(entry.object, depth + 1))
                return false;
        }
        return true;
    }
    return false;
}

} // namespace

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

bool NSError::init(NSCoder& coder)
{
    auto domain = NSString::fromId(coder.decodeObjectForKey("NSDomain"));
    id userInfo = coder.decodeObjectForKey("NSUserInfo");
    auto dictionary = ns::cast<NSDictionary>(userInfo);
    if (domain.isNil() || (userInfo && !dictionary))
        return false;
    init(domain, coder.decodeIntegerForKey("NSCode"), dictionary);
    return true;
}

void NSError::encodeWithCoder(NSCoder& coder) const
{
    coder.encodeObject(m_domain, "NSDomain");
    coder.encodeInteger(m_code, "NSCode");
    auto kept = NSMutableDictionary::dictionary();
    for (const auto& entry : *m_userInfo) {
        if (isArchivable(entry.key) && isArchivable(entry.object))
            kept->setObject(entry.object, entry.key);
    }
    coder.encodeObject(kept->copyDictionary(), "NSUserInfo");
}
