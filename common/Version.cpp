#include "Utils.h"

#include "Text.h"

#include <cstdlib>

const WORD kVersionCodePages[12] = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};
const WORD kVersionLanguages[45] = {
    0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B, 0x040C,
    0x040D, 0x040E, 0x040F, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418,
    0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0804, 0x0807, 0x0809,
    0x080A, 0x080C, 0x0810, 0x0813, 0x0814, 0x0816, 0x081A, 0x0C0C, 0x100C};

void* GetFileVersionBlock(const wchar_t* file, DWORD** translation) {
    if (translation)
        *translation = nullptr;
    if (!file)
        return nullptr;
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(file, &handle);
    if (size == 0)
        return nullptr;
    void* block = malloc(size);
    if (!block)
        return nullptr;
    void* value = nullptr;
    UINT length = 0;
    if (!::GetFileVersionInfoW(file, 0, size, block) ||
        !::VerQueryValueW(block, L"\\VarFileInfo\\Translation", &value, &length) || length < sizeof(DWORD)) {
        free(block);
        return nullptr;
    }
    if (translation)
        *translation = static_cast<DWORD*>(value);
    return block;
}

static int QueryString(wchar_t* out, size_t capacity, const void* block, WORD language, WORD codePage,
                       const wchar_t* name) {
    wchar_t subBlock[261];
    fw::StrFormat(subBlock, 261, L"\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(const_cast<void*>(block), subBlock, &value, &length) || !value)
        return 0;
    fw::StrCopy(out, capacity, static_cast<const wchar_t*>(value));
    return 1;
}

int GetFileVersionString(wchar_t* out, size_t capacity, const void* block, const DWORD* translation,
                         const wchar_t* name) {
    if (!out || capacity == 0)
        return 0;
    out[0] = 0;
    if (!block || !name)
        return 0;
    if (translation &&
        QueryString(out, capacity, block, LOWORD(*translation), HIWORD(*translation), name))
        return 1;
    for (WORD codePage : kVersionCodePages)
        for (WORD language : kVersionLanguages)
            if (QueryString(out, capacity, block, language, codePage, name))
                return 1;
    out[0] = 0;
    return 0;
}

int GetProgramDescription(const wchar_t* path, wchar_t* out, size_t capacity) {
    if (!path || !out || !capacity)
        return 0;
    wchar_t target[kPathCapacity];
    const wchar_t* file = GetShortcutTarget(path, target, kPathCapacity) ? target : path;
    DWORD* translation = nullptr;
    void* block = GetFileVersionBlock(file, &translation);
    if (!block)
        return 0;
    GetFileVersionString(out, capacity, block, translation, L"FileDescription");
    free(block);
    return 1;
}
