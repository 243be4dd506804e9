#include "library/network/engine/NSDictionary_RequestEncoding.h"

#include "library/json/JSONCodecSerializing.h"
#include "library/network/engine/NSString_NEEngineAdditions.h"
#include "platform/foundation/NSPropertyListSerialization.h"
#include "platform/foundation/StringEncoding.h"

namespace NSDictionary_RequestEncoding {

NSString urlEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary)
{
    using NSString_NEEngineAdditions::ne_urlEncodedString;
    auto text = NSMutableString::string();
    if (!dictionary)
        return NSString::string();
    for (const auto& entry : *dictionary) {
        NSString value = NSString::fromId(entry.object);
        if (value.isNil())
            value = entry.object ? entry.object->description() : NSString::string();
        if (text->length())
            text->appendString("&");
        text->appendFormat("%@=%@", ne_urlEncodedString(NSString::fromId(entry.key)), ne_urlEncodedString(value));
    }
    return NSString(text);
}

NSString jsonEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary)
{
    if (!dictionary)
        return NSString();
    return JSONCodecSerializing::JSONStringWithOptions(dictionary, JCSerializeOptionNone);
}

NSString plistEncodedKeyValueString(const std::shared_ptr<NSDictionary>& dictionary)
{
    if (!dictionary)
        return NSString();
    auto data = NSPropertyListSerialization::dataWithPropertyList(dictionary, NSPropertyListXMLFormat_v1_0, 0, nullptr);
    return data ? NSString::initWithData(data, NSUTF8StringEncoding) : NSString();
}

} // namespace NSDictionary_RequestEncoding
