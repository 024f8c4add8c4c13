#pragma once

// TEXTRESGEN_TEST_SANITIZED is defined when the test is built with
// AddressSanitizer or ThreadSanitizer, whose own allocators and address-space
// reservations make allocation-failure and address-space tests meaningless.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TEXTRESGEN_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TEXTRESGEN_TEST_SANITIZED 1
#endif
#endif
