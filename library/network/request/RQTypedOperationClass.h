#pragma once
// What the typed request operations share: each class's own accepted content types and status
// codes (changing them for one class changes neither its base nor its siblings), its request
// test, and the delivery of a parsed reply through the success and failure blocks.

#include "library/network/request/RQHTTPRequestOperation.h"
#include "platform/dispatch/dispatch.h"

#include <initializer_list>
#include <mutex>

// The accepted sets and the request test of one typed class, answered for that class alone.
template <class Operation>
struct RQTypedOperationClass {
    static std::vector<std::string> chain() { return { Operation::staticClassName(), RQHTTPRequestOperation::staticClassName() }; }
    static void seed()
    {
        static std::once_flag once;
        std::call_once(once, [] { RQHTTPRequestOperation::addAcceptableContentTypesFor(Operation::staticClassName(), Operation::defaultContentTypes(), {}); });
    }
    static std::shared_ptr<NSSet> acceptableContentTypes()
    {
        seed();
        return RQHTTPRequestOperation::acceptableContentTypesFor(Operation::staticClassName(), {});
    }
    static void addAcceptableContentTypes(const std::shared_ptr<NSSet>& types)
    {
        seed();
        RQHTTPRequestOperation::addAcceptableContentTypesFor(Operation::staticClassName(), types, {});
    }
    static std::shared_ptr<const RQStatusCodeSet> acceptableStatusCodes()
    {
        return RQHTTPRequestOperation::acceptableStatusCodesFor(Operation::staticClassName(), { RQHTTPRequestOperation::staticClassName() });
    }
    static void addAcceptableStatusCodes(const std::shared_ptr<const RQStatusCodeSet>& codes)
    {
        RQHTTPRequestOperation::addAcceptableStatusCodesFor(Operation::staticClassName(), codes, { RQHTTPRequestOperation::staticClassName() });
    }
    // The URL's path extension (exact), else an Accept field naming one of the class's types.
    static bool canProcessRequest(const std::shared_ptr<NSURLRequest>& request)
    {
        if (!request || !request->URL())
            return false;
        if (Operation::acceptsPathExtension(request->URL()->pathExtension()))
            return true;
        auto accepted = RQContentTypesFromHTTPHeader(request->valueForHTTPHeaderField("Accept"));
        auto types = acceptableContentTypes();
        return accepted && types && accepted->intersectsSet(types);
    }

    // What the typed classes share in making their queues and sets and in answering.
    static dispatch_queue_t processingQueueNamed(const char* label)
    {
        return dispatch_queue_create(label, DISPATCH_QUEUE_CONCURRENT);
    }

    static std::shared_ptr<NSSet> setOf(std::initializer_list<const char*> texts)
    {
        auto set = NSMutableSet::set();
        for (const char* text : texts)
            set->addObject(NSString(text));
        return set;
    }

    template <class Block, class... Args>
    static void callOn(const dispatch_queue_t& queue, Block block, Args... args)
    {
        dispatch_async(queue ? queue : dispatch_get_main_queue(), [block, args...] { block(args...); });
    }

    // The failure block with the error, else the success block with the response, each on its queue.
    static void answer(const std::shared_ptr<RQHTTPRequestOperation>& operation, const std::shared_ptr<NSError>& error, const id& response,
        const RQHTTPRequestOperation::SuccessBlock& success, const RQHTTPRequestOperation::FailureBlock& failure)
    {
        if (error) {
            if (failure)
                callOn(operation->failureCallbackQueue(), failure, operation, error);
        } else if (success) {
            callOn(operation->successCallbackQueue(), success, operation, response);
        }
    }

    // A typed operation's completion: once the operation has finished (and still lives), `process`
    // runs on the class's processing queue. With `failFirst`, an error the reply already has goes to
    // the failure block from the finishing thread instead, and nothing is processed; the classes
    // differ in this on purpose.
    template <class Process>
    static std::function<void()> typedCompletion(std::weak_ptr<Operation> weakSelf, dispatch_queue_t queue, bool failFirst,
        RQHTTPRequestOperation::FailureBlock failure, Process process)
    {
        return [weakSelf, queue, failFirst, failure, process] {
            auto operation = weakSelf.lock();
            if (!operation)
                return;
            if (failFirst) {
                if (auto error = operation->error()) {
                    answer(operation, error, nullptr, nullptr, failure);
                    return;
                }
            }
            dispatch_async(queue, [operation, process] { process(operation); });
        };
    }
};
