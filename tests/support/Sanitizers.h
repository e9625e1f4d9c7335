// Whether this build runs under AddressSanitizer: g++ and clang say so in different ways.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define TAMBERLO_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAMBERLO_ASAN 1
#endif
#endif
