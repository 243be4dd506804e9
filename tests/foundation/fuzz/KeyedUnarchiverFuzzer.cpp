// Keyed archives from outside (a pasteboard, the user defaults): refused with an exception or nil,
// never a crash. Archives are binary lists, mutated object by object too (BinaryListMutator.h).
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSKeyedArchiver.h"
#include "platform/foundation/NSKeyedUnarchiver.h"
#include "platform/net/NSHTTPCookie.h"
#include "platform/net/NSURL.h"
#include "tests/foundation/fuzz/BinaryListMutator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Cookies and URLs are kept in archives: their classes must be linked in and registered.
    static const bool linked = NSHTTPCookie::cookieWithProperties(nullptr) == nullptr && NSURL::URLWithString("a:b");
    (void)linked;
    auto bytes = NSData::dataWithBytes(data, size);
    try {
        id object = NSKeyedUnarchiver::unarchiveObjectWithData(bytes);
        if (object) {
            (void)object->description();
            (void)NSKeyedArchiver::archivedDataWithRootObject(object);
        }
    } catch (const NSException&) {
    }
    std::shared_ptr<NSError> error;
    (void)NSKeyedUnarchiver::unarchiveTopLevelObjectWithData(bytes, &error);
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed)
{
    return BinaryListMutator::mutate(data, size, maxSize, seed);
}
