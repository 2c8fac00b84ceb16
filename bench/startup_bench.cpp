// Start-up as the user meets it after sign-in: Velmar.exe started beside a
// stand-in taskbar in its own process until its Start button is visible on
// the taskbar, against a bare one-window process started until its window is
// visible, in turns, in the same run, with the generated Start Menu present.
#include "BenchStartMenu.h"
#include "BenchTable.h"
#include "Processes.h"
#include "StandinProcess.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRuns = 7;

// Milliseconds from CreateProcess to found() holding; negative when it never did.
template <class F> double TimeToVisible(ChildProcess& process, const std::wstring& program, F found) {
    double start = NowMs();
    if (!process.Start(program))
        return -1;
    double deadline = start + 20000;
    while (!found(process.Id())) {
        if (NowMs() > deadline || !process.Running())
            return -1;
        Sleep(1);
    }
    return NowMs() - start;
}

HWND VisibleWindowOf(DWORD pid, HWND parent, const wchar_t* title) {
    HWND window = FindWindowExW(parent, nullptr, nullptr, title);
    for (; window; window = FindWindowExW(parent, window, nullptr, title))
        if (OwnerProcess(window) == pid && IsWindowVisible(window))
            return window;
    return nullptr;
}

} // namespace

int main() {
    fw::ComScope com;
    BenchStartMenu startMenu;
    if (!startMenu.Ready()) {
        std::printf("start-up bench: the generated Start Menu could not be written\n");
        return 1;
    }
    CStandinProcess standin;
    if (!standin.Start(StandinOptions{})) {
        std::printf("start-up bench: no stand-in taskbar\n");
        return 1;
    }
    const std::wstring velmar = BinDir() + L"\\Velmar.exe";
    const std::wstring bare = BinDir() + L"\\bare_window.exe";
    std::vector<double> ours, floor;
    int failed = 0;
    for (int i = 0; i < kRuns + 1; ++i) {
        ChildProcess program;
        double t = TimeToVisible(program, velmar, [&](DWORD pid) {
            return VisibleWindowOf(pid, standin.Taskbar(), L"Start.Button.Main") != nullptr;
        });
        program.Kill();
        ChildProcess floorProgram;
        double f = TimeToVisible(floorProgram, bare, [&](DWORD pid) {
            return VisibleWindowOf(pid, nullptr, L"bare") != nullptr;
        });
        floorProgram.Kill();
        if (t < 0 || f < 0) {
            ++failed;
            continue;
        }
        if (i == 0)
            continue; // the first start of each program pays for the file cache
        ours.push_back(t);
        floor.push_back(f);
    }
    if (ours.empty()) {
        std::printf("start-up bench: the Start button never became visible\n");
        return 1;
    }
    ReportRow("start-up to visible button, median of 7", Median(ours), Median(floor));
    std::printf("  floor: a bare one-window process started and shown\n");
    if (failed)
        std::printf("  %d runs never showed their window within 20 s\n", failed);
    standin.Stop();
    return 0;
}
