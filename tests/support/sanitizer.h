// Whether the tests (and so the programs they run) are built with the address sanitizer,
// whose programs cannot run under an address-space limit (ulimit -v).
#pragma once

namespace plandrix::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

}  // namespace plandrix::testing
