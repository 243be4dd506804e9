#pragma once
// Assertions that stay on in every build: a failed condition goes to the current thread's
// assertion handler, which raises NSInternalInconsistencyException. Library code relies on this
// to turn misuse (an index past the end, an unsupported type) into an exception instead of
// memory corruption, so release builds must not compile the checks away.
//
//     NSParameterAssert(index < count);   // "Invalid parameter not satisfying: index < count"
//     NSAssert(lower <= upper, "lowerBound must be less than or equal to upperBound");

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class NSAssertionHandler : public NSObject {
    NS_OBJECT(NSAssertionHandler, NSObject)
public:
    // One handler per thread, made on first use.
    static std::shared_ptr<NSAssertionHandler> currentHandler();

    // Both raise NSInternalInconsistencyException whose reason is the description; the
    // location travels in the exception's user info ("file", "line", and "method" or "function").
    [[noreturn]] virtual void handleFailureInMethod(const char* method, const char* object, const char* fileName,
        NSInteger line, const NSString& description);
    [[noreturn]] virtual void handleFailureInFunction(const char* functionName, const char* fileName, NSInteger line,
        const NSString& description);
};

namespace ns {

// The reason a failed parameter assertion gives, with the condition's source text.
NSString parameterAssertionDescription(const char* condition);

} // namespace ns

// The method forms name the enclosing member function, the C forms the enclosing function; in
// C++ both are the same function name.
#define NSAssert(condition, ...)                                                                                     \
    do {                                                                                                             \
        if (!(condition)) [[unlikely]]                                                                               \
            NSAssertionHandler::currentHandler()->handleFailureInMethod(__func__, nullptr, __FILE__, __LINE__,       \
                NSString::stringWithFormat(__VA_ARGS__));                                                            \
    } while (false)
#define NSCAssert(condition, ...)                                                                                    \
    do {                                                                                                             \
        if (!(condition)) [[unlikely]]                                                                               \
            NSAssertionHandler::currentHandler()->handleFailureInFunction(__func__, __FILE__, __LINE__,              \
                NSString::stringWithFormat(__VA_ARGS__));                                                            \
    } while (false)
#define NSParameterAssert(condition)                                                                                 \
    do {                                                                                                             \
        if (!(condition)) [[unlikely]]                                                                               \
            NSAssertionHandler::currentHandler()->handleFailureInMethod(__func__, nullptr, __FILE__, __LINE__,       \
                ns::parameterAssertionDescription(#condition));                                                      \
    } while (false)
#define NSCParameterAssert(condition)                                                                                \
    do {                                                                                                             \
        if (!(condition)) [[unlikely]]                                                                               \
            NSAssertionHandler::currentHandler()->handleFailureInFunction(__func__, __FILE__, __LINE__,              \
                ns::parameterAssertionDescription(#condition));                                                      \
    } while (false)
