#pragma once

#include "platform/foundation/NSObject.h"

// The one object that stands for "no value" inside collections.
class NSNull final : public NSObject {
    NS_OBJECT(NSNull, NSObject)
public:
    static const std::shared_ptr<NSNull>& null();
    NSString description() const override;
    id copy() const override;
};
