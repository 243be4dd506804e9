#include "platform/uikit/UIStateRestoring.h"

#include "platform/foundation/NSAssertMainThread.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"

#include <algorithm>
#include <vector>

namespace {

struct Registration {
    std::weak_ptr<UIViewController> controller;
    const UIViewController* identity { nullptr };
    NSString identifier;
};

// The controllers that carry an identifier; expired ones are dropped as the list is walked.
std::vector<Registration>& registrations()
{
    static std::vector<Registration> list;
    return list;
}

void dropExpired()
{
    auto& list = registrations();
    list.erase(std::remove_if(list.begin(), list.end(), [](const Registration& entry) { return entry.controller.expired(); }), list.end());
}

constexpr const char* kStateKey = "UIStateRestorationState";

} // namespace

namespace UIStateRestoration {

void setRestorationIdentifier(const UIViewControllerRef& controller, const NSString& identifier)
{
    NSAssertMainThread();
    if (!controller)
        return;
    dropExpired();
    auto& list = registrations();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Registration& entry) { return entry.identity == controller.get(); }),
        list.end());
    if (identifier.length())
        list.push_back({ controller, controller.get(), identifier });
}

NSString restorationIdentifier(const UIViewController& controller)
{
    for (const auto& entry : registrations())
        if (entry.identity == &controller && !entry.controller.expired())
            return entry.identifier;
    return nullptr;
}

UIViewControllerRef viewControllerWithRestorationIdentifier(const NSString& identifier)
{
    for (const auto& entry : registrations())
        if (entry.identifier == identifier)
            if (auto controller = entry.controller.lock())
                return controller;
    return nullptr;
}

void encodeViewController(NSCoder& coder, const UIViewControllerRef& controller, const NSString& key)
{
    if (!controller)
        return;
    const NSString identifier = restorationIdentifier(*controller);
    if (identifier.length())
        coder.encodeObject(identifier, key);
}

UIViewControllerRef decodeViewController(NSCoder& coder, const NSString& key)
{
    if (!coder.containsValueForKey(key))
        return nullptr;
    const NSString identifier = NSString::fromId(coder.decodeObjectForKey(key));
    return identifier.length() ? viewControllerWithRestorationIdentifier(identifier) : nullptr;
}

std::shared_ptr<NSData> archiveRestorableState(UIStateRestoring& object)
{
    auto archiver = NSKeyedArchiver::create();
    archiver->encodeBool(true, kStateKey);
    object.encodeRestorableStateWithCoder(*archiver);
    return archiver->encodedData();
}

bool restoreState(UIStateRestoring& object, const std::shared_ptr<NSData>& data)
{
    if (!data)
        return false;
    auto unarchiver = NSKeyedUnarchiver::create(data);
    if (!unarchiver || !unarchiver->decodeBoolForKey(kStateKey))
        return false;
    object.decodeRestorableStateWithCoder(*unarchiver);
    return true;
}

} // namespace UIStateRestoration
