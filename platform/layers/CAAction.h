#pragma once
// What a layer runs when one of its animatable properties changes: an animation (which adds
// itself to the layer under the key) or any object that answers this.

#include "platform/foundation/NSObjCRuntime.h"

class NSDictionary;
class NSString;

class CAAction {
public:
    virtual ~CAAction() = default;
    virtual void runActionForKey(const NSString& key, const id& object, const std::shared_ptr<NSDictionary>& arguments) = 0;
};
