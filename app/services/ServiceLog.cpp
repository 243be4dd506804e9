#include "app/services/ServiceLog.h"

#include "library/json/JSONCodecDeserializing.h"
#include "library/json/JSONCodecSerializing.h"
#include "platform/foundation/TypedValues.h"

#include <array>

namespace ServiceLog {

namespace {

constexpr std::array kSecretKeys { "PASSWRD", "OLDPASSWRD", "NEWPASSWRD", "TALKID", "SESSIONID", "password", "PWD", "PHONE", "CARDNO" };

bool isSecret(const id& key)
{
    NSString name = NSString::fromId(key);
    if (name.isNil())
        return false;
    for (const char* secret : kSecretKeys) {
        if (name.caseInsensitiveCompare(secret) == NSOrderedSame)
            return true;
    }
    return false;
}

constexpr int kDepthLimit = 64;

id maskedAt(const id& value, int depth)
{
    if (depth > kDepthLimit)
        return NSString(kMask);
    if (auto dictionary = ns::cast<NSDictionary>(value)) {
        auto copy = NSMutableDictionary::dictionary();
        for (const auto& entry : *dictionary) {
            if (isSecret(entry.key)) {
                copy->setObject(NSString(kMask), entry.key);
                continue;
            }
            // The video and appeal services carry the session id inside the JSON text of `param`.
            NSString text = NSString::fromId(entry.object);
            if (!text.isNil() && NSString::fromId(entry.key).isEqualToString("param")) {
                if (auto inner = ns::dictionaryValue(JSONCodecDeserializing::objectFromJSONString(text))) {
                    copy->setObject(JSONCodecSerializing::JSONString(ns::dictionaryValue(maskedAt(inner, depth + 1))), entry.key);
                    continue;
                }
            }
            copy->setObject(maskedAt(entry.object, depth + 1), entry.key);
        }
        return copy;
    }
    if (auto array = ns::cast<NSArray>(value)) {
        auto copy = NSMutableArray::array();
        for (NSUInteger i = 0; i < array->count(); ++i)
            copy->addObject(maskedAt(array->objectAtIndex(i), depth + 1));
        return copy;
    }
    return value;
}

} // namespace

id masked(const id& value)
{
    return maskedAt(value, 0);
}

NSString cookieDescription(const std::shared_ptr<NSHTTPCookie>& cookie)
{
    if (!cookie)
        return nullptr;
    return NSString::stringWithFormat("<NSHTTPCookie %@=%s; domain=%@; path=%@>", cookie->name(), kMask, cookie->domain(),
        cookie->path());
}

} // namespace ServiceLog
