#pragma once
// Whether this build's test programs have their leaks checked: builds with the address sanitizer.

#if defined(__SANITIZE_ADDRESS__)
#define CORVANE_CHECKS_LEAKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVANE_CHECKS_LEAKS 1
#endif
#endif

namespace testing_support {

#ifdef CORVANE_CHECKS_LEAKS
inline constexpr bool kLeaksChecked = true;
#else
inline constexpr bool kLeaksChecked = false;
#endif

} // namespace testing_support
