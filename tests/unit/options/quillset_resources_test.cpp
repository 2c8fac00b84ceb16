// Dialog 129 and the string table as the program ships them (and as every
// satellite library must repeat them): ids, classes, texts, rectangles,
// styles and the order that is also the tab order.
#include <gtest/gtest.h>

#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace {

struct Item {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring cls;
    std::wstring text;
};

struct Template {
    DWORD exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption, font;
    WORD pointSize = 0;
    std::vector<Item> items;
};

const WORD* ReadSzOrOrd(const WORD* p, std::wstring* out) {
    if (*p == 0xFFFF) {
        WORD ordinal = p[1];
        static const wchar_t* kNames[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        *out = ordinal >= 0x80 && ordinal <= 0x85 ? kNames[ordinal - 0x80] : L"#" + std::to_wstring(ordinal);
        return p + 2;
    }
    out->clear();
    while (*p)
        out->push_back(static_cast<wchar_t>(*p++));
    return p + 1;
}

const BYTE* AlignDword(const void* p, const void* base) {
    size_t offset = static_cast<const BYTE*>(p) - static_cast<const BYTE*>(base);
    return static_cast<const BYTE*>(base) + ((offset + 3) & ~size_t(3));
}

bool LoadTemplate(Template* t) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, MAKEINTRESOURCEW(IDD_MAINDLG), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!res)
        return false;
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(self, res)));
    const WORD* w = reinterpret_cast<const WORD*>(base);
    if (w[0] != 1 || w[1] != 0xFFFF)
        return false; // not an extended template
    const BYTE* p = base + 8; // dlgVer, signature, helpID
    memcpy(&t->exStyle, p, 4);
    memcpy(&t->style, p + 4, 4);
    WORD count;
    memcpy(&count, p + 8, 2);
    memcpy(&t->x, p + 10, 2);
    memcpy(&t->y, p + 12, 2);
    memcpy(&t->cx, p + 14, 2);
    memcpy(&t->cy, p + 16, 2);
    w = reinterpret_cast<const WORD*>(p + 18);
    std::wstring menu, cls;
    w = ReadSzOrOrd(w, &menu);
    w = ReadSzOrOrd(w, &cls);
    w = ReadSzOrOrd(w, &t->caption);
    t->pointSize = w[0];
    w += 3; // point size, weight, italic + charset
    w = ReadSzOrOrd(w, &t->font);
    for (WORD i = 0; i < count; ++i) {
        const BYTE* q = AlignDword(w, base);
        Item item{};
        memcpy(&item.exStyle, q + 4, 4);
        memcpy(&item.style, q + 8, 4);
        memcpy(&item.x, q + 12, 2);
        memcpy(&item.y, q + 14, 2);
        memcpy(&item.cx, q + 16, 2);
        memcpy(&item.cy, q + 18, 2);
        DWORD id;
        memcpy(&id, q + 20, 4);
        item.id = static_cast<int>(id);
        w = reinterpret_cast<const WORD*>(q + 24);
        w = ReadSzOrOrd(w, &item.cls);
        w = ReadSzOrOrd(w, &item.text);
        WORD extra = *w++;
        w = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(w) + extra);
        t->items.push_back(item);
    }
    return true;
}

std::wstring String(UINT id) {
    wchar_t buf[512] = {};
    LoadStringW(GetModuleHandleW(nullptr), id, buf, 512);
    return buf;
}

} // namespace

TEST(QuillsetResources, Dialog129HasItsCaptionStyleFontAndSize) {
    Template t;
    ASSERT_TRUE(LoadTemplate(&t));
    EXPECT_EQ(0x84C800C0u, t.style);
    EXPECT_EQ(L"Start Menu Options", t.caption);
    EXPECT_EQ(L"MS Sans Serif", t.font);
    EXPECT_EQ(8, t.pointSize);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(460, t.cx);
    EXPECT_EQ(260, t.cy);
}

