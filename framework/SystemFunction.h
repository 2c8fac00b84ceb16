// A function of a system library that not every start needs, or that older
// Windows lacks. The library is loaded from the system folder only (never from
// beside the program or the current folder) and kept for the life of the
// process. Null when the library or the function is missing.
#pragma once

#include <windows.h>

namespace fw {

template <typename Fn> Fn SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = ::GetModuleHandleW(library);
    if (!module)
        module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

} // namespace fw
