// Pinning from the menu changes the list file with the options program's own
// reader and writer; the options program's fingerprint tells a later change.
#include "AppListPin.h"
#include "PackagedApps.h"

#include <gtest/gtest.h>

#include "AppListTestHelpers.h"
#include "Handles.h"
#include "TestFiles.h"

namespace {
const char kHeader[] = "\xEF\xBB\xBF# Application List\r\n# encoding: UTF-8\r\n";
const wchar_t kPackaged[] = L"shell:AppsFolder\\Contoso.Notes_8wekyb3d8bbwe!App";
} // namespace

TEST(AppListPin, PinsOnceUnpinsAndWritesEveryOtherLineBackAsItWas) {
    fw::ComScope com;
    TempDir dir;
    const std::wstring file = dir.Join(L"applist.lst");
    const std::string kept = "APP=Gone|app|Q:\\nowhere\\gone.exe\r\nLNK=Old|lnk|Q:\\nowhere\\old.lnk\r\n";
    dir.WriteFile(L"applist.lst", kHeader + kept);

    EXPECT_EQ(PinResult::Pinned, PinToAppList(file.c_str(), L"Tool", L"C:\\Tools\\Tool.exe"));
    EXPECT_EQ(PinResult::AlreadyPinned, PinToAppList(file.c_str(), L"Again", L"c:\\tools\\TOOL.EXE"));
    EXPECT_EQ(PinResult::Pinned, PinToAppList(file.c_str(), L"", L"C:\\Links\\Mail.lnk"));
    EXPECT_EQ(PinResult::Pinned, PinToAppList(file.c_str(), L"Notes", kPackaged));
    EXPECT_EQ(std::string(kHeader) + kept + "APP=Tool|app|C:\\Tools\\Tool.exe\r\nLNK=Mail|lnk|C:\\Links\\Mail.lnk\r\n" +
                  "APP=Notes|app|" + Narrow(kPackaged) + "\r\n",
              ReadFileBytes(file));

    EXPECT_EQ(PinResult::Unpinned, UnpinFromAppList(file.c_str(), L"C:\\TOOLS\\tool.exe"));
    EXPECT_EQ(PinResult::NotPinned, UnpinFromAppList(file.c_str(), L"C:\\Tools\\Tool.exe"));
    EXPECT_EQ(std::string(kHeader) + kept + "LNK=Mail|lnk|C:\\Links\\Mail.lnk\r\n" + "APP=Notes|app|" +
                  Narrow(kPackaged) + "\r\n",
              ReadFileBytes(file));

    // No file yet: the first pin makes it.
    const std::wstring fresh = dir.Join(L"fresh.lst");
    EXPECT_EQ(PinResult::Pinned, PinToAppList(fresh.c_str(), L"Tool", L"C:\\Tools\\Tool.exe"));
    EXPECT_EQ(std::string(kHeader) + "APP=Tool|app|C:\\Tools\\Tool.exe\r\n", ReadFileBytes(fresh));
    EXPECT_EQ(PinResult::NoListFile, PinToAppList(L"", L"Tool", L"C:\\Tools\\Tool.exe"));
}

TEST(AppListPin, AListThatCannotBeReadIsNeverOverwritten) {
    fw::ComScope com;
    TempDir dir;
    const std::wstring file = dir.Join(L"applist.lst");
    const std::string unreadable("\xFE\xFF\0A\0P\0P", 8); // UTF-16 BE: refused by the reader
    dir.WriteFile(L"applist.lst", unreadable);
    EXPECT_EQ(PinResult::ReadFailed, PinToAppList(file.c_str(), L"Tool", L"C:\\Tools\\Tool.exe"));
    EXPECT_EQ(PinResult::ReadFailed, UnpinFromAppList(file.c_str(), L"C:\\Tools\\Tool.exe"));
    EXPECT_EQ(unreadable, ReadFileBytes(file));
}

TEST(AppListPin, TheFingerprintTellsAChangeOfContentButNotARewriteOfTheSameBytes) {
    TempDir dir;
    const std::wstring file = dir.Join(L"applist.lst");
    AppListFingerprint seen;
    ASSERT_EQ(1, TakeAppListFingerprint(file.c_str(), &seen));
    EXPECT_EQ(0, AppListChangedSince(file.c_str(), seen)) << "still no file";
    dir.WriteFile(L"applist.lst", std::string(kHeader));
    EXPECT_EQ(1, AppListChangedSince(file.c_str(), seen)) << "a file appeared";

    ASSERT_EQ(1, TakeAppListFingerprint(file.c_str(), &seen));
    EXPECT_EQ(seen.nHash, FingerprintOfBytes(kHeader).nHash);
    dir.WriteFile(L"applist.lst", std::string(kHeader)); // same bytes again
    EXPECT_EQ(0, AppListChangedSince(file.c_str(), seen));
    // Same size, other bytes: only the content tells.
    std::string other = kHeader;
    other[other.size() - 3] = 'X';
    dir.WriteFile(L"applist.lst", other);
    EXPECT_EQ(1, AppListChangedSince(file.c_str(), seen));
}

TEST(AppListPin, APackagedAppEntryIsNeverMissingAndHasAnIcon) {
    fw::ComScope com;
    TempDir dir;
    const std::wstring file = dir.Join(L"applist.lst");
    dir.WriteFile(L"applist.lst", std::string(kHeader) + "APP=Notes|app|" + Narrow(kPackaged) + "\r\n");
    for (const AppListReadOptions& options : {MainReader(), OptionsReader(0)}) {
        std::vector<AppListEntry> read; // ReadList checks that every entry has an icon
        ASSERT_EQ(AppListStatus::Ok, ReadList(file, options, &read));
        ASSERT_EQ(1u, read.size());
        EXPECT_STREQ(L"Notes", read[0].szName);
        EXPECT_STREQ(kPackaged, read[0].szPath);
    }
    EXPECT_EQ(1, IsPackagedAppPath(kPackaged));
    EXPECT_EQ(0, IsPackagedAppPath(L"shell:AppsFolder\\"));
    EXPECT_EQ(0, IsPackagedAppPath(L"C:\\shell:AppsFolder\\x"));
}
