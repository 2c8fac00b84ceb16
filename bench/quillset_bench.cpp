// Quillset opened on a list of 10,000 entries, from CreateProcess until its
// dialog is shown and answers a message, against a bare process that lists the
// same file's names in a plain list box, in turns, in the same run.
#include "BenchTable.h"
#include "ProgramFolder.h"
#include "Processes.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const int kRuns = 5;
const int kEntries = 10000;

struct FindArgs {
    DWORD pid;
    const wchar_t* title;
    HWND found;
};

// Milliseconds until a visible top-level window of the process with the title
// answers a message; negative when it never did within 60 s.
double TimeToReady(ChildProcess& process, const std::wstring& program, const std::wstring& arguments,
                   const wchar_t* title) {
    const double start = NowMs();
    if (!process.Start(program, arguments))
        return -1;
    FindArgs args{process.Id(), title, nullptr};
    while (NowMs() < start + 60000 && process.Running()) {
        EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* a = reinterpret_cast<FindArgs*>(lp);
                wchar_t text[64] = {};
                DWORD pid = 0;
                GetWindowThreadProcessId(h, &pid);
                GetWindowTextW(h, text, 64);
                if (pid != a->pid || !IsWindowVisible(h) || wcscmp(text, a->title))
                    return TRUE;
                a->found = h;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&args));
        DWORD_PTR result = 0;
        if (args.found && SendMessageTimeoutW(args.found, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result))
            return NowMs() - start;
        Sleep(1);
    }
    return -1;
}

} // namespace

int main() {
    ProgramFolder folder;
    const std::wstring list = folder.Join(L"applist.lst");
    if (!folder.Copy({L"Quillset.exe"}) || !folder.CopyDefaultSkin() || !folder.KeepListAt(list)) {
        std::printf("quillset bench: the program folder could not be made\n");
        return 1;
    }
    const std::string program = Narrow(folder.Join(L"Quillset.exe"));
    auto writeList = [&](int entries) {
        std::string text = "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n";
        for (int i = 0; i < entries; ++i)
            text += "APP=Program " + std::to_string(i) + "|app|" + program + "\r\n";
        folder.WriteFile(L"applist.lst", text);
    };
    // What the dialog costs whatever the list: the same start with one entry.
    writeList(1);
    std::vector<double> single;
    for (int i = 0; i < kRuns + 1; ++i) {
        ChildProcess quillset;
        const double t = TimeToReady(quillset, folder.Join(L"Quillset.exe"), L"", L"Start Menu Options");
        quillset.Kill();
        if (i > 0 && t >= 0)
            single.push_back(t);
    }
    writeList(kEntries);

    std::vector<double> ours, floor;
    for (int i = 0; i < kRuns + 1; ++i) {
        ChildProcess quillset, bare;
        const double t = TimeToReady(quillset, folder.Join(L"Quillset.exe"), L"", L"Start Menu Options");
        quillset.Kill();
        const double f = TimeToReady(bare, BinDir() + L"\\bare_list.exe", list, L"bare list");
        bare.Kill();
        if (t < 0 || f < 0) {
            std::printf("quillset bench: a dialog was not ready within 60 s\n");
            return 1;
        }
        if (i == 0)
            continue; // the first start of each program pays for the file cache
        ours.push_back(t);
        floor.push_back(f);
    }
    ReportRow("Quillset ready with 10,000 entries, median of 5", Median(ours), Median(floor));
    std::printf("  floor: a bare process listing the same file's names in a list box\n");
    if (!single.empty())
        std::printf("  Quillset ready with one entry: %.2f ms (median)\n", Median(single));
    return 0;
}
