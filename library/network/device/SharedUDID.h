#pragma once
// One device identifier shared by cooperating applications: each keeps its own record in its
// user defaults and a copy in one of 100 named persistent pasteboards ("slots"), and the value
// most slots agree on wins. The user may opt an application out, which then reads 40 zeros.
//
// The state is told only through the error out-parameter, in the domain "org.Quenmark": code 0
// (none), 1 (opted out) or 2 (the stored value and the slots disagree), with the message under
// the user-information key "description". A value is always returned.

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSString.h"

namespace SharedUDID {

inline constexpr const char* kErrorDomain = "org.Quenmark";
inline constexpr NSInteger kErrorNone = 0;
inline constexpr NSInteger kErrorOptedOut = 1;
inline constexpr NSInteger kErrorCompromised = 2;
inline constexpr int kSlotCount = 100;

// 40 lower-case hexadecimal characters, computed once per process until setOptOut.
NSString value();
NSString valueWithError(NSErrorPointer error);
// Records the user's choice for this application and forgets the value computed so far.
void setOptOut(bool optOut);

// The name of slot `index`: "org.Quenmark.slot.<index>".
NSString slotName(int index);

} // namespace SharedUDID
