#include "MultiLanguage.h"
#include "Startup.h"

#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"

namespace {

class Languages : public ::testing::Test {
protected:
    void SetUp() override { CMultiLanguage::Reset(); }
    void TearDown() override { CMultiLanguage::Reset(); }

    // A program folder holding copies of the German satellite library under the given names.
    std::wstring ProgramWith(std::initializer_list<const wchar_t*> libraries) {
        for (const wchar_t* name : libraries)
            CopyFileW((BinDir() + L"\\VelmarDEU.DLL").c_str(), dir.Join(name).c_str(), FALSE);
        return dir.Join(L"Velmar.exe");
    }
    TempDir dir;
};

} // namespace

TEST_F(Languages, AddLanguageAddsTheLanguageAndItsPrimaryForm) {
    EXPECT_EQ(0x0807, CMultiLanguage::AddLanguage(0x0807));
    ASSERT_EQ(2, CMultiLanguage::Count());
    EXPECT_EQ(0x0807, CMultiLanguage::At(0));
    EXPECT_EQ(0x0407, CMultiLanguage::At(1)); // German with its default sub-language
    // Already present: nothing added, the identifier is answered.
    EXPECT_EQ(0x0807, CMultiLanguage::AddLanguage(0x0807));
    EXPECT_EQ(2, CMultiLanguage::Count());
    // A converted form counts as present...
    EXPECT_EQ(0x0407, CMultiLanguage::AddLanguage(0x0407));
    EXPECT_EQ(2, CMultiLanguage::Count());
    // ...but the test is on the identifier itself, so a converted value may repeat.
    EXPECT_EQ(0x0007, CMultiLanguage::AddLanguage(0x0007));
    ASSERT_EQ(4, CMultiLanguage::Count());
    EXPECT_EQ(0x0407, CMultiLanguage::At(2));
    EXPECT_EQ(0x0407, CMultiLanguage::At(3));
}

TEST_F(Languages, AFullListRefusesAndTheSystemDefaultTakesTheTenthPlace) {
    const LANGID ids[] = {0x0409, 0x0407, 0x040C, 0x0410, 0x0411};
    for (LANGID id : ids)
        CMultiLanguage::AddLanguage(id);
    ASSERT_EQ(10, CMultiLanguage::Count());
    EXPECT_EQ(0, CMultiLanguage::AddLanguage(0x0412));
    CMultiLanguage::DetectUILanguages();
    EXPECT_EQ(10, CMultiLanguage::Count());
    EXPECT_EQ(CMultiLanguage::kSystemDefault, CMultiLanguage::At(9));
}

TEST_F(Languages, DetectEndsWithTheSystemDefaultCandidate) {
    CMultiLanguage::AddDefaultLanguages();
    CMultiLanguage::DetectUILanguages();
    ASSERT_GE(CMultiLanguage::Count(), 3);
    EXPECT_EQ(CMultiLanguage::kSystemDefault, CMultiLanguage::At(CMultiLanguage::Count() - 1));
}

TEST_F(Languages, GermanUserGetsTheGermanLibraryAndItsAbbreviation) {
    std::wstring program = ProgramWith({L"VelmarDEU.DLL"});
    CMultiLanguage::AddLanguage(0x0407);
    wchar_t abbreviation[4] = {};
    HMODULE module = CMultiLanguage::LoadResourceLibrary(program.c_str(), abbreviation, 4);
    ASSERT_TRUE(module);
    EXPECT_STREQ(L"DEU", abbreviation);
    EXPECT_EQ(L"Velmar beenden", MenuString(module, 132, 3));
    EXPECT_EQ(L"Optionen", MenuString(module, 133, 2));
    FreeLibrary(module);
}

TEST_F(Languages, WithoutAnyLibraryEveryCandidateIsTriedAndLocRemains) {
    std::wstring program = ProgramWith({});
    CMultiLanguage::AddLanguage(0x0407);
    CMultiLanguage::AddLanguage(0x0409);
    CMultiLanguage::DetectUILanguages();
    wchar_t abbreviation[4] = {};
    EXPECT_EQ(nullptr, CMultiLanguage::LoadResourceLibrary(program.c_str(), abbreviation, 4));
    EXPECT_STREQ(L"LOC", abbreviation);
}

TEST_F(Languages, OnlyTheLocLibraryLoadsAfterAllRealLanguagesFailed) {
    std::wstring program = ProgramWith({L"VelmarLOC.DLL"});
    CMultiLanguage::AddLanguage(0x0409);
    CMultiLanguage::DetectUILanguages();
    wchar_t abbreviation[4] = {};
    HMODULE module = CMultiLanguage::LoadResourceLibrary(program.c_str(), abbreviation, 4);
    EXPECT_TRUE(module);
    EXPECT_STREQ(L"LOC", abbreviation);
    if (module)
        FreeLibrary(module);
}

TEST_F(Languages, APreferredLanguageIsTriedFirst) {
    std::wstring program = ProgramWith({L"VelmarDEU.DLL", L"VelmarENU.DLL"});
    CMultiLanguage::AddLanguage(0x0409);
    wchar_t abbreviation[4] = {};
    HMODULE module = CMultiLanguage::LoadResourceLibrary(program.c_str(), abbreviation, 4, 0x0407);
    EXPECT_STREQ(L"DEU", abbreviation);
    if (module)
        FreeLibrary(module);
}

TEST_F(Languages, AProgramPathOf269CharactersLoadsNoLibrary) {
    CMultiLanguage::AddLanguage(0x0407);
    std::wstring path = L"C:\\" + std::wstring(262, L'a') + L".exe"; // 269 characters
    ASSERT_EQ(269u, path.size());
    wchar_t abbreviation[4] = {};
    EXPECT_EQ(nullptr, CMultiLanguage::LoadResourceLibrary(path.c_str(), abbreviation, 4));
}

TEST(VersionGate, RefusesWindows7AndOlderOnly) {
    // GetVersion packs the major version in the low byte, the minor in the next.
    auto packed = [](int major, int minor) { return static_cast<DWORD>(major | (minor << 8)); };
    EXPECT_TRUE(IsWindowsTooOld(packed(6, 1)));
    EXPECT_TRUE(IsWindowsTooOld(packed(5, 1)));
    EXPECT_TRUE(IsWindowsTooOld(packed(6, 0)));
    EXPECT_FALSE(IsWindowsTooOld(packed(6, 2)));
    EXPECT_FALSE(IsWindowsTooOld(packed(6, 3)));
    EXPECT_FALSE(IsWindowsTooOld(packed(10, 0)));
}
