#pragma once
// The application's sandbox: one home folder holding Documents/, Library/Caches/,
// Library/Preferences/ and tmp/, created on first use. The home is $CORVANE_HOME when set (each
// test process gets its own), else $XDG_DATA_HOME/corvane, else ~/.local/share/corvane.

#include "platform/foundation/NSArray.h"

enum NSSearchPathDirectory : NSUInteger {
    NSApplicationDirectory = 1,
    NSLibraryDirectory = 5,
    NSDocumentDirectory = 9,
    NSCachesDirectory = 13,
    NSApplicationSupportDirectory = 14,
};

enum NSSearchPathDomainMask : NSUInteger {
    NSUserDomainMask = 1,
    NSLocalDomainMask = 2,
    NSNetworkDomainMask = 4,
    NSSystemDomainMask = 8,
    NSAllDomainsMask = 0x0ffff,
};

NSString NSHomeDirectory();
// Ends with a slash, as the platform's does.
NSString NSTemporaryDirectory();
// The sandbox folder of the directory in the user domain; empty for other domains and for
// directories the sandbox does not have.
std::shared_ptr<NSArray> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory,
    NSSearchPathDomainMask domainMask, bool expandTilde);
