// Property lists, binary and XML, read under each mutability option; whatever is read must write
// again in both formats and read back to an equal list.
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSPropertyListSerialization.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const NSPropertyListReadOptions options = data[0] % 3;
    auto bytes = NSData::dataWithBytes(data + 1, size - 1);
    std::shared_ptr<NSError> error;
    NSPropertyListFormat format = NSPropertyListOpenStepFormat;
    id plist = NSPropertyListSerialization::propertyListWithData(bytes, options, &format, &error);
    if (!plist == !error) {
        std::fprintf(stderr, "a read must answer either a list or an error\n");
        std::abort();
    }
    if (!plist)
        return 0;
    (void)plist->description();
    for (NSPropertyListFormat written : { NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0 }) {
        auto again = NSPropertyListSerialization::dataWithPropertyList(plist, written, 0, nullptr);
        if (again)
            (void)NSPropertyListSerialization::propertyListWithData(again, 0, nullptr, nullptr);
    }
    return 0;
}
