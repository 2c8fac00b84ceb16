// The account name and SID found during the load, and the account picture
// (image 1) with its fall-backs.
#include "Utils.h"
#include "WMIQuery.h"

#include <sddl.h>

#include <algorithm>
#include <vector>

#include "skin_test_files.h"

namespace {

using SkinAccount = SkinFixture;

std::wstring UserName() {
    wchar_t name[256] = {};
    DWORD size = 256;
    GetUserNameW(name, &size);
    return name;
}

bool IsTokenUser(const wchar_t* sidText) {
    PSID sid = nullptr;
    if (!ConvertStringSidToSidW(sidText, &sid))
        return false;
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    DWORD needed = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed ? needed : 1);
    bool same = GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed) &&
                EqualSid(sid, reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    CloseHandle(token);
    LocalFree(sid);
    return same;
}

const wchar_t* kPictureKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\AccountPicture\\Users\\";

// The registry values and default pictures one test sets up, removed again at the end.
class PictureSources {
public:
    explicit PictureSources(const std::wstring& sid)
        : m_key(std::wstring(kPictureKey) + sid), m_restore(HKEY_LOCAL_MACHINE, m_key) {
        wchar_t common[MAX_PATH] = {};
        SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE);
        m_defaults = std::wstring(common) + L"\\Microsoft\\User Account Pictures";
        CreateDirectoryW((std::wstring(common) + L"\\Microsoft").c_str(), nullptr);
        CreateDirectoryW(m_defaults.c_str(), nullptr);
        for (const wchar_t* name : kDefaults)
            m_saved.push_back(ReadFileBytes(DefaultPicture(name)));
        Reset();
    }
    // The machine's own default pictures come back.
    ~PictureSources() {
        Reset();
        for (size_t i = 0; i < m_saved.size(); ++i)
            if (!m_saved[i].empty())
                TempDir::WriteTo(DefaultPicture(kDefaults[i]), m_saved[i]);
    }
    PictureSources(const PictureSources&) = delete;
    PictureSources& operator=(const PictureSources&) = delete;

    void Reset() {
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, m_key.c_str());
        for (const wchar_t* name : kDefaults)
            DeleteFileW(DefaultPicture(name).c_str());
    }
    void DeleteValue(const wchar_t* name) { RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, m_key.c_str(), name); }
    void SetValue(const wchar_t* name, const std::wstring& path) {
        ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, m_key, name, path));
    }
    std::wstring DefaultPicture(const wchar_t* name) const { return m_defaults + L"\\" + name; }

private:
    std::wstring m_key;
    static constexpr const wchar_t* kDefaults[] = {L"user-200.png", L"user-40.png"};
    RegistryKeyGuard m_restore; // the machine's own pictures come back
    std::wstring m_defaults;
    std::vector<std::string> m_saved;
};

} // namespace

TEST(WmiQuery, AccountComesFromWmiOrTheProcessToken) {
    fw::ComScope com;
    const std::wstring user = UserName();
    ASSERT_FALSE(user.empty());
    // Twice: the second call meets security that the first one already set.
    for (int round = 0; round < 2; ++round) {
        _accountInfo info;
        ASSERT_EQ(1, CWMIQuery::GetAccountInfo(user.c_str(), &info)) << round;
        EXPECT_EQ(user, info.szName);
        EXPECT_EQ(0, wcsncmp(info.szSid, L"S-1-5-", 6)) << info.szSid;
        EXPECT_TRUE(IsTokenUser(info.szSid)) << info.szSid;
    }
}

TEST(WmiQuery, TokenAccountNamesTheCallersUser) {
    _accountInfo info{};
    ASSERT_EQ(1, CWMIQuery::GetTokenAccountInfo(L"someone", &info));
    EXPECT_STREQ(L"someone", info.szName);
    EXPECT_TRUE(IsTokenUser(info.szSid)) << info.szSid;
}

TEST_F(SkinAccount, LoadKeepsTheAccountNameAndSid) {
    ASSERT_EQ(1, LoadConfig("[DESIGN]\r\n"));
    EXPECT_EQ(UserName(), skin->GetAccountName());
    EXPECT_TRUE(IsTokenUser(skin->GetAccountSid())) << skin->GetAccountSid();
}

// One test for every picture source: they share the machine's registry and
// default picture folder, so they must not run side by side.
TEST_F(SkinAccount, PictureSourcesAndFallBacks) {
    WriteBmp(dir, L"resource1.bmp", 11, 11);
    const std::string config = "[DESIGN]\r\nSKIN.PATH=.\r\n[RESOURCE]\r\nIMAGE.1=resource1.bmp\r\n";
    ASSERT_EQ(1, LoadConfig(config));
    PictureSources sources(skin->GetAccountSid());
    // GDI+ keeps a picture's file open while the image lives, and the skin never
    // frees its images: the test frees the pictures it got, so that the files go.
    std::vector<Gdiplus::Image*> pictures;
    auto picture = [&]() {
        Gdiplus::Image* image = skin->GetImage(1);
        if (image && std::find(pictures.begin(), pictures.end(), image) == pictures.end())
            pictures.push_back(image);
        return image;
    };
    auto freshSkin = [&]() {
        skin = std::make_unique<CSkin>();
        return LoadConfig(config);
    };

    // Nothing anywhere: no picture, and the resource key IMAGE.1 is not a source.
    EXPECT_EQ(nullptr, picture());
    EXPECT_EQ(0, skin->DecodeCount());

    // The miss is remembered (each look reads the registry and the disk): a
    // default picture that appears later is found when asked to look again.
    ASSERT_TRUE(WritePng(sources.DefaultPicture(L"user-40.png"), 4, 4));
    EXPECT_EQ(nullptr, picture());
    Gdiplus::Image* first = skin->RetryAccountPicture();
    ASSERT_NE(nullptr, first);
    pictures.push_back(first);
    EXPECT_EQ(4u, first->GetWidth());
    // Cached from now on.
    const int decodes = skin->DecodeCount();
    EXPECT_EQ(first, picture());
    EXPECT_EQ(decodes, skin->DecodeCount());

    // user-200.png comes before user-40.png.
    ASSERT_TRUE(WritePng(sources.DefaultPicture(L"user-200.png"), 20, 20));
    ASSERT_EQ(1, freshSkin());
    ASSERT_NE(nullptr, picture());
    EXPECT_EQ(20u, picture()->GetWidth());

    // A registry picture that does not load gives none, though default pictures exist.
    sources.SetValue(L"Image96", dir.WriteFile(L"broken.png", "not an image"));
    ASSERT_EQ(1, freshSkin());
    EXPECT_EQ(nullptr, picture());

    // Only Image40: it is used.
    sources.DeleteValue(L"Image96");
    const std::wstring nine = dir.Join(L"nine.png");
    ASSERT_TRUE(WritePng(nine, 9, 9));
    sources.SetValue(L"Image40", nine);
    ASSERT_EQ(1, freshSkin());
    ASSERT_NE(nullptr, picture());
    EXPECT_EQ(9u, picture()->GetWidth());

    // Image96 wins over Image40.
    const std::wstring twelve = dir.Join(L"twelve.png");
    ASSERT_TRUE(WritePng(twelve, 12, 12));
    sources.SetValue(L"Image96", twelve);
    ASSERT_EQ(1, freshSkin());
    ASSERT_NE(nullptr, picture());
    EXPECT_EQ(12u, picture()->GetWidth());

    skin = std::make_unique<CSkin>();
    for (Gdiplus::Image* image : pictures)
        delete image;
}
