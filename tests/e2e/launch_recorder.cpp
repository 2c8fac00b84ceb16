// Test helper: appends the arguments it was started with, as one UTF-8 line, to
// the file named by the environment variable LAUNCH_RECORD (else to its own
// path with ".record" appended), then exits. Tests launch it instead of real
// programs and read the record.
#include <windows.h>

#include <cstdio>
#include <string>

static std::string ToUtf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    return out;
}

// The command line without the program's own name, as Windows passed it.
static const wchar_t* ArgumentTail(const wchar_t* line) {
    bool quoted = false;
    while (*line && (quoted || (*line != L' ' && *line != L'\t'))) {
        if (*line == L'"')
            quoted = !quoted;
        ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t target[MAX_PATH * 2] = {};
    if (!GetEnvironmentVariableW(L"LAUNCH_RECORD", target, MAX_PATH * 2)) {
        GetModuleFileNameW(nullptr, target, MAX_PATH);
        wcscat(target, L".record");
    }
    std::string line = ToUtf8(ArgumentTail(GetCommandLineW())) + "\n";
    // Several launches may finish at once: retry while another one holds the file.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE f = CreateFileW(target, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(f);
            return 0;
        }
        Sleep(20);
    }
    return 1;
}
