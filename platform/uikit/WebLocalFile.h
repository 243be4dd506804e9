#pragma once
// Local files for web pages, read on a queue of their own so that the main thread never waits on
// a disk: only regular files on filesystems of stored files (the kernel's own filesystems have
// files that block a reader or never end), never past a size and for no longer than a time.

#include "platform/dispatch/dispatch.h"
#include "platform/foundation/NSData.h"

#include <chrono>
#include <functional>
#include <string>

class WebLocalFile {
public:
    enum class Outcome { Read, Unreadable, TooLarge, TimedOut };
    struct Contents {
        Outcome outcome { Outcome::Unreadable };
        std::shared_ptr<NSData> data;
    };

    // The serial queue every read runs on.
    static const dispatch_queue_t& readingQueue();
    // Reads on the calling thread, stopping past the limit or at the deadline.
    static Contents read(const std::string& path, std::size_t limit, std::chrono::steady_clock::time_point deadline);
    // Reads on the reading queue, within the time from now, and hands the contents to the block
    // there.
    static void readInBackground(std::string path, std::size_t limit, std::chrono::milliseconds timeLimit,
        std::function<void(Contents)> done);
};
