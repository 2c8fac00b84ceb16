#include "tree_test_support.h"

#include "ScreenCapture.h"

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

DWORD Rgb(BYTE r, BYTE g, BYTE b) { return (static_cast<DWORD>(r) << 16) | (static_cast<DWORD>(g) << 8) | b; }

// The background varies along both axes, so a misplaced source rectangle shows.
DWORD BackgroundAt(int x, int y) { return Rgb(static_cast<BYTE>(150 + x % 100), static_cast<BYTE>(160 + y % 90), 235); }
const DWORD kFocus = Rgb(255, 196, 110);

// A skin made for the test: background, focus image 2 and a font that the prefix has.
void InstallSkin() {
    auto* background = new Gdiplus::Bitmap(449, 486, PixelFormat32bppARGB);
    for (int y = 0; y < 486; ++y)
        for (int x = 0; x < 449; ++x) {
            DWORD c = BackgroundAt(x, y);
            background->SetPixel(x, y, Gdiplus::Color(255, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
        }
    auto* focus = new Gdiplus::Bitmap(258, 29, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(focus);
        Gdiplus::SolidBrush brush(Gdiplus::Color(255, 255, 196, 110));
        g.FillRectangle(&brush, 0, 0, 258, 29);
    }
    gSkin.pMenuBackground = background;
    gSkin.focusImages = {nullptr, nullptr, focus};
    gSkin.pDefaultFont = std::make_unique<Gdiplus::Font>(L"Liberation Sans", 9);
    gSkin.nAppListTextX = 2;
    gSkin.nAppListTextY = 0;
}

void RemoveSkin() {
    gSkin.pMenuBackground = nullptr;
    gSkin.focusImages.clear();
    gSkin.pDefaultFont.reset();
}

HICON ShellIcon(const wchar_t* path) {
    SHFILEINFOW info{};
    SHGetFileInfoW(path, 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SMALLICON);
    return info.hIcon;
}

const UINT kListId = 1201;
const RECT kListRect = {14, 12, 14 + 250, 12 + 300};

// An owner on top of every window, for screenshots of what it shows.
bool CreateOwnerOnTop(OwnerWnd& owner) {
    return owner.CreateOwner() && SetWindowPos(owner, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The tree with the styles the menu gives its lists, plus `shown`.
bool CreateAsInTheMenu(CTreeWnd& tree, HWND owner, DWORD shown) {
    return tree.Create(owner, kListRect, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | shown,
                       WS_EX_COMPOSITED | WS_EX_CONTROLPARENT, kListId) != nullptr;
}

} // namespace

TEST(TreePaint, BackgroundHighlightIconsAndTextLandWhereTheRowsAre) {
    fw::ComScope com;
    InstallSkin();
    OwnerWnd owner;
    ASSERT_TRUE(CreateOwnerOnTop(owner));
    CTreeWnd tree(owner, kListId);
    ASSERT_TRUE(CreateAsInTheMenu(tree, owner, WS_VISIBLE));
    tree.SetMaxRows(-1);
    tree.SetSmallIcons(1);
    tree.SetRowHeight(23);
    tree.SetHotImage(2);
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    HICON folderIcon = ShellIcon(windows);
    HICON appIcon = ShellIcon((std::wstring(windows) + L"\\notepad.exe").c_str());
    tree.AdoptIcon(folderIcon);
    tree.AdoptIcon(appIcon);
    tree.AddItem(L"Notepad", appIcon, 0x30, 23);
    tree.AddItem(L"Velmar version probe", appIcon, 0x30, 23);
    int folder = tree.AddItem(L"Accessories", folderIcon, 0x70, 23);
    _treeNode* accessories = tree.FindItem(folder);
    tree.AddItem(L"Calculator", appIcon, 0x30, 23, accessories);
    int hot = tree.AddItem(L"Paint", appIcon, 0x30, 23, accessories);
    accessories->bExpanded = TRUE;
    tree.AddItem(L"Games", folderIcon, 0x70, 23);
    tree.AddItem(L"Startup", folderIcon, 0x70, 23);
    RedrawWindow(owner, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Hover the row as the mouse would.
    SendMove(tree, Center(tree.FindItem(hot)->rcItem));
    ASSERT_EQ(hot, tree.nHotId);
    UpdateWindow(tree);

    Capture shot(owner, Capture::kAsDrawn);
    shot.Save(BinDir() + L"\\tree_paint.bmp");
    const int ox = kListRect.left, oy = kListRect.top; // the list inside the owner
    const RECT hotRow = tree.FindItem(hot)->rcItem;

    // The menu background continues under the list (below the last row).
    for (POINT p : {POINT{10, 250}, POINT{120, 280}, POINT{200, 200}})
        EXPECT_EQ(BackgroundAt(ox + p.x, oy + p.y), shot.At(ox + p.x, oy + p.y)) << p.x << "," << p.y;
    // The highlight starts at the list's left edge, 3 pixels above the hot row.
    EXPECT_EQ(kFocus, shot.At(ox + 1, oy + hotRow.top - 2));
    EXPECT_EQ(kFocus, shot.At(ox + 200, oy + hotRow.bottom));
    // Other rows show the background there.
    const RECT first = tree.FindItem(31)->rcItem;
    EXPECT_EQ(BackgroundAt(ox + 1, oy + first.top + 2), shot.At(ox + 1, oy + first.top + 2));
    // Black text right of the icon (x + 22 + TEXT.X) in the hot row and in the first row.
    auto hasText = [&](const RECT& row, int level) {
        int left = ox + 3 + (level - 1) * 22 + 22 + 2;
        for (int y = oy + row.top; y < oy + row.bottom; ++y)
            for (int x = left; x < left + 40; ++x)
                if (shot.At(x, y) == 0)
                    return true;
        return false;
    };
    EXPECT_TRUE(hasText(hotRow, 2));
    EXPECT_TRUE(hasText(first, 1));

    tree.DestroyWindow();
    RemoveSkin();
}

TEST(TreePaint, MissingSkinPiecesDrawNothingAndDoNotCrash) {
    fw::ComScope com;
    RemoveSkin();
    OwnerWnd owner;
    ASSERT_TRUE(owner.CreateOwner());
    CTreeWnd tree(owner, kListId);
    ASSERT_TRUE(tree.Create(owner, kListRect, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, kListId));
    tree.SetHotImage(5); // no such focus image
    int id = tree.AddItem(L"text without a font", nullptr, 0x30, 36);
    tree.nHotId = id;
    Repaint(tree);
    EXPECT_FALSE(IsRectEmpty(&tree.FindItem(id)->rcItem));
}

// Shown again with the same scroll bar, the tree puts back what the system
// drew; with the bar moved meanwhile, the system draws it again.
TEST(TreePaint, ScrollBarShownAgainLooksAsTheSystemDrewIt) {
    fw::ComScope com;
    InstallSkin();
    OwnerWnd owner;
    ASSERT_TRUE(CreateOwnerOnTop(owner));
    CTreeWnd tree(owner, kListId);
    ASSERT_TRUE(CreateAsInTheMenu(tree, owner, 0));
    tree.SetMaxRows(-1);
    tree.SetRowHeight(23);
    for (int i = 0; i < 40; ++i)
        tree.AddItem((L"Row " + std::to_wstring(i)).c_str(), nullptr, 0x10, 23);
    RECT ownerRect;
    GetWindowRect(owner, &ownerRect);
    SetCursorPos(ownerRect.right + 40, ownerRect.bottom + 40); // no hot part
    // The bar in the tree's window coordinates.
    RECT frame, client;
    GetWindowRect(tree, &frame);
    GetClientRect(tree, &client);
    MapWindowPoints(tree, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const RECT barRect = {client.right - frame.left, 0, frame.right - frame.left, frame.bottom - frame.top};
    ASSERT_LT(barRect.left, barRect.right) << "no scroll bar";
    // Hidden (and changed meanwhile), shown again: the bar's pixels as the
    // tree drew them (the screen shows them a moment later under Wine).
    auto bar = [&](void (*whileHidden)(CTreeWnd&)) {
        ShowWindow(tree, SW_HIDE);
        whileHidden(tree);
        ShowWindow(tree, SW_SHOW);
        RedrawWindow(owner, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return WindowPixels(tree, barRect);
    };
    auto nothing = [](CTreeWnd&) {};
    const std::vector<DWORD> top = bar(nothing);
    EXPECT_EQ(top, bar(nothing));
    EXPECT_EQ(top, bar(nothing)); // copied
    const std::vector<DWORD> down = bar([](CTreeWnd& t) { SendMessageW(t, WM_VSCROLL, SB_PAGEDOWN, 0); });
    EXPECT_NE(top, down);
    EXPECT_EQ(down, bar(nothing));
    EXPECT_EQ(top, bar([](CTreeWnd& t) { t.CollapseAll(); })); // back at the top while hidden
    tree.DestroyWindow();
    RemoveSkin();
}

// A kept picture is drawn again only for another key or place, and copied
// only while it is the picture asked for.
TEST(PaintCache, DrawsOncePerKeyAndPlaceAndCopiesOnlyTheCurrentPicture) {
    HDC screen = GetDC(nullptr);
    CPaintSurface target;
    HDC into = target.Get(screen, 20, 20);
    ASSERT_TRUE(into);
    PatBlt(into, 0, 0, 20, 20, BLACKNESS);
    CPaintCache cache;
    int draws = 0, keyA = 0, keyB = 0;
    auto draw = [&](HDC memory) {
        ++draws;
        PatBlt(memory, 0, 0, 10, 10, WHITENESS);
    };
    const RECT at = {0, 0, 10, 10}, moved = {1, 0, 11, 10};
    EXPECT_FALSE(cache.CopyIfCurrent(into, 0, 0, &keyA, at)) << "nothing made yet";
    EXPECT_TRUE(cache.Make(screen, &keyA, at, draw));
    EXPECT_TRUE(cache.Make(screen, &keyA, at, draw));
    EXPECT_EQ(1, draws);
    EXPECT_FALSE(cache.CopyIfCurrent(into, 0, 0, &keyB, at));
    EXPECT_FALSE(cache.CopyIfCurrent(into, 0, 0, &keyA, moved));
    EXPECT_EQ(0u, GetPixel(into, 5, 5) & 0xFFFFFF) << "a refused copy draws nothing";
    EXPECT_TRUE(cache.CopyIfCurrent(into, 5, 5, &keyA, at));
    EXPECT_EQ(0xFFFFFFu, GetPixel(into, 5, 5) & 0xFFFFFF);
    EXPECT_EQ(0u, GetPixel(into, 4, 4) & 0xFFFFFF);
    EXPECT_TRUE(cache.Make(screen, &keyA, moved, draw));
    EXPECT_TRUE(cache.Make(screen, &keyB, moved, draw));
    EXPECT_EQ(3, draws);
    ReleaseDC(nullptr, screen);
}
