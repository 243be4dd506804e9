// The client: opens the window on the login screen.
//
//     corvane                       in a window (headless when there is no display)
//     corvane --open-url URL        then hands URL to the application as if another program opened it

#include "app/screens/AppDelegate.h"
#include "platform/host/UIApplicationMain.h"

#include <cstring>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    std::string openURL;
    std::vector<char*> arguments;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--open-url") == 0 && i + 1 < argc) {
            openURL = argv[++i];
            continue;
        }
        arguments.push_back(argv[i]);
    }
    arguments.push_back(nullptr);
    return UIApplicationMain(int(arguments.size() - 1), arguments.data(), [openURL] {
        auto delegate = AppDelegate::create();
        if (!openURL.empty())
            delegate->setURLToOpenAfterLaunch(NSString::stringWithUTF8String(openURL.c_str()));
        return std::static_pointer_cast<UIApplicationDelegate>(delegate);
    });
}
