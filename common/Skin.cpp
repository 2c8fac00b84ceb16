#include "Skin.h"

#include "Dpi.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"
#include "WMIQuery.h"

using fw::StrCopy;
using fw::StrFormat;

CSkin gSkin;

namespace {

constexpr const wchar_t* kDesign = L"DESIGN";

} // namespace

CSkin::CSkin() = default;

// GDI+ is already shut down when the global skin goes, so the cached images and
// the default font are left to the end of the process rather than deleted here.
CSkin::~CSkin() {
    Trace(L"CSkin::~CSkin()\n");
    Clear();
    static_cast<void>(pDefaultFont.release()); // see above
}

void CSkin::SetConfigPath(const wchar_t* path) {
    StrCopy(m_szConfigPath, 260, path ? path : L"");
}

int CSkin::ReadInt(const wchar_t* section, const wchar_t* key, int defaultValue) const {
    return static_cast<int>(::GetPrivateProfileIntW(section, key, defaultValue, m_szConfigPath));
}

int CSkin::ReadString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue, wchar_t* out,
                      size_t capacity) const {
    if (!out || capacity == 0)
        return 0;
    return static_cast<int>(::GetPrivateProfileStringW(section, key, defaultValue ? defaultValue : L"", out,
                                                       static_cast<DWORD>(capacity), m_szConfigPath));
}

int CSkin::ReadPathValue(const wchar_t* section, const wchar_t* key, wchar_t* out, size_t capacity,
                         int underSkinDirectory) const {
    if (!out || capacity == 0)
        return 0;
    out[0] = 0;
    wchar_t value[260];
    if (ReadString(section, key, L"", value, 260) == 0 || value[0] == 0)
        return 0;
    wchar_t joined[260];
    StrFormat(joined, 260, L"%s\\%s", underSkinDirectory ? szSkinDir : m_szModuleDir, value);
    StrCopy(out, capacity, joined);
    return 1;
}

_skinButton* CSkin::GetButton(size_t position, int create) {
    if (position < buttons.size())
        return buttons[position].get();
    if (!create)
        return nullptr;
    buttons.push_back(std::make_unique<_skinButton>());
    return buttons.back().get();
}

Gdiplus::Image* CSkin::GetFocusImage(int index) const {
    const auto i = static_cast<unsigned>(index);
    return i < focusImages.size() ? focusImages[i] : nullptr;
}

int CSkin::Load(const wchar_t* moduleDirectory, int parts) {
    if (!FileExists(m_szConfigPath)) {
        Trace(L"File not found. %s\n", m_szConfigPath);
        return 0;
    }
    // A file that exists but cannot be read (held locked, no access, a folder)
    // would load as nothing but defaults, a skin without images: report it.
    if (!fw::UniqueFile(::CreateFileW(m_szConfigPath, GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr))) {
        Trace(L"Configuration file cannot be read. %s\n", m_szConfigPath);
        return 0;
    }

    // The account's name and picture are the menu's; the options dialog shows neither.
    if (parts != kOptionsDialog) {
        wchar_t user[255] = {};
        DWORD userSize = 255;
        if (!::GetUserNameW(user, &userSize)) {
            Trace(L"GetUserName failed.\n");
            return 0;
        }
        _accountInfo account;
        if (!CWMIQuery::GetAccountInfo(user, &account)) {
            Trace(L"CWMIQuery GetAccountInfo failed\n");
            return 0;
        }
        StrCopy(m_szAccountName, 256, account.szName);
        StrCopy(m_szAccountSid, 256, account.szSid);
    }

    Clear();

    StrCopy(m_szModuleDir, 260, moduleDirectory ? moduleDirectory : L"");
    ReadString(kDesign, L"SKIN.PATH", L"", szSkinDir, 260);
    if (szSkinDir[0]) {
        wchar_t value[260];
        StrCopy(value, 260, szSkinDir);
        StrFormat(szSkinDir, 260, L"%s%s", m_szModuleDir, value);
    }

    wchar_t appList[260];
    ReadString(kDesign, L"SKIN.APPLIST", L"", appList, 260);
    if (appList[0])
        ResolveAppList(appList);

    m_bMenuParts = 0;
    bOptionsSmallIcon = ReadInt(kDesign, L"OPTIONS.SMALLICON", 0);
    nOptionsX = ReadInt(kDesign, L"OPTIONS.APPLIST.X", 11);
    nOptionsY = ReadInt(kDesign, L"OPTIONS.APPLIST.Y", 40);
    nOptionsWidth = ReadInt(kDesign, L"OPTIONS.APPLIST.WIDTH", 270);
    nOptionsHeight = ReadInt(kDesign, L"OPTIONS.APPLIST.HEIGHT", 367);

    LoadDesign(parts);
    if (parts == kAllParts) {
        LoadMenuParts();
    } else if (parts == kOptionsDialog) {
        LoadListFocusImages();
        LoadDefaultFont();
    }
    return 1;
}

