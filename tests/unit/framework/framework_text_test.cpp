#include "Text.h"

#include <gtest/gtest.h>

#include <string>

using namespace fw;

TEST(BoundedText, CopyCutsToCapacityAndTerminates) {
    wchar_t buf[6];
    wmemset(buf, L'x', 6);
    EXPECT_EQ(5u, StrCopy(buf, 6, L"abcdefghij"));
    EXPECT_STREQ(L"abcde", buf);
    EXPECT_EQ(0u, StrCopy(buf, 6, nullptr));
    EXPECT_STREQ(L"", buf);
    EXPECT_EQ(0u, StrCopy(buf, 1, L"abc"));
    EXPECT_STREQ(L"", buf);
}

TEST(BoundedText, CopyNStopsAtCountOrTerminator) {
    wchar_t buf[10];
    EXPECT_EQ(3u, StrCopyN(buf, 10, L"abcdef", 3));
    EXPECT_STREQ(L"abc", buf);
    EXPECT_EQ(2u, StrCopyN(buf, 10, L"ab", 5));
    EXPECT_STREQ(L"ab", buf);
}

TEST(BoundedText, AppendCutsAndHandlesUnterminatedBuffer) {
    wchar_t buf[8] = L"abc";
    EXPECT_EQ(7u, StrAppend(buf, 8, L"defghij"));
    EXPECT_STREQ(L"abcdefg", buf);
    // Appending to a full buffer leaves it as it is.
    EXPECT_EQ(7u, StrAppend(buf, 8, L"more"));
    EXPECT_STREQ(L"abcdefg", buf);
    // A buffer without a terminator is cut rather than overrun.
    wchar_t raw[4] = {L'a', L'b', L'c', L'd'};
    EXPECT_EQ(3u, StrAppend(raw, 4, L"e"));
    EXPECT_STREQ(L"abc", raw);
}

TEST(BoundedText, FormatUsesWideStringsAndCuts) {
    wchar_t buf[12];
    EXPECT_EQ(10u, StrFormat(buf, 12, L"%s-%d", L"skin_DEU", 7));
    EXPECT_STREQ(L"skin_DEU-7", buf);
    EXPECT_EQ(11u, StrFormat(buf, 12, L"%s\\%s", L"C:\\very\\long", L"path.png"));
    EXPECT_EQ(std::wstring(L"C:\\very\\lon"), buf);
    // Exactly filling the buffer is not a cut.
    EXPECT_EQ(11u, StrFormat(buf, 12, L"%s", L"01234567890"));
    EXPECT_STREQ(L"01234567890", buf);
}
