// Damaged skin files: each case is loaded by CSkin into the program's skin,
// then the real menu is built from it, shown and painted. A case passes when
// nothing crashed or hung and the menu is a live, visible window that answers.
// The count per run comes from FuzzPlan (make fuzz runs 10,000).
#include "fuzz_inputs.h"
#include "fuzz_watchdog.h"
#include "menu_test_support.h"

#include <cstdio>

namespace {

const size_t kShards = 2;
const size_t kDefaultCases = 400;
const size_t kDefaultWindowEvery = 3;

// A working skin with every kind of key the loader knows.
std::string BaseSkin(const std::wstring& listFile) {
    std::string list;
    for (wchar_t c : listFile)
        list += static_cast<char>(c);
    return "[DESIGN]\r\nSKIN.PATH=skin\r\nSKIN.APPLIST=" + list +
           "\r\nMENU.BACKGROUND=bg.bmp\r\nMENU.FOCUS.0=focus.bmp\r\nMENU.FOCUS.1=focus.bmp\r\n"
           "MENU.FOCUS.2=focus.bmp\r\nSTBTN.BACKGROUND=normal.bmp\r\nSTBTN.HEIGHT=54\r\nSTBTN.OFFSET=-7\r\n"
           "STBTN.WIDTH=54\r\nMENU.APPLIST.X=10\r\nMENU.APPLIST.Y=12\r\nMENU.APPLIST.WIDTH=180\r\n"
           "MENU.APPLIST.HEIGHT=330\r\nMENU.APPLIST.TEXT.X=2\r\nMENU.APPLIST.TEXT.Y=-2\r\n"
           "MENU.APPLIST.SETUP=Quillset.exe\r\nDEFAULT.FONT.NAME=Liberation Sans\r\nDEFAULT.FONT.SIZE=10\r\n"
           "DEFAULT.FONT.COLOR=255,244,247,251\r\nDRAWIMAGE.0=IMAGE.100,(200,233)\r\nDRAWIMAGE.1=IMAGE.101,(10,380)\r\n"
           "OPTIONS.SMALLICON=0\r\nOPTIONS.APPLIST.X=11\r\n"
           "[BUTTON]\r\nBUTTON.ENABLED=pic,user,docs,shutdown,all\r\n"
           "pic.ID=0\r\npic.POS.X=200\r\npic.POS.Y=10\r\npic.POS.WIDTH=64\r\npic.POS.HEIGHT=64\r\n"
           "pic.DRAWPIC.RECT=(4,6)-(50,52)\r\npic.ICON.X=8\r\npic.ICON.Y=9\r\npic.IMAGE.FOCUS=focus.bmp\r\n"
           "pic.FOCUS=-1\r\n"
           "user.ID=1\r\nuser.TEXT=User\r\nuser.POS.X=200\r\nuser.POS.Y=80\r\nuser.POS.WIDTH=90\r\n"
           "user.POS.HEIGHT=30\r\nuser.TEXT.X=12\r\nuser.FOCUS=0\r\nuser.ICON=shell32.dll,-4,(48x48)\r\n"
           "user.TEXT.COLOR=255,10,20,30\r\nuser.MENU.WIDTH=20\r\n"
           "docs.ID=2\r\ndocs.TEXT=Documents\r\ndocs.POS.X=200\r\ndocs.POS.Y=110\r\ndocs.POS.WIDTH=90\r\n"
           "docs.POS.HEIGHT=30\r\ndocs.IMAGE.NORMAL=normal.bmp\r\ndocs.IMAGE.MENU=pressed.bmp\r\n"
           "shutdown.ID=9\r\nshutdown.TEXT=Shut down\r\nshutdown.POS.X=200\r\nshutdown.POS.Y=360\r\n"
           "shutdown.POS.WIDTH=90\r\nshutdown.POS.HEIGHT=30\r\nshutdown.ACTIVATE=1\r\n"
           "all.ID=10\r\nall.TEXT=All\r\nall.POS.X=10\r\nall.POS.Y=360\r\nall.POS.WIDTH=180\r\nall.POS.HEIGHT=30\r\n"
           "[RESOURCE]\r\nIMAGE.100=all.bmp\r\nIMAGE.101=back.bmp\r\nSTRING.100=All Programs\r\nSTRING.101=Back\r\n";
}

std::vector<std::string> HalfPatterns() {
    return {"IMAGE.", "IMAGE.5", "IMAGE.100,(", "IMAGE.100,(1", "IMAGE.100,(1,", "IMAGE.100,(1,2", "IMAGE.-1,(0,0)",
            "IMAGE.99999999999,(-5,-5)", "(", "(1,2)-(", "(1,2)-(3", ")-(3,4)", "(1,2)", "(-9,-9)-(-9,-9)",
            "(0,0)-(100000,100000)", "shell32.dll", "shell32.dll,-", "shell32.dll,-4,(", "shell32.dll,-4,(48x",
            ",-4,(48x48)", "C:\\nothere.ico,-1", "shell32.dll,-4,(0x0)", "shell32.dll,-4,(-1x-1)",
            "shell32.dll,-4,(100000x100000)", "shell32.dll,4", "255,", "1,2,3", "a,b,c,d", "-1,-1,-1,-1",
            "999,999,999,999", ",,,", "%s,%d"};
}

std::vector<std::string> PercentTexts() {
    return {"%s%s%s%s", "%n%n%n", "%ls%d%x%p%%", "%1000000d", "%.999999s", "%", "100%", "%S%C%c", "%*d%*s"};
}

std::vector<std::string> ImageNames() {
    return {"missing.png", "empty.png", "garbage.png", "half.png", "huge.bmp", "empty.bmp", "garbage.bmp",
            "bg.bmp", "..\\skin\\focus.bmp", "", "\\", ".", "..", "C:\\", "NUL", "skin"};
}

std::vector<std::string> SkinPaths() {
    return {"", ".", "..", "..\\..\\..\\..\\..", "C:\\", "Z:\\", "\\\\?\\C:\\", "skin\\..\\skin", "skin/", "NUL",
            "C:\\windows\\system32", "nothere", "skin\\bg.bmp", std::string(300, 'x'), "%TEMP%", "skin\\\\\\"};
}

std::vector<std::string> SkinKeys() {
    return {"SKIN.PATH", "SKIN.APPLIST", "MENU.BACKGROUND", "MENU.FOCUS.0", "MENU.FOCUS.7", "MENU.FOCUS.1000",
            "STBTN.BACKGROUND", "STBTN.HEIGHT", "STBTN.WIDTH", "STBTN.OFFSET", "MENU.APPLIST.X", "MENU.APPLIST.Y",
            "MENU.APPLIST.WIDTH", "MENU.APPLIST.HEIGHT", "MENU.APPLIST.TEXT.X", "MENU.APPLIST.SETUP",
            "DEFAULT.FONT.NAME", "DEFAULT.FONT.SIZE", "DEFAULT.FONT.COLOR", "DRAWIMAGE.0", "DRAWIMAGE.5000",
            "OPTIONS.SMALLICON", "BUTTON.ENABLED", "user.ICON", "user.TEXT", "user.TEXT.COLOR", "user.ID",
            "user.POS.WIDTH", "user.POS.HEIGHT", "user.POS.X", "pic.DRAWPIC.RECT", "pic.ID", "docs.IMAGE.NORMAL",
            "docs.IMAGE.MENU", "docs.FOCUS", "all.ID", "all.MENU.AUTO", "user.MENU.WIDTH", "IMAGE.100",
            "IMAGE.1", "IMAGE.4999", "IMAGE.5000", "STRING.100", "STRING.-1"};
}

std::string Value(FuzzRandom& rnd) {
    switch (rnd.Below(8)) {
    case 0: return rnd.Pick(NastyNumbers());
    case 1: return rnd.Pick(HalfPatterns());
    case 2: return rnd.Pick(PercentTexts());
    case 3: return rnd.Pick(ImageNames());
    case 4: return rnd.Pick(SkinPaths());
    case 5: return std::string(rnd.OneIn(2) ? 100000 : 1 + rnd.Below(3000), "Aa,|%(9"[rnd.Below(7)]);
    case 6: return rnd.Bytes(rnd.Below(40));
    default: return "";
    }
}

// One case: the base skin with two to six edits.
std::string MutatedSkin(FuzzRandom& rnd, const std::wstring& listFile) {
    std::vector<std::string> lines = SplitLines(BaseSkin(listFile));
    const size_t edits = 2 + rnd.Below(5);
    for (size_t e = 0; e < edits; ++e) {
        switch (rnd.Below(7)) {
        case 0:
        case 1: { // a known line gets a bad value
            std::string& line = lines[rnd.Below(lines.size())];
            const size_t eq = line.find('=');
            if (eq != std::string::npos)
                line = line.substr(0, eq + 1) + Value(rnd) + "\r\n";
            break;
        }
        case 2: // a known key added, perhaps twice, perhaps in the wrong section
            lines.insert(lines.begin() + static_cast<long>(rnd.Below(lines.size() + 1)),
                         rnd.Pick(SkinKeys()) + "=" + Value(rnd) + "\r\n");
            break;
        case 3: { // 2,000 buttons, a few of them with keys
            std::string enabled = "BUTTON.ENABLED=";
            std::string keys;
            for (int b = 0; b < 2000; ++b) {
                enabled += "b" + std::to_string(b) + ",";
                if (b % 97 == 0)
                    keys += "b" + std::to_string(b) + ".ID=" + std::to_string(rnd.Below(12)) + "\r\nb" +
                            std::to_string(b) + ".POS.WIDTH=" + rnd.Pick(NastyNumbers()) + "\r\nb" +
                            std::to_string(b) + ".TEXT=" + rnd.Pick(PercentTexts()) + "\r\n";
            }
            lines.push_back("[BUTTON]\r\n" + enabled + "\r\n" + keys);
            break;
        }
        case 4: { // the skin folder anywhere
            const auto old = std::find(lines.begin(), lines.end(), std::string("SKIN.PATH=skin\r\n"));
            if (old != lines.end())
                *old = "SKIN.PATH=" + rnd.Pick(SkinPaths()) + "\r\n";
            break;
        }
        default: {
            std::string bytes = JoinLines(lines);
            MutateBytes(rnd, &bytes);
            lines = SplitLines(bytes);
            break;
        }
        }
    }
    std::string text = JoinLines(lines);
    return rnd.OneIn(20) ? AsUtf16(text) : text;
}

class SkinFuzz : public MenuTest, public ::testing::WithParamInterface<size_t> {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        WriteImages();
        dir.WriteFile(L"skin\\empty.png", "");
        dir.WriteFile(L"skin\\empty.bmp", "");
        FuzzRandom rnd(7);
        dir.WriteFile(L"skin\\garbage.png", "\x89PNG\r\n\x1a\n" + rnd.Bytes(300));
        dir.WriteFile(L"skin\\garbage.bmp", "BM" + rnd.Bytes(300));
        const std::string png = PngBytes(40, 40, 1, 2, 3);
        dir.WriteFile(L"skin\\half.png", png.substr(0, png.size() / 2));
        // A header that claims 20,000 x 20,000 pixels over a few bytes of data.
        std::string huge = BmpBytes(2, 2, 9, 9, 9);
        const int32_t side = 20000;
        huge.replace(18, 4, reinterpret_cast<const char*>(&side), 4);
        huge.replace(22, 4, reinterpret_cast<const char*>(&side), 4);
        dir.WriteFile(L"skin\\huge.bmp", huge);
        listFile = dir.Join(L"applist.lst");
        dir.WriteFile(L"applist.lst", "\xEF\xBB\xBF# Application List\r\nAPP=Notepad|app|C:\\windows\\notepad.exe\r\n");
    }

