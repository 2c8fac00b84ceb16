// Numbered strings and images of the skin, image files by path, icons, the
// start button bitmap and the account picture. Images pass through two caches
// so that each file is decoded once per process.
#include "Skin.h"

#include "AppModule.h"
#include "Text.h"
#include "Trace.h"
#include "Utils.h"

#include <shlobj.h>

using fw::StrFormat;

namespace {

constexpr const wchar_t* kResource = L"RESOURCE";
constexpr const wchar_t* kAccountPictures =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AccountPicture\\Users\\";

} // namespace

int CSkin::GetString(int number, wchar_t* out, size_t capacity) const {
    if (!out || capacity == 0)
        return 0;
    wchar_t key[128];
    wchar_t value[1024];
    StrFormat(key, 128, L"STRING.%d", number);
    if (ReadString(kResource, key, L"", value, 1024) == 0 || value[0] == 0) {
        out[0] = 0;
        return 0;
    }
    // A caller with a smaller buffer gets the text cut.
    fw::StrCopy(out, capacity, value);
    return 1;
}

// A GDI+ image of the file, or null when it cannot be decoded.
Gdiplus::Image* CSkin::DecodeImage(const wchar_t* path) {
    auto* image = new Gdiplus::Image(path, FALSE);
    if (!image)
        return nullptr;
    if (image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        return nullptr;
    }
    ++m_nDecodes;
    m_imagePaths[image] = path;
    return image;
}

Gdiplus::Image* CSkin::GetImage(int number) {
    auto cached = m_images.find(number);
    if (cached != m_images.end())
        return cached->second;

    Gdiplus::Image* image = nullptr;
    if (number == 1) {
        if (m_bAccountPictureMissing)
            return nullptr;
        image = LoadAccountPicture();
        m_bAccountPictureMissing = image ? 0 : 1;
    } else {
        wchar_t key[256];
        wchar_t path[260];
        StrFormat(key, 256, L"IMAGE.%d", number);
        if (!ReadPathValue(kResource, key, path, 260, 1))
            return nullptr;
        image = DecodeImage(path);
        if (!image)
            Trace(L"LoadImage failed. ");
    }
    // A missing skin image is looked for again at the next request.
    if (image)
        m_images[number] = image;
    return image;
}

Gdiplus::Image* CSkin::RetryAccountPicture() {
    m_bAccountPictureMissing = 0;
    return GetImage(1);
}

Gdiplus::Image* CSkin::LoadImageFile(const wchar_t* path) {
    if (!path)
        return nullptr;
    const uint32_t hash = HashPath(path, wcslen(path));
    // The hash is the fast key; the stored path tells colliding paths apart.
    auto range = m_imageNames.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second.first != path)
            continue;
        auto image = m_images.find(it->second.second);
        if (image != m_images.end())
            return image->second;
    }
    Gdiplus::Image* image = DecodeImage(path);
    if (!image) {
        Trace(L"LoadImage failed. ");
        return nullptr;
    }
    const int number = NextImageNumber();
    Trace(L"Set %s -> %u, %d\n", path, hash, number);
    m_imageNames.emplace(hash, std::make_pair(std::wstring(path), number));
    m_images[number] = image;
    return image;
}

int CSkin::NextImageNumber() const {
    const int count = static_cast<int>(m_imageNames.size());
    int number = count >= 5000 ? count : count + 5000;
    while (m_images.count(number))
        ++number;
    return number;
}

// "file,-id" or "file,-id,(WxH)": the icon with resource identifier id, 32 x 32
// unless a size is given. The file is used as written.
HICON CSkin::LoadIconSpec(const wchar_t* iconText) const {
    if (!iconText)
        return nullptr;
    wchar_t file[260] = {};
    int id = 0, width = 0, height = 0;
    const int fields = swscanf_s(iconText, L"%[^,],-%d,(%dx%d)", file, 260u, &id, &width, &height);
    if (fields == EOF || fields < 1)
        return nullptr;
    // Without a complete size part (a file alone means its first icon) the icon is 32 x 32.
    if (fields < 4) {
        width = 32;
        height = 32;
    }
    // The count is asked without an id slot: some implementations given one write into the absent icon array.
    const UINT count = ::PrivateExtractIconsW(file, -id, width, height, nullptr, nullptr, 1, LR_COLOR);
    if (count == 0 || count == 0xFFFFFFFF)
        return nullptr;
    HICON icon = nullptr;
    UINT iconId = 0;
    // The negated number makes Windows look the icon up by resource identifier, not by index.
    ::PrivateExtractIconsW(file, -id, width, height, &icon, &iconId, 1, LR_COLOR);
    if (!icon)
        return nullptr;
    if (iconId == 0 || iconId == 0xFFFFFFFF) {
        ::DestroyIcon(icon);
        return nullptr;
    }
    return icon;
}

HBITMAP CSkin::LoadBitmapFile(const wchar_t* path) const {
    auto bitmap = static_cast<HBITMAP>(
        ::LoadImageW(fw::gModule.GetResourceInstance(), path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!bitmap)
        Trace(L"LoadBitmap failed. ");
    return bitmap;
}

// The picture Windows keeps for the account's SID, else the system's default
// user pictures. The caller caches what is found under number 1.
Gdiplus::Image* CSkin::LoadAccountPicture() {
    wchar_t key[256];
    StrFormat(key, 256, L"%s%s", kAccountPictures, m_szAccountSid);
    wchar_t path[260] = {};
    DWORD size = sizeof(path);
    LONG rc = ReadRegistryValueByPath(key, L"Image96", path, &size);
    if (rc != ERROR_SUCCESS) {
        path[0] = 0;
        size = sizeof(path);
        rc = ReadRegistryValueByPath(key, L"Image40", path, &size);
    }
    if (rc == ERROR_SUCCESS) {
        // The account's own picture is named: a broken one is not replaced by a default.
        Gdiplus::Image* image = DecodeImage(path);
        if (!image) {
            Trace(L"LoadImage failed. ");
            return nullptr;
        }
        Trace(L"LoadImage OK\n");
        return image;
    }
    Trace(L"RegQueryValue failed.\n");
    wchar_t folder[260] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE))
        return nullptr;
    StrFormat(path, 260, L"%s\\Microsoft\\User Account Pictures\\user-200.png", folder);
    Gdiplus::Image* image = DecodeImage(path);
    if (!image) {
        StrFormat(path, 260, L"%s\\Microsoft\\User Account Pictures\\user-40.png", folder);
        image = DecodeImage(path);
    }
    if (!image)
        Trace(L"LoadImage failed. ");
    return image;
}
