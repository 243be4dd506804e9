// URL texts from replies and pages: a base and a text relative to it, split at the first line
// break, through every accessor and derived URL.
#include "platform/net/NSURL.h"

#include "platform/foundation/NSNumber.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void readEverything(const std::shared_ptr<NSURL>& url)
{
    if (!url)
        return;
    const NSString absolute = url->absoluteString();
    (void)url->scheme();
    (void)url->host();
    (void)url->port();
    (void)url->user();
    (void)url->password();
    (void)url->path();
    (void)url->relativePath();
    (void)url->query();
    (void)url->fragment();
    (void)url->resourceSpecifier();
    (void)url->lastPathComponent();
    (void)url->pathExtension();
    (void)url->description();
    (void)url->URLByAppendingPathComponent("x y");
    (void)url->URLByDeletingLastPathComponent();
    (void)url->URLByAppendingQuery("a=1");
    (void)url->standardizedURL();
    // What a URL answers as its text must read again as a URL.
    if (!absolute.isNil() && !NSURL::URLWithString(absolute)) {
        std::fprintf(stderr, "absoluteString does not read again: %s\n", absolute.UTF8String().c_str());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const NSString first(input.substr(0, split));
    auto base = NSURL::URLWithString(first);
    readEverything(base);
    readEverything(NSURL::fileURLWithPath(first));
    if (split != std::string_view::npos)
        readEverything(NSURL::URLWithString(NSString(input.substr(split + 1)), base));
    return 0;
}
