// A stand-in for the shell's taskbar, as far as Velmar and Pegwell rely on it:
// a topmost top-level "Shell_TrayWnd" window with an empty title at a screen
// edge, holding a real common-controls rebar ("ReBarWindow32") that it lays
// out across its client area on WM_SIZE, and (unless told otherwise) a
// message-only "WineAppBar" window that answers Wine's SHAppBarMessage queries
// ABM_GETTASKBARPOS and ABM_GETSTATE for this taskbar.
//
// Lifecycle: Create() makes the windows on the calling thread and broadcasts
// "TaskbarCreated"; that thread must run a message loop for other threads and
// processes to reach the taskbar (StandinClient.h has the requests it answers).
// Destroy(), the destructor or a WM_CLOSE to the taskbar window removes them all.
//
// Shaped like Windows 8.1/10 or 11 (StandinOptions::nShape) it also holds the
// shell's own children of those taskbars (StandinShape.h), which it lays out
// again with the band on WM_SIZE and on every re-layout request.
//
// With a secondary edge in the options it also owns a second stand-in, of class
// "Shell_SecondaryTrayWnd", on the second monitor, which a registered message
// closes and makes again (StandinClient.h).
#pragma once

#include "StandinOptions.h"
#include "StandinShape.h"

#include <windows.h>

#include <memory>

class CStandinTaskbar {
public:
    CStandinTaskbar() = default;
    ~CStandinTaskbar();
    CStandinTaskbar(const CStandinTaskbar&) = delete;
    CStandinTaskbar& operator=(const CStandinTaskbar&) = delete;

    bool Create(const StandinOptions& options);
    void Destroy();
    // For the program that runs nothing else: end its message loop with the taskbar.
    void SetQuitOnDestroy(bool quit) { m_bQuitOnDestroy = quit; }

    HWND Taskbar() const { return m_hTaskbar; }
    HWND Rebar() const { return m_hRebar; }
    HWND AppBar() const { return m_hAppBar; }
    // The secondary taskbar's window, or none.
    HWND Secondary() const { return m_pSecondary ? m_pSecondary->Taskbar() : nullptr; }
    const StandinOptions& Options() const { return m_options; }

private:
    static LRESULT CALLBACK TaskbarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK AppBarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK RebarProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    LRESULT OnTaskbarMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCopyData(const COPYDATASTRUCT* data);
    bool CreateRebar();
    void AddBand(int nKind, int cx);
    void LayOut();
    RECT RequestedPlace(WPARAM wParam, LPARAM lParam) const;
    void RelayoutFromWorker(const RECT& place);
    void RelayoutHere(const RECT& place);
    void Record(const WINDOWPOS* pos);
    bool SetSecondary(bool present);
    bool SetThickness(int thickness);
    bool Shaped() const { return m_options.nShape != 8; }

    StandinOptions m_options;
    HWND m_hTaskbar = nullptr;
    HWND m_hRebar = nullptr;
    HWND m_hAppBar = nullptr;
    WNDPROC m_pRebarProc = nullptr;
    UINT m_msgRelayout = 0;
    UINT m_msgRelayoutHere = 0;
    UINT m_msgSecondary = 0;
    UINT m_msgThickness = 0;
    CStandinShape m_shape;
    UINT m_msgStall = 0;
    std::unique_ptr<CStandinTaskbar> m_pSecondary;
    int m_nSeen = 0;
    bool m_bQuitOnDestroy = false;
};