TEST(QuillsetResources, Dialog129ControlsInTabOrderWithTheirRectangles) {
    Template t;
    ASSERT_TRUE(LoadTemplate(&t));
    struct Want {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
        short x, y, cx, cy;
    };
    const Want want[] = {
        {IDOK, L"Button", L"OK", 287, 239, 50, 14},
        {IDCANCEL, L"Button", L"Cancel", 345, 239, 50, 14},
        {130, L"Button", L"Apply", 403, 239, 50, 14},
        {-1, L"Button", L"Properties", 194, 7, 259, 226},
        {1001, L"Edit", L"", 253, 34, 192, 14},
        {-1, L"Static", L"", 201, 55, 245, 7},
        {-1, L"Static", L"Type of file:", 201, 71, 41, 8},
        {1002, L"Edit", L"", 253, 71, 192, 14},
        {1003, L"Edit", L"", 253, 91, 192, 14},
        {-1, L"Static", L"Description:", 201, 91, 41, 8},
        {-1, L"Static", L"", 201, 112, 245, 7},
        {1004, L"Edit", L"", 253, 124, 177, 14},
        {-1, L"Static", L"Location:", 201, 127, 41, 8},
        {1005, L"Edit", L"", 253, 145, 192, 14},
        {-1, L"Static", L"Size:", 201, 145, 41, 8},
        {-1, L"Static", L"", 201, 163, 245, 7},
        {1006, L"Edit", L"", 253, 177, 192, 14},
        {-1, L"Static", L"Created:", 201, 177, 41, 8},
        {1007, L"Edit", L"", 253, 194, 192, 14},
        {-1, L"Static", L"Modified:", 201, 194, 41, 8},
        {1008, L"Edit", L"", 253, 211, 192, 14},
        {-1, L"Static", L"Accessed:", 201, 211, 41, 8},
        {1009, L"Static", L"", 201, 25, 20, 20},
        {1010, L"Button", L"...", 431, 124, 14, 14},
        {-1, L"Static", L" Applications:", 7, 7, 179, 15},
        {1011, L"Button", L"U", 155, 8, 14, 14},
        {1012, L"Button", L"D", 169, 8, 14, 14},
        {1013, L"Button", L"A", 141, 8, 14, 14},
        {1014, L"Button", L"N", 127, 8, 14, 14},
    };
    ASSERT_EQ(std::size(want), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const Item& got = t.items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(want[i].id, static_cast<short>(got.id));
        EXPECT_EQ(0, _wcsicmp(want[i].cls, got.cls.c_str())) << got.cls;
        EXPECT_EQ(want[i].text, got.text);
        EXPECT_EQ(want[i].x, got.x);
        EXPECT_EQ(want[i].y, got.y);
        EXPECT_EQ(want[i].cx, got.cx);
        EXPECT_EQ(want[i].cy, got.cy);
        EXPECT_TRUE(got.style & WS_VISIBLE);
    }
}

TEST(QuillsetResources, Dialog129StylesOfTheControls) {
    Template t;
    ASSERT_TRUE(LoadTemplate(&t));
    auto styleOf = [&](size_t i) { return t.items[i].style & ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE); };
    EXPECT_EQ(static_cast<DWORD>(BS_DEFPUSHBUTTON | WS_TABSTOP), styleOf(0));
    EXPECT_EQ(static_cast<DWORD>(WS_TABSTOP), styleOf(1));
    EXPECT_EQ(static_cast<DWORD>(WS_TABSTOP), styleOf(2));
    EXPECT_EQ(static_cast<DWORD>(BS_GROUPBOX), styleOf(3));
    EXPECT_EQ(static_cast<DWORD>(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP), styleOf(4));
    EXPECT_EQ(static_cast<DWORD>(SS_ETCHEDHORZ), styleOf(5));
    EXPECT_EQ(static_cast<DWORD>(WS_GROUP), styleOf(6));
    for (size_t i : {7, 8, 13, 16, 18, 20})
        EXPECT_EQ(static_cast<DWORD>(ES_AUTOHSCROLL | ES_READONLY), styleOf(i)) << i;
    EXPECT_EQ(static_cast<DWORD>(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP), styleOf(11));
    EXPECT_EQ(static_cast<DWORD>(SS_ICON), styleOf(22));
    EXPECT_EQ(static_cast<DWORD>(WS_TABSTOP), styleOf(23));
    EXPECT_EQ(static_cast<DWORD>(SS_CENTERIMAGE | WS_GROUP), styleOf(24));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_STATICEDGE), t.items[24].exStyle);
    for (size_t i : {25, 26, 27, 28})
        EXPECT_FALSE(t.items[i].style & WS_TABSTOP) << i;
    EXPECT_TRUE(t.items[26].style & BS_BITMAP);
}

