// Velmar.exe with Pegwell.dll and the default skin in a scratch folder,
// standin_taskbar.exe playing the shell, and real X input (XInput.h). The menu
// is a top-level window of Velmar's process, so Wine draws it.
#pragma once

#include "ProgramFolder.h"
#include "Processes.h"
#include "StandinProcess.h"
#include "StartWnd.h"
#include "XInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The pinned list draws its rows from this height on, each this high; the
// all-programs tree's rows are lower.
const int kRowsTop = 5;
const int kPinnedRowHeight = 36;
const int kTreeRowHeight = 23;

class VelmarEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Copy({L"Velmar.exe", L"Pegwell.dll"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        config = folder.Join(L"skin.cfg");
        size = Skin(L"DESIGN", L"STBTN.HEIGHT", 54);
    }
    void TearDown() override { Stop(); }

    // The stand-in at `edge`, then Velmar with the extra environment ("NAME=value").
    void Start(UINT edge = ABE_BOTTOM, const std::vector<std::wstring>& env = {}) {
        ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, edge));
        ASSERT_NO_FATAL_FAILURE(StartVelmar(env));
        ASSERT_TRUE(WaitFor([&] {
            button = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main");
            return button && IsWindowVisible(button);
        })) << "no Start button";
        WaitForInputIdle(velmar.Handle(), 5000);
    }
    // A stand-in at `edge`, with a secondary taskbar at `secondaryEdge` unless -1.
    void StartTaskbar(CStandinProcess& shell, UINT edge = ABE_BOTTOM, int secondaryEdge = -1) {
        StandinOptions options;
        options.uEdge = edge;
        options.nSecondaryEdge = secondaryEdge;
        StartTaskbar(shell, options);
    }
    void StartTaskbar(CStandinProcess& shell, const StandinOptions& options) {
        ASSERT_TRUE(shell.Start(options));
        ASSERT_EQ(shell.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "the stand-in must be found first";
    }
    void StartVelmar(const std::vector<std::wstring>& env = {}) {
        ASSERT_TRUE(velmar.Start(folder.Join(L"Velmar.exe"), L"", env));
    }
    // The button Velmar put on the taskbar, once it is shown and Velmar waits
    // for input (the window exists, unseen, while it is being created).
    HWND Button(HWND taskbar, DWORD timeoutMs = 15000) {
        HWND found = nullptr;
        const bool shown = WaitFor(
            [&] {
                found = FindWindowExW(taskbar, nullptr, nullptr, L"Start.Button.Main");
                return found && IsWindowVisible(found);
            },
            timeoutMs);
        WaitForInputIdle(velmar.Handle(), 5000);
        return shown ? found : nullptr;
    }
    void Stop() {
        velmar.Kill();
        standin.Stop();
    }
    HWND Menu() const {
        HWND menu = FindWindowW(nullptr, L"Velmar.Menu.Class");
        return menu && OwnerProcess(menu) == velmar.Id() ? menu : nullptr;
    }
    bool MenuShown() const { return Menu() && IsWindowVisible(Menu()); }
    // The look of a Start button (this test's own when none is named).
    int Mode(HWND of = nullptr) const {
        return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(of ? of : button, kModeProperty)));
    }
    // A real click on the Start button; done once the menu is shown and has the
    // activation (it hides when it loses it).
    void OpenMenu() {
        ASSERT_TRUE(XClick(Centre(button)));
        ASSERT_TRUE(WaitFor([&] { return MenuShown(); })) << "no menu after a click on the Start button";
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == Menu(); })) << "the menu did not take the activation";
    }
    void CloseMenu() {
        ASSERT_TRUE(XClick(Centre(button)));
        ASSERT_TRUE(WaitFor([&] { return !MenuShown(); })) << "the menu stayed open";
    }
    // The start button's context menu, opened by a real right click.
    HWND OpenContextMenu(HWND button) {
        EXPECT_TRUE(XClick(Centre(button), 3));
        HWND popup = nullptr;
        WaitFor([&] { return (popup = ContextMenu()) != nullptr; });
        return popup;
    }
    HWND ContextMenu() const { return FindProcessWindow(velmar.Id(), L"#32768", 0); }
    // Chooses the popup's last item, "Exit Velmar", with a real click.
    void ChooseExit(HWND popup) {
        RECT rc;
        GetWindowRect(popup, &rc);
        ASSERT_TRUE(XClick({(rc.left + rc.right) / 2, rc.bottom - 10}));
    }
    int Skin(const wchar_t* section, const wchar_t* key, int fallback = -1) const {
        return static_cast<int>(GetPrivateProfileIntW(section, key, fallback, config.c_str()));
    }
    // The centre of a skin button, in screen coordinates, from its skin keys.
    POINT SkinButtonCentre(const wchar_t* name) const {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        auto key = [&](const wchar_t* k) { return Skin(L"BUTTON", (std::wstring(name) + L"." + k).c_str(), 0); };
        return {menu.left + key(L"POS.X") + key(L"POS.WIDTH") / 2, menu.top + key(L"POS.Y") + key(L"POS.HEIGHT") / 2};
    }
    // The screen rectangle of row `row` (0 the first drawn) of a list with rows
    // `height` high, from the skin's list rectangle.
    RECT Row(int row, int height = kPinnedRowHeight) const {
        RECT menu;
        GetWindowRect(Menu(), &menu);
        const int left = menu.left + Skin(L"DESIGN", L"MENU.APPLIST.X");
        const int top = menu.top + Skin(L"DESIGN", L"MENU.APPLIST.Y") + kRowsTop + row * height;
        return {left + 3, top, left + Skin(L"DESIGN", L"MENU.APPLIST.WIDTH") - 3, top + height};
    }
    static POINT Middle(const RECT& rc) { return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

    ProgramFolder folder;
    std::wstring config;
    CStandinProcess standin;
    ChildProcess velmar;
    HWND button = nullptr;
    int size = 54; // the skin's Start button height, where the taskbar's band starts
};
