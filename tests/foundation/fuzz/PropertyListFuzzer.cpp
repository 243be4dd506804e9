// Property lists, binary and XML, read under each mutability option; whatever is read must write
// again in both formats and read back to an equal list. Binary lists are mutated object by object
// (BinaryListMutator.h) as well as byte by byte.
#include "platform/foundation/Foundation.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/PropertyListNode.h"
#include "tests/foundation/fuzz/BinaryListMutator.h"

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
    // A binary list may share what it names repeatedly, up to the reader's allowance of some
    // sixty thousand objects and one more per byte; walking them all (a description, an XML copy) is slow but bounded, and is left to
    // the lists that stay small so that the runs go on finding faults in the reading.
    if (format == NSPropertyListBinaryFormat_v1_0 && PropertyListNode::binaryFootprint(bytes->span()).objects > 4096)
        return 0;
    (void)plist->description();
    for (NSPropertyListFormat written : { NSPropertyListXMLFormat_v1_0, NSPropertyListBinaryFormat_v1_0 }) {
        auto again = NSPropertyListSerialization::dataWithPropertyList(plist, written, 0, nullptr);
        if (again)
            (void)NSPropertyListSerialization::propertyListWithData(again, 0, nullptr, nullptr);
    }
    return 0;
}

// The first byte chooses the options; the list follows it.
extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed)
{
    if (size < 2 || maxSize < 2 || seed % 16 == 0)
        return LLVMFuzzerMutate(data, size, maxSize);
    return 1 + BinaryListMutator::mutate(data + 1, size - 1, maxSize - 1, seed);
}
