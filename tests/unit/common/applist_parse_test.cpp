// The line grammar, the decoding of the file's bytes and the line pieces:
// pure functions, no files.
#include "AppList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

AppListLine Parse(const std::wstring& line, int* result = nullptr) {
    AppListLine out;
    int r = ParseAppListLine(line.c_str(), &out);
    if (result)
        *result = r;
    return out;
}

std::vector<std::wstring> Pieces(const std::wstring& text) {
    std::vector<std::wstring> pieces;
    SplitAppListLines(text, &pieces);
    return pieces;
}

} // namespace

TEST(AppListParse, SkipsEmptyCommentAndLinesWithoutEquals) {
    int r = -1;
    Parse(L"", &r);
    EXPECT_EQ(0, r);
    Parse(L"\n", &r);
    EXPECT_EQ(0, r);
    Parse(L"# Application List\n", &r);
    EXPECT_EQ(0, r);
    Parse(L"#APP=Editor|app|C:\\x.exe", &r);
    EXPECT_EQ(0, r);
    Parse(L"Editor|app|C:\\x.exe\n", &r);
    EXPECT_EQ(0, r);
    // A blank before "#" makes it no comment: the line is an entry.
    AppListLine line = Parse(L" #APP=Editor|app|C:\\x.exe", &r);
    EXPECT_EQ(1, r);
    EXPECT_STREQ(L"C:\\x.exe", line.szPath);
}

TEST(AppListParse, KeyDecidesTheKindWithoutRegardToCase) {
    EXPECT_EQ(kAppKindApplication, Parse(L"APP=a|app|C:\\a.exe\r\n").nKind);
    EXPECT_EQ(kAppKindShortcut, Parse(L"LNK=a|lnk|C:\\a.lnk\n").nKind);
    // The type word is ignored: a lower-case "lnk" key with "app" is a shortcut.
    EXPECT_EQ(kAppKindShortcut, Parse(L"lnk=a|app|C:\\a.lnk").nKind);
    EXPECT_EQ(kAppKindShortcut, Parse(L"Lnk=a|lnk|C:\\a.lnk").nKind);
    EXPECT_EQ(kAppKindApplication, Parse(L"aPp=a|app|C:\\a.exe").nKind);
    // The key is not trimmed, and any other key is an application.
    EXPECT_EQ(kAppKindApplication, Parse(L"LNK =a|lnk|C:\\a.lnk").nKind);
    EXPECT_EQ(kAppKindApplication, Parse(L"EXE=a|lnk|C:\\a.lnk").nKind);
    EXPECT_EQ(kAppKindApplication, Parse(L"=a|lnk|C:\\a.lnk").nKind);
    EXPECT_EQ(kAppKindApplication, Parse(L"LNKLNK=a|lnk|C:\\a.lnk").nKind);
}

TEST(AppListParse, SplitsNameAndPathAtExactlyTwoSeparators) {
    AppListLine line = Parse(L"APP=Editor|x|C:\\Program Files\\Ed\\ed.exe\r\n");
    EXPECT_STREQ(L"Editor", line.szName);
    EXPECT_STREQ(L"C:\\Program Files\\Ed\\ed.exe", line.szPath);
    // Blanks belong to their fields; only the first "=" splits.
    line = Parse(L"APP= a=b |app| C:\\x.exe \n");
    EXPECT_STREQ(L" a=b ", line.szName);
    EXPECT_STREQ(L" C:\\x.exe ", line.szPath);
    // One or three separators: the entry has no path.
    line = Parse(L"APP=Editor|C:\\x.exe\n");
    EXPECT_STREQ(L"Editor", line.szName);
    EXPECT_STREQ(L"", line.szPath);
    line = Parse(L"APP=Ed|itor|app|C:\\x.exe\n");
    EXPECT_STREQ(L"Ed", line.szName);
    EXPECT_STREQ(L"", line.szPath);
    // No separator at all: no name either.
    int r = 0;
    line = Parse(L"APP=Editor\n", &r);
    EXPECT_EQ(1, r);
    EXPECT_STREQ(L"", line.szName);
    EXPECT_STREQ(L"", line.szPath);
    // Empty name and empty path.
    line = Parse(L"APP=|app|\r\n");
    EXPECT_STREQ(L"", line.szName);
    EXPECT_STREQ(L"", line.szPath);
}

TEST(AppListParse, EntryTextEndsAtTheFirstLineBreak) {
    AppListLine line = Parse(L"APP=a|app|C:\\x.exe\rjunk|more\n");
    EXPECT_STREQ(L"C:\\x.exe", line.szPath);
    line = Parse(L"LNK=a|lnk|C:\\y.lnk\n");
    EXPECT_STREQ(L"C:\\y.lnk", line.szPath);
}

