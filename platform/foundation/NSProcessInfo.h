#pragma once
// The running process: its environment, arguments, name and identifiers.

#include "platform/foundation/Guarded.h"
#include "platform/foundation/NSDictionary.h"

class NSProcessInfo : public NSObject {
    NS_OBJECT(NSProcessInfo, NSObject)
public:
    static const std::shared_ptr<NSProcessInfo>& processInfo();

    // Read afresh on every call, so a test that sets a variable sees it.
    std::shared_ptr<NSDictionary> environment() const;
    std::shared_ptr<NSArray> arguments() const;
    NSString processName() const;
    void setProcessName(const NSString& name);
    int processIdentifier() const;
    NSString hostName() const;
    // A new text on every call: a random UUID in upper case.
    NSString globallyUniqueString() const;
    // Seconds since an arbitrary start, on the process clock's monotonic scale (so a test's
    // manual clock moves it).
    NSTimeInterval systemUptime() const;
    NSUInteger processorCount() const;
    NSUInteger activeProcessorCount() const;
    unsigned long long physicalMemory() const;

private:
    // Nil until set: the program's own name answers.
    Guarded<NSString> m_processName;
};
