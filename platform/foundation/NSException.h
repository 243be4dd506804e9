#pragma once
// Programming errors that the platform reports by raising: thrown as a C++ exception.

#include "platform/foundation/NSString.h"

#include <exception>

class NSDictionary;

using NSExceptionName = const char*;
inline constexpr NSExceptionName NSGenericException = "NSGenericException";
inline constexpr NSExceptionName NSRangeException = "NSRangeException";
inline constexpr NSExceptionName NSInvalidArgumentException = "NSInvalidArgumentException";
inline constexpr NSExceptionName NSInternalInconsistencyException = "NSInternalInconsistencyException";
inline constexpr NSExceptionName NSMallocException = "NSMallocException";
inline constexpr NSExceptionName NSInvalidArchiveOperationException = "NSInvalidArchiveOperationException";
inline constexpr NSExceptionName NSInvalidUnarchiveOperationException = "NSInvalidUnarchiveOperationException";

class NSException : public std::exception {
public:
    NSException(NSString name, NSString reason, std::shared_ptr<NSDictionary> userInfo = nullptr);

    static NSException exceptionWithName(NSString name, NSString reason, std::shared_ptr<NSDictionary> userInfo = nullptr)
    {
        return NSException(std::move(name), std::move(reason), std::move(userInfo));
    }
    // Throws an exception of the name, with a reason made like stringWithFormat's.
    template <class... Args>
    [[noreturn]] static void raise(NSString name, const char* format, const Args&... args)
    {
        throw NSException(std::move(name), NSString::stringWithFormat(format, args...));
    }
    [[noreturn]] void raise() const { throw *this; }

    const NSString& name() const { return m_name; }
    const NSString& reason() const { return m_reason; }
    const std::shared_ptr<NSDictionary>& userInfo() const { return m_userInfo; }
    NSString description() const { return m_reason; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    NSString m_name;
    NSString m_reason;
    std::shared_ptr<NSDictionary> m_userInfo;
    std::string m_what;
};
