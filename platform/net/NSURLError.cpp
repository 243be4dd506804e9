#include "platform/net/NSURLError.h"

#include "platform/foundation/NSDictionary.h"
#include "platform/net/NSURL.h"

std::shared_ptr<NSError> NSURLErrorWithCode(NSInteger code, const std::shared_ptr<NSURL>& failingURL, const NSString& description)
{
    auto userInfo = NSMutableDictionary::dictionary();
    if (failingURL) {
        userInfo->setObject(failingURL, NSURLErrorFailingURLErrorKey);
        userInfo->setObject(failingURL->absoluteString(), NSURLErrorFailingURLStringErrorKey);
    }
    if (!description.isNil())
        userInfo->setObject(description, NSLocalizedDescriptionKey);
    return NSError::errorWithDomain(NSURLErrorDomain, code, userInfo->count() ? userInfo->copyDictionary() : nullptr);
}
