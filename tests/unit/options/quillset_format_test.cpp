// The text of the properties panel: digit groups, sizes (also past 2 GiB and
// 2^40), times with string 129 and with both forms of skin string 103, and the
// checks that keep a skin's format text from reaching the runtime unchecked.
#include <gtest/gtest.h>

#include "AppModule.h"
#include "MainDlg.h"
#include "Properties.h"

#include <shellapi.h>

#include <string>

namespace {

std::wstring Group(const wchar_t* digits) {
    wchar_t out[128];
    GroupDigits(digits, out, 128);
    return out;
}

std::wstring Size(uint64_t size) {
    fw::gModule.Init(::GetModuleHandleW(nullptr)); // strings 130 and 131 come from this program's resources
    wchar_t out[256];
    FormatFileSize(size, out, 256);
    return out;
}

tm At(int year, int month, int day, int hour, int minute, int second, int weekday) {
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_wday = weekday;
    return t;
}

std::wstring TimeWith(const tm& t, const wchar_t* resource, const wchar_t* skin) {
    wchar_t out[256];
    FormatFileTimeWith(t, resource, skin, out, 256);
    return out;
}

} // namespace

TEST(QuillsetDigits, GroupsOfThreeCountedFromTheRight) {
    EXPECT_EQ(L"5", Group(L"5"));
    EXPECT_EQ(L"12", Group(L"12"));
    EXPECT_EQ(L"512", Group(L"512"));
    EXPECT_EQ(L"1,024", Group(L"1024"));
    EXPECT_EQ(L"123,456", Group(L"123456"));
    EXPECT_EQ(L"1,572,864", Group(L"1572864"));
    EXPECT_EQ(L"3,221,225,472", Group(L"3221225472"));
    EXPECT_EQ(L"", Group(L""));
    wchar_t small[4];
    EXPECT_EQ(3u, GroupDigits(L"1234567", small, 4));
    EXPECT_EQ(std::wstring(L"1,2"), small);
}

TEST(QuillsetSize, BytesUpToTheFirstKilobyte) {
    EXPECT_EQ(L"5 bytes (5 bytes)", Size(5));
    EXPECT_EQ(L"512 bytes (512 bytes)", Size(512));
    EXPECT_EQ(L"999 bytes (999 bytes)", Size(999));
    EXPECT_EQ(L"1023 bytes (1,023 bytes)", Size(1023));
}

TEST(QuillsetSize, KilobytesMegabytesAndGigabytesWithTwoDecimals) {
    EXPECT_EQ(L"1.00 KB (1,024 bytes)", Size(1024));
    EXPECT_EQ(L"1.50 MB (1,572,864 bytes)", Size(1572864));
    EXPECT_EQ(L"1023.99 MB (1,073,731,797 bytes)", Size(1073731797));
    EXPECT_EQ(L"1.00 GB (1,073,741,824 bytes)", Size(1073741824));
}

TEST(QuillsetSize, TwoGibibytesAndMoreKeepTheirFullSize) {
    EXPECT_EQ(L"2.00 GB (2,147,483,648 bytes)", Size(2147483648ULL));
    EXPECT_EQ(L"3.00 GB (3,221,225,472 bytes)", Size(3221225472ULL));
    EXPECT_EQ(L"4.00 GB (4,294,967,297 bytes)", Size(4294967297ULL));
    EXPECT_EQ(L"1.00 TB (1,099,511,627,776 bytes)", Size(1099511627776ULL));
    EXPECT_EQ(L"1.50 TB (1,649,267,441,664 bytes)", Size(1649267441664ULL));
    EXPECT_EQ(L"16777216.00 TB (18,446,744,073,709,551,615 bytes)", Size(~0ULL));
}

TEST(QuillsetSize, WithoutString130TheBoxStaysEmpty) {
    wchar_t out[256] = L"x";
    EXPECT_EQ(0u, FormatFileSizeWith(512, nullptr, L"bytes", out, 256));
    EXPECT_EQ(std::wstring(), out);
    FormatFileSizeWith(512, L"%s / %s", L"Bytes", out, 256);
    EXPECT_EQ(std::wstring(L"512 Bytes / 512"), out);
}