// A drive path and a path with any backslash are taken as written; a bare file
// name goes into the user's roaming "Velmar" folder, which is made on demand.
void CSkin::ResolveAppList(const wchar_t* value) {
    if (wcslen(value) > 2 && value[1] == L':') {
        StrCopy(szAppList, 260, value);
        return;
    }
    if (wcschr(value, L'\\')) {
        StrCopy(szAppList, 260, value);
        return;
    }
    wchar_t folder[260] = {};
    GetSpecialFolderPath(nullptr, folder, CSIDL_APPDATA);
    fw::StrAppend(folder, 260, L"\\Velmar\\");
    if (!FileExists(folder))
        ::CreateDirectoryW(folder, nullptr);
    StrFormat(szAppList, 260, L"%s%s", folder, value);
}

int CSkin::LoadDesign(int parts) {
    wchar_t path[260];
    if (parts != kOptionsDialog && ReadPathValue(kDesign, L"STBTN.BACKGROUND", path, 260, 1))
        hStartButton.reset(LoadBitmapFile(path));
    nStartOffset = ReadInt(kDesign, L"STBTN.OFFSET", -7);
    nStartHeight = ReadInt(kDesign, L"STBTN.HEIGHT", 54);
    nStartWidth = ReadInt(kDesign, L"STBTN.WIDTH", 54);

    nAppListX = ReadInt(kDesign, L"MENU.APPLIST.X", 11);
    nAppListY = ReadInt(kDesign, L"MENU.APPLIST.Y", 11);
    nAppListWidth = ReadInt(kDesign, L"MENU.APPLIST.WIDTH", 264);
    nAppListHeight = ReadInt(kDesign, L"MENU.APPLIST.HEIGHT", 394);
    nAppListTextX = ReadInt(kDesign, L"MENU.APPLIST.TEXT.X", 0);
    nAppListTextY = ReadInt(kDesign, L"MENU.APPLIST.TEXT.Y", 0);

    nRecentCount = ReadInt(kDesign, L"MENU.RECENT.COUNT", 15);
    nRecentCount = nRecentCount < 1 ? 1 : nRecentCount > 100 ? 100 : nRecentCount;

    if (!ReadPathValue(kDesign, L"MENU.APPLIST.SETUP", szSetup, 260, 0))
        Trace(L"No setup program.\n");

    return 1;
}

void CSkin::LoadMenuParts() {
    if (m_bMenuParts)
        return;
    m_bMenuParts = 1;
    // Files are decoded in this order at every load: file images are numbered as they come.
    LoadListFocusImages();
    wchar_t path[260];
    if (ReadPathValue(kDesign, L"MENU.BACKGROUND", path, 260, 1))
        pMenuBackground = LoadImageFile(path);
    for (int n = 0;; ++n) {
        wchar_t key[256];
        StrFormat(key, 256, L"%s.%d", L"MENU.FOCUS", n);
        if (!ReadPathValue(kDesign, key, path, 260, 1))
            break;
        // An unreadable file keeps its place so that later numbers stay right.
        focusImages.push_back(LoadImageFile(path));
    }
    LoadButtons();
    LoadDefaultFont();
    LoadSearchLine();
    LoadDrawImages();
    // Last, so that a skin without it numbers its file images as before.
    pRecentArrow = ReadPathValue(kDesign, L"MENU.RECENT.ARROW", path, 260, 1) ? LoadImageFile(path) : nullptr;
}

// The selection images of the menu's lists, which the options dialog's list draws too.
void CSkin::LoadListFocusImages() {
    wchar_t path[260];
    if (ReadPathValue(kDesign, L"MENU.FOCUS.1", path, 260, 1))
        pFocus1 = LoadImageFile(path);
    if (ReadPathValue(kDesign, L"MENU.FOCUS.2", path, 260, 1))
        pFocus2 = LoadImageFile(path);
}

// Drops what belongs to one load. The image caches, the default font, the menu
// background, both focus images and the start button bitmap stay.
void CSkin::Clear() {
    Trace(L"CSkin::Clear()\n");
    pDefaultColor.reset();
    buttons.clear();
    m_drawImages.clear();
    focusImages.clear();
}

void DrawBackgroundUnder(Gdiplus::Graphics& graphics, HWND child, HWND menu, int dpi) {
    Gdiplus::Image* background = gSkin.pMenuBackground;
    if (!background)
        return;
    RECT rc;
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, menu, reinterpret_cast<POINT*>(&rc), 2);
    if (dpi != fw::kDesignDpi) {
        // The whole scaled background, placed so that the child's piece falls on it.
        DrawSkinImage(graphics, background, 0, 0, static_cast<int>(background->GetWidth()),
                      static_cast<int>(background->GetHeight()), dpi, -rc.left, -rc.top);
        return;
    }
    ::InflateRect(&rc, 3, 3);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    graphics.DrawImage(background, Gdiplus::Rect(-3, -3, w, h), rc.left, rc.top, w, h, Gdiplus::UnitPixel);
}