    std::wstring listFile;
};

TEST_P(SkinFuzz, EveryDamagedSkinLoadsAndTheMenuStillBuildsAndPaints) {
    const FuzzPlan plan = FuzzPlan::FromEnvironment(kDefaultCases, kDefaultWindowEvery);
    size_t begin = 0, end = 0;
    plan.Shard(GetParam(), kShards, &begin, &end);
    FuzzWatchdog watchdog("skin");
    size_t loaded = 0, menus = 0;
    FuzzClock loading, painting;
    for (size_t n = begin; n < end; ++n) {
        watchdog.Begin(n);
        FuzzRandom rnd(plan.CaseSeed(n));
        const std::wstring config = dir.WriteFile(L"skin.cfg", MutatedSkin(rnd, listFile));
        loading.Time([&] {
            gSkin.pMenuBackground = nullptr;
            gSkin.SetConfigPath(config.c_str());
            loaded += gSkin.Load((dir.path() + L"\\").c_str()) == 1;
        });
        if (!plan.WithWindows(n))
            continue;
        ++menus;
        painting.Time([&] {
            CreateMenu();
            ASSERT_TRUE(menu->IsWindow()) << "case " << n;
            menu->ShowMenu(SW_SHOW, 40, static_cast<int>(rnd.Below(5)));
            ::RedrawWindow(menu->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            DWORD_PTR answer = 0;
            ASSERT_TRUE(::IsWindowVisible(menu->m_hWnd)) << "case " << n;
            ASSERT_NE(0, ::SendMessageTimeoutW(menu->m_hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer))
                << "case " << n;
            menu->ShowMenu(SW_HIDE, 0, 0);
            menu.reset();
            startButton.reset();
            PumpFor(0);
        });
        if (HasFatalFailure())
            return;
    }
    std::printf("skin fuzz: seed %#llx cases %zu..%zu: %zu loaded (%.0f ms), %zu menus built and painted (%.0f ms)\n",
                static_cast<unsigned long long>(plan.seed), begin, end, loaded, loading.ms, menus, painting.ms);
}

INSTANTIATE_TEST_SUITE_P(Shards, SkinFuzz, ::testing::Range<size_t>(0, kShards));

} // namespace
