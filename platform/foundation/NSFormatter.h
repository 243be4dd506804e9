#pragma once
// The base of objects that turn values into text and back.

#include "platform/foundation/NSString.h"

class NSDictionary;

class NSFormatter : public NSObject {
    NS_OBJECT(NSFormatter, NSObject)
public:
    // Nil for values the formatter does not handle.
    virtual NSString stringForObjectValue(const id& value) const;
    virtual NSString editingStringForObjectValue(const id& value) const { return stringForObjectValue(value); }
    // An attributed text for formatters that make them; the base makes none (nil).
    virtual id attributedStringForObjectValue(const id& value, const std::shared_ptr<NSDictionary>& defaultAttributes) const;
    // The value the text stands for; false (and the reason, when asked) when it stands for none.
    virtual bool getObjectValue(id* object, const NSString& string, NSString* errorDescription) const;
};
