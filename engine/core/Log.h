#pragma once
// The log: one line per call on the standard streams. Each call formats into
// a 6144-byte buffer on its own stack, so calls from several threads need no
// lock; a message that does not fit is cut at the buffer's end.

#define KYE_PRINTF(f, a) __attribute__((format(printf, f, a)))

constexpr int LOG_BUFFER_SIZE = 6144;

void LogInfo(const char* format, ...) KYE_PRINTF(1, 2);
void LogError(const char* format, ...) KYE_PRINTF(1, 2);
// Writes only when OpenGL has an error pending, and appends its text.
// Call on the thread that owns the OpenGL context only.
void LogGLError(const char* format, ...) KYE_PRINTF(1, 2);
// Asks the main loop to stop, then returns: the caller carries on.
void LogFatal(const char* format, ...) KYE_PRINTF(1, 2);

// The allocation sites' own report, written straight to standard error.
void LogOutOfMemory(unsigned long long bytes);