TEST(AppListParse, OverLongFieldsAreCutToTheirCapacity) {
    std::wstring key(300, L'K');
    std::wstring name(400, L'n');
    std::wstring path = L"C:\\" + std::wstring(600, L'p');
    int r = 0;
    AppListLine line = Parse(key + L"=" + name + L"|app|" + path + L"\n", &r);
    EXPECT_EQ(1, r);
    EXPECT_EQ(kAppKindApplication, line.nKind);
    EXPECT_EQ(255u, wcslen(line.szName));
    EXPECT_EQ(259u, wcslen(line.szPath));
    EXPECT_EQ(0, wcsncmp(line.szPath, L"C:\\ppp", 6));
    // A name and a path at their full lengths, as written, read back whole.
    std::wstring fullName(255, L'N');
    std::wstring fullPath = L"D:\\" + std::wstring(256, L'q');
    line = Parse(L"LNK=" + fullName + L"|lnk|" + fullPath + L"\r\n");
    EXPECT_EQ(fullName, line.szName);
    EXPECT_EQ(fullPath, line.szPath);
}

TEST(AppListDecode, MarksChooseTheEncoding) {
    std::wstring text;
    // UTF-8 with its mark, and without: "Ä" is C3 84.
    ASSERT_EQ(1, DecodeAppListBytes("\xEF\xBB\xBF" "APP=\xC3\x84|app|C:\\a.exe\r\n", &text));
    EXPECT_EQ(L"APP=\x00C4|app|C:\\a.exe\r\n", text);
    ASSERT_EQ(1, DecodeAppListBytes("APP=\xC3\x84|app|C:\\a.exe", &text));
    EXPECT_EQ(L"APP=\x00C4|app|C:\\a.exe", text);
    // UTF-16 LE with its mark; an odd last byte is dropped.
    ASSERT_EQ(1, DecodeAppListBytes(std::string("\xFF\xFE" "A\0=\0\xC4\0\n\0\x01", 11), &text));
    EXPECT_EQ(L"A=\x00C4\n", text);
    // UTF-16 BE is refused.
    EXPECT_EQ(0, DecodeAppListBytes(std::string("\xFE\xFF\0A\0=", 6), &text));
    // Empty file, or only the mark.
    EXPECT_EQ(1, DecodeAppListBytes("", &text));
    EXPECT_EQ(L"", text);
    EXPECT_EQ(1, DecodeAppListBytes("\xEF\xBB\xBF", &text));
    EXPECT_EQ(L"", text);
    // Broken UTF-8 does not lose the rest of the file.
    ASSERT_EQ(1, DecodeAppListBytes("APP=\xFF|app|C:\\a.exe\nLNK=b|lnk|C:\\b.lnk\n", &text));
    EXPECT_NE(std::wstring::npos, text.find(L"LNK=b|lnk|C:\\b.lnk\n"));
}

TEST(AppListSplit, CrLfAndLfEndLinesAndTheLastLineNeedsNoLineFeed) {
    std::vector<std::wstring> expected{L"# c\n", L"APP=a|app|x\n", L"\n", L"LNK=b|lnk|y"};
    EXPECT_EQ(expected, Pieces(L"# c\r\nAPP=a|app|x\n\r\nLNK=b|lnk|y"));
    // A lone CR is no line end.
    std::vector<std::wstring> lone{L"a\rb\n"};
    EXPECT_EQ(lone, Pieces(L"a\rb\r\n"));
    EXPECT_TRUE(Pieces(L"").empty());
}

TEST(AppListSplit, LongLinesComeInPiecesOf2047) {
    std::wstring line(5000, L'x');
    std::vector<std::wstring> pieces = Pieces(line + L"\r\nAPP=a|app|b\r\n");
    ASSERT_EQ(4u, pieces.size());
    EXPECT_EQ(2047u, pieces[0].size());
    EXPECT_EQ(2047u, pieces[1].size());
    EXPECT_EQ(std::wstring(906, L'x') + L"\n", pieces[2]);
    EXPECT_EQ(L"APP=a|app|b\n", pieces[3]);
    // The line feed counts: 2046 characters and LF fit one piece, 2047 do not.
    EXPECT_EQ(1u, Pieces(std::wstring(2046, L'y') + L"\n").size());
    pieces = Pieces(std::wstring(2047, L'y') + L"\n");
    ASSERT_EQ(2u, pieces.size());
    EXPECT_EQ(L"\n", pieces[1]);
}
