#include "platform/foundation/DelayedPerform.h"

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSTimer.h"

#include <algorithm>

namespace {

struct PerformRequest {
    NSUInteger serial { 0 };
    const NSObject* targetAddress { nullptr };
    id target;
    std::string selector;
    id argument;
    std::shared_ptr<NSTimer> timer;
};

// Requests live with the run loop of their thread, so the registry is per thread too.
struct PerformRegistry {
    ~PerformRegistry()
    {
        // Releasing a target may cancel its other requests (a destructor that cancels what it
        // scheduled): such a cancel must find an empty registry, not one being torn down.
        auto leftover = std::move(requests);
        requests.clear();
        leftover.clear();
    }

    NSUInteger nextSerial { 1 };
    std::vector<PerformRequest> requests;
};

thread_local PerformRegistry t_registry;

void cancelMatching(const std::function<bool(const PerformRequest&)>& predicate)
{
    std::vector<PerformRequest> cancelled;
    auto& requests = t_registry.requests;
    for (auto it = requests.begin(); it != requests.end();) {
        if (predicate(*it)) {
            cancelled.push_back(std::move(*it));
            it = requests.erase(it);
        } else {
            ++it;
        }
    }
    // Invalidated after leaving the registry: releasing a target may cancel further requests.
    for (auto& request : cancelled)
        request.timer->invalidate();
}

} // namespace

namespace DelayedPerform {

void performSelector(const id& target, const std::string& selector, const id& argument, NSTimeInterval delay, std::function<void()> action)
{
    performSelector(target, selector, argument, delay, { NSDefaultRunLoopMode }, std::move(action));
}

void performSelector(const id& target, const std::string& selector, const id& argument, NSTimeInterval delay, const std::vector<NSString>& modes, std::function<void()> action)
{
    if (!target || !action)
        return;
    NSUInteger serial = t_registry.nextSerial++;
    auto timer = NSTimer::timerWithTimeInterval(std::max(delay, 0.0), [serial, action = std::move(action)](const std::shared_ptr<NSTimer>&) {
        auto& requests = t_registry.requests;
        auto request = std::find_if(requests.begin(), requests.end(), [serial](const PerformRequest& r) { return r.serial == serial; });
        if (request == requests.end())
            return;
        // The request leaves the registry before it runs, so the action may schedule or cancel
        // freely; its target stays alive until the action returns.
        PerformRequest running = std::move(*request);
        requests.erase(request);
        action();
    }, false);
    t_registry.requests.push_back({ serial, target.get(), target, selector, argument, timer });
    auto runLoop = NSRunLoop::currentRunLoop();
    for (const auto& mode : modes)
        runLoop->addTimer(timer, mode);
}

void cancelPreviousPerformRequestsWithTarget(const NSObject* target)
{
    if (!target)
        return;
    cancelMatching([target](const PerformRequest& request) { return request.targetAddress == target; });
}

void cancelPreviousPerformRequestsWithTarget(const NSObject* target, const std::string& selector, const id& argument)
{
    if (!target)
        return;
    cancelMatching([&](const PerformRequest& request) {
        return request.targetAddress == target && request.selector == selector && ns::isEqual(request.argument, argument);
    });
}

} // namespace DelayedPerform
