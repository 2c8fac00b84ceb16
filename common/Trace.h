// The trace function: nothing in release builds, the debugger's output in debug
// builds. No behaviour depends on it.
#pragma once

#ifdef NDEBUG
inline void Trace(const wchar_t*, ...) {}
#else
void Trace(const wchar_t* format, ...);
#endif
