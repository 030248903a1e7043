#pragma once

// Defines TEST_SANITIZER_ALLOCATOR where a sanitizer brings its own malloc:
// tests of glibc's allocator settings, or that replace malloc themselves,
// do not apply there.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define TEST_SANITIZER_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TEST_SANITIZER_ALLOCATOR 1
#endif
