#pragma once
// Cache files that can tell when they were damaged: each is written beside its name and renamed
// into place with its length and a checksum of its bytes kept in an extended attribute, so that a
// file cut short, overwritten or emptied reads as damaged instead of as a valid entry. Files of
// the cache follow the process's umask.

#include "platform/foundation/NSData.h"

class CacheFileSeal {
public:
    enum class State {
        Missing,
        Sound,
        // The file system keeps seals, but this file has none: not written by a cache.
        Unsealed,
        // The file system keeps no seals: the bytes cannot be checked.
        Unverifiable,
        Damaged,
    };

    static bool write(const NSString& path, const std::shared_ptr<NSData>& data);
    // The bytes, with the state they were found in; nil when missing or unreadable.
    static std::shared_ptr<NSData> read(const NSString& path, State* state);
    // Copies a write left beside their names when the process died mid-write.
    static void removeStaleCopies(const NSString& folder);
};
