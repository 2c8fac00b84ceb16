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
    // Asks WMI first; where it has no matching account (a WMI service may answer
    // every query with zero rows) or cannot be asked, the process token supplies the SID and
    // userName the name. 1 when WMI answered or the token was read, else 0.
    // COM must be initialised on the calling thread.
    static int GetAccountInfo(const wchar_t* userName, _accountInfo* info);
    // The token's user: SID in string form, domain from the account database,
    // name = userName. 1 when the SID was read.
    static int GetTokenAccountInfo(const wchar_t* userName, _accountInfo* info);

private:
    // The Win32_UserAccount query; the last matching row wins. 0 when WMI cannot be asked.
    static int QueryWmi(const wchar_t* userName, _accountInfo* info);
};
