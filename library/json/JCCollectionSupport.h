#pragma once
// What the codec's collections share: their exceptions and the mutation counter's step.

#include "platform/foundation/NSException.h"

#include <string>

namespace JCCollectionSupport {

[[noreturn]] void raise(const char* name, const std::string& reason);
[[noreturn]] void raisePrivateClass(const char* className);
[[noreturn]] void raiseImmutable(const char* className, const char* operation);
std::string prefix(const char* className, const char* operation);
// The next value of a mutation counter: after the largest value it starts again at 1.
inline NSUInteger nextMutation(NSUInteger mutations) { return mutations == NSUIntegerMax ? 1 : mutations + 1; }

} // namespace JCCollectionSupport
