#pragma once
// The program's entry, as on the platform: UIApplicationMain makes the application delegate
// (by the name of a registered class, or with a factory), launches the application and runs
// it in a window until the window closes. With --headless, or when no display can be opened,
// it runs on the headless host until nothing more happens, then terminates.

#include "platform/uikit/UIApplication.h"

#include <functional>

using UIApplicationDelegateFactory = std::function<std::shared_ptr<UIApplicationDelegate>()>;

// Makes a delegate class known by its name to UIApplicationMain.
void UIApplicationRegisterDelegateClass(const NSString& className, UIApplicationDelegateFactory factory);
template <class T>
bool UIApplicationRegisterDelegateClass()
{
    UIApplicationRegisterDelegateClass(T::staticClassName(), [] { return std::static_pointer_cast<UIApplicationDelegate>(T::create()); });
    return true;
}

// The principal class must be nil or "UIApplication". Answers the exit status: 1 when the
// delegate's class is unknown.
int UIApplicationMain(int argc, char* argv[], const NSString& principalClassName, const NSString& delegateClassName);
int UIApplicationMain(int argc, char* argv[], const UIApplicationDelegateFactory& factory);