TEST(QuillsetResources, StringTableTexts) {
    EXPECT_EQ(L"%A, %B %d, %Y, %I:%M:%S ", String(129));
    EXPECT_EQ(L"%s (%s bytes)", String(130));
    EXPECT_EQ(L"bytes", String(131));
    EXPECT_EQ(L"Shortcut (*.lnk)|*.lnk|Application (*.exe)|*.exe|All files (*.*)|*.*||", String(134));
    EXPECT_EQ(L"Move up", String(135));
    EXPECT_EQ(L"Move down", String(136));
    EXPECT_EQ(L"Delete", String(137));
    EXPECT_EQ(L"Add", String(138));
    EXPECT_EQ(L"Error occurred while writing the file.", String(139));
    EXPECT_EQ(L"Error", String(140));
    EXPECT_EQ(L"Error occurred while reading the file.", String(141));
    EXPECT_EQ(L"Configuration file was not found.\nPlease check the file path and try again.", String(142));
}

TEST(QuillsetResources, ButtonStripIsSixteenImagesOf21Pixels) {
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BUTTONS), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_TRUE(strip);
    BITMAP bm{};
    GetObjectW(strip, sizeof(bm), &bm);
    EXPECT_EQ(336, bm.bmWidth);
    EXPECT_EQ(21, bm.bmHeight);
    DeleteObject(strip);
    EXPECT_TRUE(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 32, 32, 0));
}

TEST(QuillsetResources, TheGermanLibraryCarriesTheSameResourcesTranslated) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll = path;
    dll = dll.substr(0, dll.find_last_of(L'\\')) + L"\\QuillsetDEU.DLL";
    HMODULE german = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(german) << "QuillsetDEU.DLL is built beside the tests";
    auto text = [&](UINT id) {
        wchar_t buf[512] = {};
        LoadStringW(german, id, buf, 512);
        return std::wstring(buf);
    };
    EXPECT_EQ(L"Fehler", text(140));
    EXPECT_EQ(L"Hinzufügen", text(138));
    EXPECT_EQ(L"%s (%s Bytes)", text(130));
    EXPECT_EQ(L"Verknüpfung (*.lnk)|*.lnk|Programm (*.exe)|*.exe|Alle Dateien (*.*)|*.*||", text(134));
    for (UINT id = 129; id <= 142; ++id) {
        if (id != 132 && id != 133) {
            EXPECT_NE(L"", text(id)) << id;
        }
    }
    EXPECT_TRUE(FindResourceW(german, MAKEINTRESOURCEW(IDD_MAINDLG), MAKEINTRESOURCEW(5)));
    EXPECT_TRUE(FindResourceW(german, MAKEINTRESOURCEW(IDB_BUTTONS), MAKEINTRESOURCEW(2)));
    EXPECT_TRUE(FindResourceW(german, MAKEINTRESOURCEW(IDR_MAINFRAME), MAKEINTRESOURCEW(14)));
    FreeLibrary(german);
}
