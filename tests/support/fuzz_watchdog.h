// Names the case a fuzz run was in when it faulted or hung, so that the case
// can be replayed (VELMAR_FUZZ_FIRST=n VELMAR_FUZZ_CASES=1). A case running
// longer than 30 s counts as a hang: the process ends with 3 after saying so.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>

class FuzzWatchdog {
public:
    explicit FuzzWatchdog(const char* kind) {
        s_kind = kind;
        s_case = -1;
        // First in line: gtest turns a crash into a failure that names no case.
        m_handler = ::AddVectoredExceptionHandler(1, OnCrash);
        m_thread = ::CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    }
    ~FuzzWatchdog() {
        s_stop = 1;
        if (m_handler)
            ::RemoveVectoredExceptionHandler(m_handler);
        if (m_thread) {
            ::WaitForSingleObject(m_thread, 5000);
            ::CloseHandle(m_thread);
        }
        s_stop = 0;
    }
    FuzzWatchdog(const FuzzWatchdog&) = delete;
    FuzzWatchdog& operator=(const FuzzWatchdog&) = delete;

    void Begin(size_t n) {
        const DWORD now = ::GetTickCount();
        // With VELMAR_FUZZ_SLOW_MS set, the cases that took longer are named.
        if (s_case >= 0 && m_slowMs && now - s_started > m_slowMs)
        {
            std::printf("slow: %s fuzz case %ld took %lu ms\n", s_kind, s_case, now - s_started);
            std::fflush(stdout);
        }
        s_started = now;
        s_case = static_cast<LONG>(n);
        // With VELMAR_FUZZ_TRACE set, each case is named on stderr, in line with
        // the platform's own heap messages, so a message can be tied to its case.
        if (m_trace)
            std::fprintf(stderr, "case %zu\n", n);
    }

private:
    static DWORD WINAPI Watch(void*) {
        while (!s_stop) {
            ::Sleep(200);
            if (s_case >= 0 && ::GetTickCount() - s_started > 30000) {
                std::fprintf(stderr, "HANG: %s fuzz case %ld ran over 30 s\n", s_kind, s_case);
                ::EnumWindows(PrintWindowOfThisProcess, 0);
                std::fflush(stderr);
                ::ExitProcess(3);
            }
        }
        return 0;
    }
    static BOOL CALLBACK PrintWindowOfThisProcess(HWND window, LPARAM) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(window)) {
            char cls[64] = {}, title[128] = {};
            ::GetClassNameA(window, cls, 64);
            ::GetWindowTextA(window, title, 128);
            std::fprintf(stderr, "  window %s \"%s\"\n", cls, title);
        }
        return TRUE;
    }
    static void PrintModule(const void* address) {
        HMODULE module = nullptr;
        char name[MAX_PATH] = "?";
        if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 static_cast<const char*>(address), &module))
            ::GetModuleFileNameA(module, name, MAX_PATH);
        std::fprintf(stderr, "  %p in %s+%#llx\n", address, name,
                     static_cast<unsigned long long>(static_cast<const char*>(address) -
                                                     reinterpret_cast<const char*>(module)));
    }
    // Errors only (access violation, stack overflow, heap corruption...), not
    // C++ exceptions; a fault that something catches later is named too.
    static LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
        const DWORD code = info->ExceptionRecord->ExceptionCode;
        if ((code & 0xF0000000u) == 0xC0000000u) {
            std::fprintf(stderr, "FAULT: %s fuzz case %ld, exception %#lx at %p\n", s_kind, s_case, code,
                         info->ExceptionRecord->ExceptionAddress);
            PrintModule(info->ExceptionRecord->ExceptionAddress);
            // The callers, module by module: whose code it was.
            void* frames[24];
            const USHORT n = ::RtlCaptureStackBackTrace(0, 24, frames, nullptr);
            for (USHORT i = 0; i < n; ++i)
                PrintModule(frames[i]);
            std::fflush(stderr);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }

    HANDLE m_thread = nullptr;
    PVOID m_handler = nullptr;
    const bool m_trace = getenv("VELMAR_FUZZ_TRACE") != nullptr;
    DWORD m_slowMs = getenv("VELMAR_FUZZ_SLOW_MS") ? static_cast<DWORD>(atoi(getenv("VELMAR_FUZZ_SLOW_MS"))) : 0;
    static inline const char* s_kind = "";
    static inline volatile LONG s_case = -1;
    static inline volatile DWORD s_started = 0;
    static inline volatile LONG s_stop = 0;
};
