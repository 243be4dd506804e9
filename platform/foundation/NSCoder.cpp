#include "platform/foundation/NSCoder.h"

#include "platform/foundation/NSException.h"
#include "platform/foundation/NeverDestroyed.h"

#include <map>
#include <mutex>

namespace {

std::mutex& registryMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, NSCoder::RegisteredClass>& registry()
{
    static NeverDestroyed<std::map<std::string, NSCoder::RegisteredClass>> classes;
    return classes.get();
}

} // namespace

void NSCoder::registerClass(const std::string& name, std::vector<std::string> classChain, Factory factory)
{
    if (classChain.empty())
        classChain = { name, "NSObject" };
    std::lock_guard lock(registryMutex());
    registry()[name] = RegisteredClass { std::move(classChain), std::move(factory) };
}

std::optional<NSCoder::RegisteredClass> NSCoder::registeredClass(const std::string& name)
{
    std::lock_guard lock(registryMutex());
    auto found = registry().find(name);
    if (found == registry().end())
        return std::nullopt;
    return found->second;
}

namespace {

[[noreturn]] void refuseUnkeyedCoding(const NSCoder& coder)
{
    NSException::raise(NSInvalidArgumentException, "%s only supports keyed coding", coder.className());
}

} // namespace

void NSCoder::encodeValueOfObjCType(const char*, const void*) { refuseUnkeyedCoding(*this); }
void NSCoder::decodeValueOfObjCType(const char*, void*, NSUInteger) { refuseUnkeyedCoding(*this); }
void NSCoder::encodeUnkeyedObject(const id&) { refuseUnkeyedCoding(*this); }
id NSCoder::decodeUnkeyedObject() { refuseUnkeyedCoding(*this); }
