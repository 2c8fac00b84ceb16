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

class VelmarEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Copy({L"Velmar.exe", L"Pegwell.dll"}));
        ASSERT_TRUE(folder.CopyDefaultSkin());
        config = folder.Join(L"skin.cfg");
    }
    void TearDown() override { Stop(); }

    // The stand-in at `edge`, then Velmar with the extra environment ("NAME=value").
    void Start(UINT edge = ABE_BOTTOM, const std::vector<std::wstring>& env = {}) {
        StandinOptions options;
        options.uEdge = edge;
        ASSERT_TRUE(standin.Start(options));
        ASSERT_EQ(standin.Taskbar(), FindWindowW(L"Shell_TrayWnd", L"")) << "the stand-in must be found first";
        ASSERT_TRUE(velmar.Start(folder.Join(L"Velmar.exe"), L"", env));
        ASSERT_TRUE(WaitFor([&] {
            button = FindWindowExW(standin.Taskbar(), nullptr, nullptr, L"Start.Button.Main");
            return button && IsWindowVisible(button);
        })) << "no Start button";
        WaitForInputIdle(velmar.Handle(), 5000);
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
    int Mode() const { return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(button, kModeProperty))); }
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

    ProgramFolder folder;
    std::wstring config;
    CStandinProcess standin;
    ChildProcess velmar;
    HWND button = nullptr;
};
