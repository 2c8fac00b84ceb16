// The Start button on taskbars shaped like Windows 8.1/10 (the shell's own
// Start button, search box and task view before the band) and Windows 11
// (XAML content over hidden legacy children), against the stand-in of that
// shape: where the button goes, what of the shell's stays where it was, and
// what opens the menu.
#include "StandinClient.h"
#include "StandinShape.h"
#include "VelmarEndToEnd.h"

#include <shellapi.h>

namespace {

// The shell's own children, in the taskbar's client coordinates.
struct ShellPlaces {
    RECT start, search, taskView, people, band, notify;
    bool operator==(const ShellPlaces& o) const {
        return EqualRect(&start, &o.start) && EqualRect(&search, &o.search) && EqualRect(&taskView, &o.taskView) &&
               EqualRect(&people, &o.people) && EqualRect(&band, &o.band) && EqualRect(&notify, &o.notify);
    }
};

void PrintTo(const ShellPlaces& p, std::ostream* os) {
    for (const RECT& r : {p.start, p.search, p.taskView, p.people, p.band, p.notify})
        *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "} ";
}

HWND Child(HWND taskbar, const wchar_t* className, int index = 0) {
    HWND child = nullptr;
    do
        child = FindWindowExW(taskbar, child, className, nullptr);
    while (child && index-- > 0);
    return child;
}

ShellPlaces PlacesOf(HWND taskbar) {
    return {standin::PlaceInParent(Child(taskbar, L"Start")),
            standin::PlaceInParent(Child(taskbar, L"TrayDummySearchControl")),
            standin::PlaceInParent(Child(taskbar, L"TrayButton")),
            standin::PlaceInParent(Child(taskbar, L"TrayButton", 1)),
            standin::PlaceInParent(Child(taskbar, L"ReBarWindow32")),
            standin::PlaceInParent(Child(taskbar, L"TrayNotifyWnd"))};
}

// The topmost child of the taskbar at the middle of `rc` (client coordinates).
HWND TopChildAt(HWND taskbar, const RECT& rc) {
    return ChildWindowFromPointEx(taskbar, {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}, CWP_SKIPINVISIBLE);
}

int StartPresses(HWND taskbar) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(GetPropW(taskbar, standin::kPropStartPresses)));
}

class StartLayoutsEndToEnd : public VelmarEndToEnd {
protected:
    void StartShaped(int shape, UINT edge = ABE_BOTTOM, int search = standin::kSearchBox, int secondary = -1) {
        StandinOptions options;
        options.nShape = shape;
        options.uEdge = edge;
        options.nSearch = search;
        options.nSecondaryEdge = secondary;
        ASSERT_NO_FATAL_FAILURE(StartTaskbar(standin, options));
    }
    // The button covers `taskbar`'s own Start button, above it, and nothing of the shell's moved.
    void ExpectCovering(HWND taskbar, HWND on, const ShellPlaces& before) {
        HWND start = Child(taskbar, L"Start");
        EXPECT_EQ(before.start, standin::PlaceInParent(on)) << "the button is not in the Start button's place";
        EXPECT_EQ(before, PlacesOf(taskbar)) << "the shell's children moved";
        EXPECT_TRUE(IsWindowVisible(start)) << "the shell's Start button was hidden";
        EXPECT_EQ(on, TopChildAt(taskbar, before.start)) << "the shell's Start button is not covered";
    }
};

} // namespace

// At every edge, with the search box as a box, as an icon or hidden, and on a
// secondary taskbar of the same shape: one Velmar start per case.
TEST_F(StartLayoutsEndToEnd, Windows10CoversTheShellsStartButtonAndMovesNothingOfTheShells) {
    struct Case {
        UINT edge;
        int search;
        int secondary;
    };
    const Case cases[] = {{ABE_BOTTOM, standin::kSearchBox, ABE_TOP},
                          {ABE_TOP, standin::kSearchIcon, -1},
                          {ABE_LEFT, standin::kSearchNone, -1},
                          {ABE_RIGHT, standin::kSearchBox, -1},
                          {ABE_BOTTOM, standin::kSearchNone, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << EdgeName(c.edge) << " search " << c.search);
        ASSERT_NO_FATAL_FAILURE(StartShaped(10, c.edge, c.search, c.secondary));
        HWND secondary = c.secondary >= 0 ? standin::FindSecondaryTaskbar() : nullptr;
        const ShellPlaces before = PlacesOf(standin.Taskbar());
        const ShellPlaces secondaryBefore = secondary ? PlacesOf(secondary) : ShellPlaces{};
        StartVelmar();
        HWND on = Button(standin.Taskbar());
        ASSERT_TRUE(on);
        ExpectCovering(standin.Taskbar(), on, before);
        if (secondary) {
            HWND secondaryButton = Button(secondary);
            ASSERT_TRUE(secondaryButton) << "no button on the secondary taskbar";
            ExpectCovering(secondary, secondaryButton, secondaryBefore);
        }
        // The shell lays its taskbar out again: the hook pushes nothing aside.
        ASSERT_TRUE(standin::Relayout(standin.Taskbar(), 0, 0, 0, 0));
        ExpectCovering(standin.Taskbar(), on, before);

        PostMessageW(on, WM_COMMAND, ID_START_EXIT, 0);
        EXPECT_EQ(0u, velmar.Wait());
        EXPECT_EQ(before, PlacesOf(standin.Taskbar()));
        EXPECT_EQ(Child(standin.Taskbar(), L"Start"), TopChildAt(standin.Taskbar(), before.start));
        standin.Stop();
    }
}

