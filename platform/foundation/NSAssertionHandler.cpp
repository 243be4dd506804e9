#include "platform/foundation/NSAssertionHandler.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSNumber.h"

namespace {

[[noreturn]] void raiseFailure(const char* kindKey, const char* name, const char* fileName, NSInteger line,
    const NSString& description)
{
    auto userInfo = ns::dictionary({
        { kindKey, NSString(name ? name : "") },
        { "file", NSString(fileName ? fileName : "") },
        { "line", NSNumber::numberWithInteger(line) },
    });
    throw NSException(NSInternalInconsistencyException, description, userInfo);
}

} // namespace

std::shared_ptr<NSAssertionHandler> NSAssertionHandler::currentHandler()
{
    thread_local std::shared_ptr<NSAssertionHandler> handler = create();
    return handler;
}

void NSAssertionHandler::handleFailureInMethod(const char* method, const char*, const char* fileName, NSInteger line,
    const NSString& description)
{
    raiseFailure("method", method, fileName, line, description);
}

void NSAssertionHandler::handleFailureInFunction(const char* functionName, const char* fileName, NSInteger line,
    const NSString& description)
{
    raiseFailure("function", functionName, fileName, line, description);
}

NSString ns::parameterAssertionDescription(const char* condition)
{
    return NSString::stringWithFormat("Invalid parameter not satisfying: %s", condition);
}
