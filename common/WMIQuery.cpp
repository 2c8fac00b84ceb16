#include "WMIQuery.h"

#include "Handles.h"
#include "Text.h"
#include "Trace.h"

#include <objbase.h>
#include <sddl.h>
#include <wbemidl.h>

#include <cstring>
#include <vector>

namespace {

const long kRowTimeout = 3000; // ms

// A BSTR for one call.
class Bstr {
public:
    explicit Bstr(const wchar_t* text) : m_s(::SysAllocString(text)) {}
    ~Bstr() { ::SysFreeString(m_s); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_s; }

private:
    BSTR m_s;
};

// Copies a string property into field; a missing or null property leaves it empty.
void ReadProperty(IWbemClassObject* object, const wchar_t* name, wchar_t* field) {
    field[0] = 0;
    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(object->Get(name, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR && value.bstrVal)
        fw::StrCopy(field, 256, value.bstrVal);
    ::VariantClear(&value);
}

} // namespace

int CWMIQuery::GetAccountInfo(const wchar_t* userName, _accountInfo* info) {
    if (!info)
        return 0;
    std::memset(info, 0, sizeof(*info));
    const int answered = QueryWmi(userName, info);
    if (answered && info->szSid[0])
        return 1;
    // No account row: take the identity from the process token instead.
    Trace(L"No Win32_UserAccount, reading the process token\n");
    if (!answered)
        std::memset(info, 0, sizeof(*info));
    if (GetTokenAccountInfo(userName, info))
        return 1;
    return answered;
}

int CWMIQuery::QueryWmi(const wchar_t* userName, _accountInfo* info) {
    // Only the first call of a process can set security; a later one answering
    // RPC_E_TOO_LATE finds it already set.
    HRESULT hr = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_CONNECT,
                                        RPC_C_IMP_LEVEL_IDENTIFY, nullptr, EOAC_NONE, nullptr);
    if (FAILED(hr) && hr != RPC_E_TOO_LATE) {
        Trace(L"CoInitializeSecurity failed\n");
        return 0;
    }
    fw::ComPtr<IWbemLocator> locator;
    hr = ::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator, locator.put_void());
    if (FAILED(hr)) {
        Trace(L"CoCreateInstance failed\n");
        return 0;
    }
    fw::ComPtr<IWbemServices> services;
    Bstr root(L"ROOT\\CIMV2");
    hr = locator->ConnectServer(root.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, services.put());
    if (FAILED(hr)) {
        Trace(L"ConnectServer failed\n");
        return 0;
    }
    hr = ::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(hr)) {
        Trace(L"CoSetProxyBlanket failed\n");
        return 0;
    }
    wchar_t query[1024];
    fw::StrFormat(query, 1024, L"SELECT * FROM Win32_UserAccount WHERE Name=\"%s\"", userName ? userName : L"");
    Bstr language(L"WQL");
    Bstr text(query);
    fw::ComPtr<IEnumWbemClassObject> rows;
    hr = services->ExecQuery(language.get(), text.get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                             rows.put());
    if (FAILED(hr) || !rows) {
        Trace(L"ExecQuery failed\n");
        return 0;
    }
    for (;;) {
        fw::ComPtr<IWbemClassObject> row;
        ULONG returned = 0;
        // The account service may not answer; the menu must open regardless.
        HRESULT next = rows->Next(kRowTimeout, 1, row.put(), &returned);
        if (next == WBEM_S_TIMEDOUT || returned == 0 || !row) {
            Trace(L"Next return 0.\n");
            break;
        }
        // Several matches (a local and a domain account): the last one wins.
        ReadProperty(row.get(), L"Name", info->szName);
        ReadProperty(row.get(), L"SID", info->szSid);
        ReadProperty(row.get(), L"FullName", info->szFullName);
        ReadProperty(row.get(), L"Domain", info->szDomain);
    }
    return 1;
}

int CWMIQuery::GetTokenAccountInfo(const wchar_t* userName, _accountInfo* info) {
    if (!info)
        return 0;
    fw::UniqueKernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return 0;
    DWORD needed = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
    if (needed == 0)
        return 0;
    std::vector<BYTE> buffer(needed);
    if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed))
        return 0;
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    wchar_t* sidText = nullptr;
    if (!::ConvertSidToStringSidW(sid, &sidText) || !sidText)
        return 0;
    fw::StrCopy(info->szSid, 256, sidText);
    ::LocalFree(sidText);

    if (userName && userName[0]) {
        fw::StrCopy(info->szName, 256, userName);
    } else {
        DWORD size = 256;
        if (!::GetUserNameW(info->szName, &size))
            info->szName[0] = 0;
    }
    wchar_t account[256];
    wchar_t domain[256];
    DWORD accountSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (::LookupAccountSidW(nullptr, sid, account, &accountSize, domain, &domainSize, &use))
        fw::StrCopy(info->szDomain, 256, domain);
    return 1;
}
