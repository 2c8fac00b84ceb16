#include "Utils.h"

#include "Text.h"

LONG ReadRegistryValue(HKEY root, const wchar_t* keyPath, const wchar_t* valueName, void* data, DWORD* size) {
    fw::UniqueRegKey key;
    LONG rc = ::RegOpenKeyExW(root, keyPath, 0, KEY_READ, key.put());
    if (rc != ERROR_SUCCESS)
        return rc;
    const DWORD capacity = size ? *size : 0;
    DWORD type = REG_SZ;
    rc = ::RegQueryValueExW(key.get(), valueName, nullptr, &type, static_cast<BYTE*>(data), size);
    const bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (rc == ERROR_MORE_DATA && isString && data && capacity >= sizeof(wchar_t)) {
        static_cast<wchar_t*>(data)[0] = L'\0'; // never hand back a partial, open string
        return rc;
    }
    // A string value may be stored without its terminator: terminate it within
    // the caller's buffer, cutting the last character when the buffer is full.
    if (rc == ERROR_SUCCESS && data && size && isString) {
        const size_t room = capacity / sizeof(wchar_t);
        if (room == 0)
            return rc;
        auto* text = static_cast<wchar_t*>(data);
        size_t chars = *size / sizeof(wchar_t);
        if (chars == 0 || text[chars - 1] != L'\0') {
            if (chars >= room)
                chars = room - 1;
            text[chars] = L'\0';
            *size = static_cast<DWORD>((chars + 1) * sizeof(wchar_t));
        }
    }
    return rc;
}

LONG ReadRegistryValueByPath(const wchar_t* fullPath, const wchar_t* valueName, void* data, DWORD* size) {
    static const struct {
        const wchar_t* name;
        HKEY root;
    } kRoots[] = {
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"HKEY_USERS", HKEY_USERS},
    };
    if (!fullPath)
        return ERROR_FILE_NOT_FOUND;
    for (const auto& r : kRoots) {
        size_t n = wcslen(r.name);
        if (wcsncmp(fullPath, r.name, n) != 0 || (fullPath[n] != L'\\' && fullPath[n] != L'\0'))
            continue;
        wchar_t keyPath[1024];
        fw::StrCopy(keyPath, 1024, fullPath[n] ? fullPath + n + 1 : L"");
        return ReadRegistryValue(r.root, keyPath, valueName, data, size);
    }
    return ERROR_FILE_NOT_FOUND;
}
