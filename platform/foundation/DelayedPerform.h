#pragma once
// Delayed performs aimed at an object (performSelector:withObject:afterDelay: and
// cancelPreviousPerformRequestsWithTarget:). A request runs on the current thread's run loop, in
// the default mode unless other modes are given; a delay of 0 means the loop's next pass. Until it
// runs or is cancelled the request retains its target and argument. The selector names the
// request so that one kind of request can be cancelled apart from the others; the action is what
// runs.

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

#include <functional>
#include <string>
#include <vector>

namespace DelayedPerform {

void performSelector(const id& target, const std::string& selector, const id& argument, NSTimeInterval delay, std::function<void()> action);
void performSelector(const id& target, const std::string& selector, const id& argument, NSTimeInterval delay, const std::vector<NSString>& modes, std::function<void()> action);

// Cancels every request of the target on the current thread's run loop. Takes an address so that
// a destructor can cancel its own requests.
void cancelPreviousPerformRequestsWithTarget(const NSObject* target);
inline void cancelPreviousPerformRequestsWithTarget(const id& target) { cancelPreviousPerformRequestsWithTarget(target.get()); }
// Cancels the target's requests with this selector and an argument equal to this one.
void cancelPreviousPerformRequestsWithTarget(const NSObject* target, const std::string& selector, const id& argument);
inline void cancelPreviousPerformRequestsWithTarget(const id& target, const std::string& selector, const id& argument)
{
    cancelPreviousPerformRequestsWithTarget(target.get(), selector, argument);
}

} // namespace DelayedPerform
