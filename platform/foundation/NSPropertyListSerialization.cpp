#include "platform/foundation/NSPropertyListSerialization.h"

#include "platform/foundation/PropertyListNode.h"

std::shared_ptr<NSData> NSPropertyListSerialization::dataWithPropertyList(const id& plist, NSPropertyListFormat format,
    NSPropertyListWriteOptions, NSErrorPointer error)
{
    if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
            NSString("Property list format not supported for writing")));
        return nullptr;
    }
    NSString failure;
    PropertyListNode node = PropertyListNode::fromObject(plist, &failure);
    auto data = node.serialize(format == NSPropertyListBinaryFormat_v1_0 ? PropertyListNode::Format::Binary
                                                                         : PropertyListNode::Format::XML);
    if (!data) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSPropertyListWriteInvalidError,
            failure.isNil() ? NSString("Property list invalid for format") : failure));
        return nullptr;
    }
    return data;
}

id NSPropertyListSerialization::propertyListWithData(const std::shared_ptr<NSData>& data,
    NSPropertyListReadOptions options, NSPropertyListFormat* format, NSErrorPointer error)
{
    PropertyListNode::Format found = PropertyListNode::Format::XML;
    PropertyListNode node = PropertyListNode::parse(data, &found);
    auto mutability = static_cast<PropertyListNode::Mutability>(options > 2 ? 0 : options);
    id object = node.toObject(mutability);
    if (!object) {
        NSSetError(error, NSError::errorWithDomain(NSCocoaErrorDomain, NSPropertyListReadCorruptError,
            NSString("The data couldn't be read because it isn't in the correct format.")));
        return nullptr;
    }
    if (format)
        *format = found == PropertyListNode::Format::Binary ? NSPropertyListBinaryFormat_v1_0 : NSPropertyListXMLFormat_v1_0;
    return object;
}

bool NSPropertyListSerialization::propertyListIsValidForFormat(const id& plist, NSPropertyListFormat format)
{
    if (format != NSPropertyListXMLFormat_v1_0 && format != NSPropertyListBinaryFormat_v1_0)
        return false;
    return static_cast<bool>(PropertyListNode::fromObject(plist));
}