TEST(QuillsetTime, String129GivesEnglishNamesAndOneBlankBeforeTheHalfOfTheDay) {
    fw::gModule.Init(::GetModuleHandleW(nullptr));
    wchar_t out[256];
    FormatFileTime(At(2024, 3, 5, 14, 7, 9, 2), out, 256);
    EXPECT_EQ(std::wstring(L"Tuesday, March 05, 2024, 02:07:09 PM"), out);
    FormatFileTime(At(2023, 12, 31, 9, 5, 3, 0), out, 256);
    EXPECT_EQ(std::wstring(L"Sunday, December 31, 2023, 09:05:03 AM"), out);
    FormatFileTime(At(2024, 1, 1, 0, 0, 0, 1), out, 256);
    EXPECT_EQ(std::wstring(L"Monday, January 01, 2024, 12:00:00 AM"), out);
    FormatFileTime(At(2024, 7, 4, 12, 30, 0, 4), out, 256);
    EXPECT_EQ(std::wstring(L"Thursday, July 04, 2024, 12:30:00 PM"), out);
}

TEST(QuillsetTime, SkinString103InItsTimeFormatForm) {
    tm t = At(2024, 3, 5, 14, 7, 9, 2);
    EXPECT_EQ(L"2024-03-05 14:07:09", TimeWith(t, nullptr, L"%Y-%m-%d %H:%M:%S"));
    EXPECT_EQ(L"05.03.2024 02:07 PM", TimeWith(t, L"", L"%d.%m.%Y %I:%M"));
    // Used only when string 129 gives nothing.
    EXPECT_EQ(L"2024 02 PM", TimeWith(t, L"%Y %I", L"%d.%m.%Y"));
}

TEST(QuillsetTime, SkinString103InItsSixIntegerForm) {
    tm t = At(2024, 3, 5, 14, 7, 9, 2);
    EXPECT_EQ(L"2024/03/05 14:07:09", TimeWith(t, nullptr, L"%04d/%02d/%02d %02d:%02d:%02d"));
    EXPECT_EQ(L"2024-3", TimeWith(t, nullptr, L"%d-%d"));
    EXPECT_EQ(L"year 2024", TimeWith(t, nullptr, L"year %ld"));
}

TEST(QuillsetTime, AFormatThatWouldReadOtherArgumentsIsNotUsed) {
    tm t = At(2024, 3, 5, 14, 7, 9, 2);
    EXPECT_EQ(L"", TimeWith(t, nullptr, L"%s"));
    EXPECT_EQ(L"", TimeWith(t, nullptr, L"%d %d %d %d %d %d %d"));
    EXPECT_EQ(L"", TimeWith(t, nullptr, L"%n"));
    EXPECT_EQ(L"", TimeWith(t, nullptr, L"%Y %Q"));
    EXPECT_EQ(L"", TimeWith(t, nullptr, nullptr));
    EXPECT_EQ(L"100% 2024", TimeWith(t, nullptr, L"100%% %d"));
}

TEST(QuillsetKind, TheExtensionDecidesWithoutRegardToCase) {
    EXPECT_EQ(1, AppKindFromPath(L"C:\\a\\Tool.LNK"));
    EXPECT_EQ(0, AppKindFromPath(L"C:\\a\\tool.Exe"));
    EXPECT_EQ(-1, AppKindFromPath(L"C:\\a\\run.bat"));
    EXPECT_EQ(-1, AppKindFromPath(L"C:\\a.exe\\readme"));
    EXPECT_EQ(-1, AppKindFromPath(L"C:\\a\\exe"));
}

TEST(QuillsetPlacement, TheDialogSitsInTheCornerWhereTheTaskbarBegins) {
    RECT work{40, 30, 1280, 760};
    auto at = [&](UINT edge) {
        POINT p = CMainDlg::TaskbarCorner(edge, work, 300, 200);
        return std::make_pair(p.x, p.y);
    };
    EXPECT_EQ(std::make_pair(40L, 0L), at(ABE_LEFT));
    EXPECT_EQ(std::make_pair(0L, 30L), at(ABE_TOP));
    EXPECT_EQ(std::make_pair(980L, 0L), at(ABE_RIGHT));
    EXPECT_EQ(std::make_pair(0L, 560L), at(ABE_BOTTOM));
    EXPECT_EQ(std::make_pair(0L, 0L), at(0xFFFFFFFFu));
}
