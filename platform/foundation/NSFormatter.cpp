#include "platform/foundation/NSFormatter.h"

NSString NSFormatter::stringForObjectValue(const id&) const { return nullptr; }

id NSFormatter::attributedStringForObjectValue(const id&, const std::shared_ptr<NSDictionary>&) const { return nullptr; }

bool NSFormatter::getObjectValue(id* object, const NSString&, NSString* errorDescription) const
{
    if (object)
        *object = nullptr;
    if (errorDescription)
        *errorDescription = "The formatter reads no values.";
    return false;
}
