// The options dialog "Start Menu Options": the application list on the left,
// the properties of the selected entry on the right, OK / Cancel / Apply.
//
// Lifecycle: Create() builds the modeless dialog from template 129 of the
// resource instance. WM_INITDIALOG places it in the taskbar's corner, registers
// it as message filter and idle handler of the thread's loop (removed again in
// WM_DESTROY), takes over the four image buttons, creates the list control and
// reads the list file. OK destroys the dialog after a good save and posts the
// quit code 1; Cancel destroys it and posts 2.
//
// The dialog owns every icon it hands to the list and the panel; they are
// destroyed with the dialog object.
#pragma once

#include "AppListPin.h"
#include "AppListWnd.h"
#include "BitmapButton.h"
#include "Dialog.h"
#include "Handles.h"
#include "MessageLoop.h"
#include "StartMenuChooser.h"
#include "resource.h"

#include <memory>

#include <shobjidl.h>

#include <vector>

constexpr int kExitOk = 1;
constexpr int kExitCancel = 2;

class CMainDlg : public fw::CDialogImpl<CMainDlg>, public fw::CMessageFilter, public fw::CIdleHandler {
public:
    enum { IDD = IDD_MAINDLG };
    static constexpr UINT kListNotifyId = 12800;

    CMainDlg() = default;
    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnIdle() override { return FALSE; }

    BEGIN_MSG_MAP(CMainDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_DROPFILES, OnDropFiles)
        MESSAGE_HANDLER(WM_DRAWITEM, OnDrawItem)
        MESSAGE_HANDLER(WM_ENTERIDLE, OnEnterIdle)
        MESSAGE_HANDLER(0x02E0 /* WM_DPICHANGED */, OnDpiChanged)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_APPLY, OnApply)
        COMMAND_ID_HANDLER(IDC_BROWSE, OnCmdBrowse)
        COMMAND_ID_HANDLER(IDC_MOVEDOWN, OnMoveDown)
        COMMAND_ID_HANDLER(IDC_MOVEUP, OnMoveUp)
        COMMAND_ID_HANDLER(IDC_DELETE, OnDelete)
        COMMAND_ID_HANDLER(IDC_ADD, OnAdd)
        COMMAND_ID_HANDLER(IDC_ADD_BROWSE, OnAddBrowse)
        COMMAND_ID_HANDLER(IDC_ADD_STARTMENU, OnAddFromStartMenu)
        NOTIFY_CODE_HANDLER(NM_CLICK, OnListClick)
        COMMAND_CODE_HANDLER(IDC_NAME, EN_CHANGE, OnNameChange)
    END_MSG_MAP()

    // Fills the list from the list file; 0 when a file is there but cannot be read.
    int LoadAppList();
    // After a failed read the file is never written: the user may read it again
    // (Retry) or leave it alone (Cancel). 1 once the list has been read.
    int OfferRetryRead();
    bool ReadFailed() const { return m_bReadFailed; }
    // Writes the list to the list file; 1 on success, 0 on failure, kSaveDeclined
    // when the file changed since it was read here (the user was asked whether
    // to read it again; nothing was written).
    int SaveAppList();
    static constexpr int kSaveDeclined = -1;
    // The file changed since it was read here: read it again, dropping the edits
    // made here (OK), or keep them unsaved (Cancel). 1 when it was read again.
    int OfferReread();
    // Appends the file as a new entry, selects it and readies the name box; the new id, or 0.
    int AddAppFile(const wchar_t* path);
    // Appends what the Start Menu chooser gave: a shortcut as Add's file
    // dialog would, a packaged app with its name; the last one ends selected.
    void AddChosen(const std::vector<StartMenuEntry>& chosen);
    // 1 when an entry of the list has this path (letters in any case).
    bool IsListed(const wchar_t* path) const;
    // The chooser of the last "From the Start Menu...", open or closed; null before.
    CStartMenuChooser* Chooser() { return m_chooser.get(); }
    // Gives the entry another file: its kind, name, icon and path follow the new file. 1 on success.
    int RetargetEntry(int id, const wchar_t* path);
    void UpdateProperties(const NMAPPLIST* record);

    CAppListWnd& List() { return m_list; }
    int GetSelectedId() const { return m_nSelectedId; }
    fw::CBitmapButton& Button(int id) { return m_buttons[id - IDC_MOVEUP]; }

    // The top-left corner that puts a w x h dialog beside the taskbar's start.
    static POINT TaskbarCorner(UINT edge, const RECT& work, int w, int h);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDropFiles(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDpiChanged(UINT, WPARAM, LPARAM, BOOL&);
    // The list's place from the skin's OPTIONS.APPLIST keys, at dpi.
    static RECT ListRectAt(int dpi);
    LRESULT OnOK(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnApply(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCmdBrowse(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMoveDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMoveUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDelete(UINT, WPARAM, LPARAM, BOOL&);
    // Add offers a menu: a file through the file dialog, or an entry of the Start Menu.
    LRESULT OnAdd(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddBrowse(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnAddFromStartMenu(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEnterIdle(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnListClick(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNameChange(UINT, WPARAM, LPARAM, BOOL&);

    void PlaceBesideTaskbar();
    void SetUpButtons();
    void CreateList();
    // What an entry for the file shows: its kind, its name (description, else the
    // shell's display name) and its icon at the list's size, owned by the dialog;
    // the icon is null when the shell has none.
    struct FileEntry {
        int nKind = 0;
        wchar_t szName[128] = {};
        HICON hIcon = nullptr;
    };
    FileEntry ListEntryOf(const wchar_t* path);
    // Appends an entry, selects it and readies the name box; the new id.
    int AppendEntry(const wchar_t* name, HICON icon, int kind, const wchar_t* path);
    // The file open dialog; 1 and the chosen path when the user confirms.
    int ChooseFile(const wchar_t* initial, wchar_t* path);
    void SetPanelIcon(HICON icon);
    void ClearProperties();

    CAppListWnd m_list;
    fw::CBitmapButton m_buttons[4]; // 1011 Move up, 1012 Move down, 1013 Delete, 1014 Add
    fw::UniqueImageList m_hButtonImages;
    int m_nSelectedId = -1;
    // The list file is there but could not be read: the list is not the user's
    // list, and saving it would replace theirs.
    bool m_bReadFailed = false;
    AppListFingerprint m_readPrint; // the list file as read (or last saved) here
    void SetReadFailed(bool failed);
    fw::UniqueIcon m_bigIcon;
    fw::UniqueIcon m_smallIcon;
    fw::UniqueIcon m_panelIcon;
    std::vector<fw::UniqueIcon> m_listIcons;
    fw::ComPtr<IShellLinkW> m_link; // for the shortcuts' icons, made when first needed
    std::unique_ptr<CStartMenuChooser> m_chooser;
};
