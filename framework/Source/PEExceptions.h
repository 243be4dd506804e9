#pragma once
// The exceptions the engine raises on misuse, with their fixed reasons. Misuse is a programming
// error: the engine throws and does not catch, except around drawing (see PELayer).

#include "platform/foundation/NSException.h"

inline constexpr NSExceptionName PEException = "PEException";
inline constexpr NSExceptionName PENumericDataException = "PENumericDataException";

inline constexpr const char* PEThemeAlreadyRegisteredReason = "Theme class already registered: %@";
inline constexpr const char* PEInvalidGraphClassReason = "Invalid graph class for theme; must be a subclass of PEGraph";
inline constexpr const char* PEParameterAssertionReason = "Invalid parameter not satisfying: %s";

// Raises "PEException" with a reason made like stringWithFormat's.
template <class... Args>
[[noreturn]] void PERaise(const char* format, const Args&... args)
{
    NSException::raise(PEException, format, args...);
}

// The parameter assertion: an internal-inconsistency exception naming the failed condition.
[[noreturn]] inline void PEParameterAssertionFailed(const char* condition)
{
    NSException::raise(NSInternalInconsistencyException, PEParameterAssertionReason, condition);
}

#define PEParameterAssert(condition)                \
    do {                                            \
        if (!(condition))                           \
            PEParameterAssertionFailed(#condition); \
    } while (0)

// An assertion of an internal invariant, with its own message.
#define PEAssert(condition, message)                                                       \
    do {                                                                                   \
        if (!(condition))                                                                  \
            NSException::raise(NSInternalInconsistencyException, "%s", (const char*)(message)); \
    } while (0)
