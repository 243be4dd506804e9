// A second process for the shared identifier's tests: prints the value and the state code, after
// an optional change ("optout", "optin", or "reinstall", which forgets the local record as a
// reinstalled application would).
#include "library/network/device/SharedUDID.h"
#include "platform/foundation/NSUserDefaults.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* action = argc > 1 ? argv[1] : "";
    if (std::strcmp(action, "optout") == 0 || std::strcmp(action, "optin") == 0)
        SharedUDID::setOptOut(std::strcmp(action, "optout") == 0);
    if (std::strcmp(action, "reinstall") == 0) {
        NSUserDefaults::standardUserDefaults()->removeObjectForKey("SharedUDID");
        NSUserDefaults::standardUserDefaults()->synchronize();
    }
    std::shared_ptr<NSError> error;
    NSString value = SharedUDID::valueWithError(&error);
    std::printf("%s %ld\n", value.UTF8String().c_str(), static_cast<long>(error ? error->code() : -1));
    return 0;
}
