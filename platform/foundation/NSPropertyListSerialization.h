#pragma once
// Property lists to and from bytes, in the XML or the binary format. Strings, numbers (booleans,
// integers, reals), data, dates, arrays and dictionaries with string keys; anything else, and
// any damaged input, ends in an error rather than a crash.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"

enum NSPropertyListFormat : NSUInteger {
    NSPropertyListOpenStepFormat = 1,
    NSPropertyListXMLFormat_v1_0 = 100,
    NSPropertyListBinaryFormat_v1_0 = 200,
};

using NSPropertyListMutabilityOptions = NSUInteger;
enum : NSPropertyListMutabilityOptions {
    NSPropertyListImmutable = 0,
    NSPropertyListMutableContainers = 1,
    NSPropertyListMutableContainersAndLeaves = 2,
};
using NSPropertyListReadOptions = NSPropertyListMutabilityOptions;
using NSPropertyListWriteOptions = NSUInteger;

class NSPropertyListSerialization : public NSObject {
    NS_OBJECT(NSPropertyListSerialization, NSObject)
public:
    // The OpenStep format can be read by string tables only; writing it is refused.
    static std::shared_ptr<NSData> dataWithPropertyList(const id& plist, NSPropertyListFormat format,
        NSPropertyListWriteOptions options, NSErrorPointer error = nullptr);
    static id propertyListWithData(const std::shared_ptr<NSData>& data, NSPropertyListReadOptions options,
        NSPropertyListFormat* format, NSErrorPointer error = nullptr);
    static bool propertyListIsValidForFormat(const id& plist, NSPropertyListFormat format);
};
