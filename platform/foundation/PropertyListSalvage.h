#pragma once
// What can still be read of a damaged binary property list whose root is a dictionary: a file
// cut short, or overwritten past some point, loses its trailer and offset table, but the objects
// before the damage lie in order after the header and still name each other. The entries whose
// key and whole value can be read come back; the rest are left out.

#include "platform/foundation/NSData.h"
#include "platform/foundation/NSDictionary.h"

class PropertyListSalvage {
public:
    // Nil when not even the root dictionary can be found.
    static std::shared_ptr<NSDictionary> readableEntries(const std::shared_ptr<NSData>& data);
};
