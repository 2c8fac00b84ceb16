// The logged-on account as WMI's Win32_UserAccount describes it.
#pragma once

#include <windows.h>

struct _accountInfo {
    wchar_t szDomain[256];
    wchar_t szFullName[256];
    wchar_t szName[256];
    wchar_t szSid[256];
};

class CWMIQuery {
public:
    // 1 on success (also when no account matches), 0 when WMI cannot be asked.
    static int GetAccountInfo(const wchar_t* userName, _accountInfo* info);
};
