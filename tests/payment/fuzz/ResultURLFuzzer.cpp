// What any program may hand the client through its scheme: the payment result's query, read
// into the result the way a wallet's answer is.
#include "library/payment/OrbipaySDK.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const char* host : { "payresult", "authresult" }) {
        auto url = NSURL::URLWithString(NSString(std::string("corvaneOrbipayCallback://") + host + "?" + std::string(input)));
        auto result = OrbipaySDK::resultDictionaryFromURL(url);
        if (!result) {
            std::fprintf(stderr, "no result dictionary\n");
            std::abort();
        }
        (void)result->description();
    }
    return 0;
}
