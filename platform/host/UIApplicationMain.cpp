#include "platform/host/UIApplicationMain.h"

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSLog.h"
#include "platform/host/ApplicationTermination.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/SDLHost.h"

#include <cstring>
#include <map>

namespace {

using Registry = std::map<std::string, UIApplicationDelegateFactory>;

Guarded<Registry>& registry()
{
    static Guarded<Registry> classes;
    return classes;
}

bool wantsHeadless(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], "--headless") == 0)
            return true;
    }
    return false;
}

} // namespace

void UIApplicationRegisterDelegateClass(const NSString& className, UIApplicationDelegateFactory factory)
{
    (*registry().lock())[className.UTF8String()] = std::move(factory);
}

int UIApplicationMain(int argc, char* argv[], const NSString& principalClassName, const NSString& delegateClassName)
{
    if (!principalClassName.isNil() && !principalClassName.isEqualToString("UIApplication")) {
        NSLog("Unknown application class %@", principalClassName);
        return 1;
    }
    UIApplicationDelegateFactory factory;
    {
        auto factories = registry().lock();
        auto entry = factories->find(delegateClassName.isNil() ? std::string() : delegateClassName.UTF8String());
        if (entry != factories->end())
            factory = entry->second;
    }
    if (!factory) {
        NSLog("Unknown application delegate class %@", delegateClassName);
        return 1;
    }
    return UIApplicationMain(argc, argv, factory);
}

int UIApplicationMain(int argc, char* argv[], const UIApplicationDelegateFactory& factory)
{
    auto delegate = factory ? factory() : nullptr;
    if (!delegate) {
        NSLog("The application delegate could not be made");
        return 1;
    }
    if (!wantsHeadless(argc, argv)) {
        std::string error;
        if (auto host = SDLHost::open(&error)) {
            host->launch(delegate);
            return host->run();
        }
        NSLog("Running without a window: %@", NSString(error));
    }
    auto host = HeadlessHost::create();
    host->launch(delegate);
    host->runUntilIdle();
    ApplicationTermination::terminateAndWait();
    return 0;
}
