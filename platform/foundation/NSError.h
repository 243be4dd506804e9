#pragma once
// Run-time failures, carried as values down the failure path: a domain, a code and user info.
// An error archives with the entries of its user info that can be archived; the others (live
// objects such as streams or trust references) are left out rather than failing the archive.

#include "platform/foundation/NSCoder.h"
#include "platform/foundation/NSDictionary.h"

using NSErrorDomain = const char*;
inline constexpr NSErrorDomain NSCocoaErrorDomain = "NSCocoaErrorDomain";
inline constexpr NSErrorDomain NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr NSErrorDomain NSOSStatusErrorDomain = "NSOSStatusErrorDomain";
inline constexpr NSErrorDomain NSURLErrorDomain = "NSURLErrorDomain";

inline constexpr const char* NSLocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* NSLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";
inline constexpr const char* NSLocalizedRecoverySuggestionErrorKey = "NSLocalizedRecoverySuggestion";
inline constexpr const char* NSUnderlyingErrorKey = "NSUnderlyingError";
inline constexpr const char* NSFilePathErrorKey = "NSFilePath";
inline constexpr const char* NSURLErrorKey = "NSURL";
inline constexpr const char* NSURLErrorFailingURLErrorKey = "NSErrorFailingURLKey";
inline constexpr const char* NSURLErrorFailingURLStringErrorKey = "NSErrorFailingURLStringKey";
inline constexpr const char* NSStringEncodingErrorKey = "NSStringEncodingErrorKey";

// The file and coding errors of the Cocoa domain that the layer reports.
enum : NSInteger {
    NSFileNoSuchFileError = 4,
    NSFileLockingError = 255,
    NSFileReadUnknownError = 256,
    NSFileReadNoPermissionError = 257,
    NSFileReadInvalidFileNameError = 258,
    NSFileReadCorruptFileError = 259,
    NSFileReadNoSuchFileError = 260,
    NSFileReadInapplicableStringEncodingError = 261,
    NSFileWriteUnknownError = 512,
    NSFileWriteNoPermissionError = 513,
    NSFileWriteInvalidFileNameError = 514,
    NSFileWriteFileExistsError = 516,
    NSFileWriteInapplicableStringEncodingError = 517,
    NSFileWriteOutOfSpaceError = 640,
    NSPropertyListReadCorruptError = 3840,
    NSPropertyListWriteInvalidError = 3852,
    NSCoderReadCorruptError = 4864,
    NSCoderValueNotFoundError = 4865,
};

class NSError : public NSObject, public NSCoding {
    NS_OBJECT(NSError, NSObject)
public:
    static std::shared_ptr<NSError> errorWithDomain(const NSString& domain, NSInteger code,
        const std::shared_ptr<NSDictionary>& userInfo = nullptr)
    {
        return create(domain, code, userInfo);
    }
    // The common case of an error whose user info holds only a description.
    static std::shared_ptr<NSError> errorWithDomain(const NSString& domain, NSInteger code, const NSString& localizedDescription);

    const NSString& domain() const { return m_domain; }
    NSInteger code() const { return m_code; }
    // Never nil: an empty dictionary when the error was made without one.
    const std::shared_ptr<NSDictionary>& userInfo() const { return m_userInfo; }
    NSString localizedDescription() const;
    NSString localizedFailureReason() const;

    NSString description() const override;
    bool isEqual(const id& other) const override;
    NSUInteger hash() const override;
    id copy() const override;
    void encodeWithCoder(NSCoder& coder) const override;

protected:
    void init(const NSString& domain, NSInteger code, const std::shared_ptr<NSDictionary>& userInfo);
    bool init(NSCoder& coder);

    NSString m_domain;
    NSInteger m_code { 0 };
    std::shared_ptr<NSDictionary> m_userInfo;
};

// Stores the error where the caller asked for it; harmless when it did not.
inline void NSSetError(NSErrorPointer out, std::shared_ptr<NSError> error)
{
    if (out)
        *out = std::move(error);
}