TEST_F(StartLayoutsEndToEnd, Windows10ClickAndWindowsKeyOpenVelmarsMenuTheButtonFollowsAndTheShellsComesBack) {
    ASSERT_NO_FATAL_FAILURE(StartShaped(10));
    StartVelmar();
    button = Button(standin.Taskbar());
    ASSERT_TRUE(button);
    HWND start = Child(standin.Taskbar(), L"Start");

    ASSERT_NO_FATAL_FAILURE(OpenMenu());
    ASSERT_NO_FATAL_FAILURE(CloseMenu());
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return MenuShown(); })) << "the Windows key did not open Velmar's menu";
    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return !MenuShown(); }));
    EXPECT_EQ(0, StartPresses(standin.Taskbar())) << "the shell's Start button was pressed";

    // The user makes the taskbar thicker: the shell lays it out again, its Start button grows.
    ASSERT_TRUE(standin::SetThickness(standin.Taskbar(), 64));
    const RECT grown = standin::PlaceInParent(start);
    ASSERT_EQ(64, grown.bottom - grown.top);
    EXPECT_TRUE(WaitFor([&] {
        const RECT rc = standin::PlaceInParent(button);
        return EqualRect(&grown, &rc) != FALSE;
    }))
        << "the button did not follow the shell's Start button";
    EXPECT_EQ(button, TopChildAt(standin.Taskbar(), grown));

    // Velmar is killed: the shell's own Start button is there again, where it was.
    velmar.Kill();
    EXPECT_TRUE(WaitFor([&] { return TopChildAt(standin.Taskbar(), grown) == start; }));
    EXPECT_TRUE(IsWindowVisible(start));
    EXPECT_EQ(grown, standin::PlaceInParent(start));
}

TEST_F(StartLayoutsEndToEnd, Windows11PlacesNoButtonAndTheWindowsKeyOpensTheMenu) {
    ASSERT_NO_FATAL_FAILURE(StartShaped(11, ABE_BOTTOM, standin::kSearchBox, ABE_TOP));
    HWND secondary = standin::FindSecondaryTaskbar();
    ASSERT_TRUE(secondary);
    const ShellPlaces before = PlacesOf(standin.Taskbar());
    StartVelmar();
    ASSERT_TRUE(WaitFor([&] { return FindWindowExW(HWND_MESSAGE, nullptr, nullptr, L"Start.Button.Main") != nullptr; }))
        << "Velmar did not start";
    WaitForInputIdle(velmar.Handle(), 5000);

    ASSERT_TRUE(XKeys("Super_L"));
    EXPECT_TRUE(WaitFor([&] { return MenuShown(); })) << "the Windows key did not open the menu";
    EXPECT_TRUE(velmar.Running());
    for (HWND taskbar : {standin.Taskbar(), secondary}) {
        HWND child = nullptr;
        while ((child = FindWindowExW(taskbar, child, nullptr, nullptr)) != nullptr)
            EXPECT_NE(velmar.Id(), OwnerProcess(child)) << "a button was put on a XAML taskbar";
    }
    EXPECT_EQ(before, PlacesOf(standin.Taskbar()));

    // "TaskbarCreated" from the same taskbar (a program announcing itself) keeps the one button window.
    HWND message = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, L"Start.Button.Main");
    HWND watch = FindWindowW(nullptr, L"Velmar.Taskbar.Watch");
    ASSERT_TRUE(watch);
    SendMessageW(watch, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(IsWindow(message)) << "the button window was made anew for the same taskbar";
}
