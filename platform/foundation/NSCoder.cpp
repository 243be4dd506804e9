#include "platform/foundation/NSCoder.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NeverDestroyed.h"

#include <map>

namespace {

using Registry = std::map<std::string, NSCoder::RegisteredClass>;

Guarded<Registry>& registry()
{
    static NeverDestroyed<Guarded<Registry>> classes;
    return classes.get();
}

} // namespace

void NSCoder::registerClass(const std::string& name, std::vector<std::string> classChain, Factory factory)
{
    if (classChain.empty())
        classChain = { name, "NSObject" };
    RegisteredClass entry { std::move(classChain), std::move(factory) };
    // The entry it replaces goes after the lock.
    std::swap((*registry().lock())[name], entry);
}

std::optional<NSCoder::RegisteredClass> NSCoder::registeredClass(const std::string& name)
{
    auto classes = registry().lock();
    auto found = classes->find(name);
    if (found == classes->end())
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
