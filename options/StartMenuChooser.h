// "Add from the Start Menu": a filter box over a list of every All Programs
// entry (shortcuts of both Start Menus and the packaged apps), from which the
// user picks one or more to add to the pinned list.
//
// Lifecycle: Open creates the dialog (template 130) over its owner, which it
// disables until the chooser closes, as a modal dialog would, while the
// thread's one message loop keeps running (the chooser is its message filter
// while it exists). It opens at once saying it is reading; the shortcuts are
// listed by a CStartMenuReader and the apps by the program's CPackagedApps
// source, each announced by a posted message. Add (Enter, a double click)
// hands the chosen entries to the owner's callback after the chooser has
// closed; Cancel (Esc, the close box) closes it without a word.
#pragma once

#include "Dialog.h"
#include "Handles.h"
#include "MessageLoop.h"
#include "StartMenuEntries.h"
#include "resource.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CStartMenuChooser : public fw::CDialogImpl<CStartMenuChooser>, public fw::CMessageFilter {
public:
    enum { IDD = IDD_CHOOSER };
    static constexpr UINT kMsgShortcutsRead = WM_APP + 1;
    static constexpr UINT kMsgAppsRead = WM_APP + 2;

    // 1 when the pinned list has an entry with this path.
    using Listed = std::function<bool(const wchar_t* path)>;
    // The entries chosen, in the list's order; none already listed.
    using Chosen = std::function<void(const std::vector<StartMenuEntry>& chosen)>;

    CStartMenuChooser() = default;
    ~CStartMenuChooser() override;

    // Where the shortcuts are read (DefaultStartMenuRoots unless told before Open).
    void SetRoots(std::vector<StartMenuRoot> roots) { m_roots = std::move(roots); }
    // Creates and shows the chooser over owner; null when it cannot be created.
    HWND Open(HWND owner, Listed listed, Chosen chosen);

    BOOL PreTranslateMessage(MSG* msg) override;

    BEGIN_MSG_MAP(CStartMenuChooser)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(kMsgShortcutsRead, OnShortcutsRead)
        MESSAGE_HANDLER(kMsgAppsRead, OnAppsRead)
        MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
        COMMAND_CODE_HANDLER(IDC_CHOOSER_FILTER, EN_CHANGE, OnFilterChange)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    // What the list shows: entries by index, the filtered ones in order.
    bool IsReading() const { return !m_shortcuts; }
    const StartMenuEntries& Entries() const { return m_entries; }
    const std::vector<size_t>& Shown() const { return m_shown; }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnShortcutsRead(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAppsRead(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnFilterChange(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOK(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(UINT, WPARAM, LPARAM, BOOL&);

    void SetUpList();
    // Joins the shortcuts and the apps read so far and filters them again.
    void Rebuild();
    void ApplyFilter();
    void ShowStatus();
    // The row's icon in the image list, loaded when the row is first drawn.
    int IconOf(size_t entry);
    void Close();

    HWND m_hOwner = nullptr;
    HWND m_hList = nullptr;
    std::vector<StartMenuRoot> m_roots;
    Listed m_listed;
    Chosen m_chosen;
    CStartMenuReader m_reader;
    std::shared_ptr<const StartMenuEntries> m_shortcuts; // null while reading
    std::shared_ptr<const CPackagedApps::Apps> m_apps;
    StartMenuEntries m_entries;
    std::vector<bool> m_listedEntries; // per entry: the pinned list has it
    std::vector<int> m_icons;          // per entry: image index, -1 not loaded yet
    std::vector<size_t> m_shown;       // the entries the filter lets through
    fw::UniqueImageList m_images;
    int m_nIconSize = 16;
    int m_nGenericIcon = -1;
};
