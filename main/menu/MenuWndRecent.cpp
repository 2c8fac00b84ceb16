// The recent documents in the menu: the Recent Items button's popup and the
// arrows of the pinned programs that have documents of their own.
#include "MenuWnd.h"

#include "MenuItemWnd.h"
#include "RecentDocs.h"
#include "RecentPopup.h"
#include "Skin.h"
#include "TreeWnd.h"
#include "Utils.h"

#include <shlwapi.h>

#include <cwctype>
#include <utility>
#include <vector>

namespace {

constexpr size_t kProgramDocuments = 10;

// The program a pinned entry starts: a shortcut's target, else the entry itself.
std::wstring ProgramOf(const wchar_t* path) {
    if (_wcsicmp(::PathFindExtensionW(path), L".lnk") == 0) {
        wchar_t target[kPathCapacity] = {};
        if (GetShortcutTarget(path, target, kPathCapacity) && target[0])
            return target;
    }
    return path;
}

} // namespace

LRESULT CMenuWnd::OnRecentItems(UINT, WPARAM, LPARAM, BOOL&) {
    CMenuItemWnd* button = FindButton(kRecentItemsIdKey);
    if (!button)
        return 0;
    const bool fromKeys = m_keys.FromKeys();
    // Only the documents shown are looked at, however long the list is.
    const size_t count = static_cast<size_t>(gSkin.nRecentCount);
    const std::shared_ptr<const CRecentDocs::Documents> documents = RecentDocs().Snapshot();
    std::vector<const RecentDocument*> shown;
    for (size_t i = 0; documents && i < documents->size() && shown.size() < count; ++i)
        shown.push_back(&(*documents)[i]);
    CRecentPopup popup(shown, count, true, m_nDpi);
    RECT anchor{};
    ::GetWindowRect(button->m_hWnd, &anchor);
    button->SetState(2);
    const RecentPopupChoice choice = popup.Track(button->m_hWnd, button, anchor, fromKeys);
    if (!IsWindow())
        return 0; // torn down meanwhile: the buttons may be gone
    button->SetState(0);
    button->SetClicked(0); // leaving it later gives the account picture back
    if (fw::PointerIsOver(button->m_hWnd))
        button->SetArmed(0); // the pointer resting on the button must not open the popup again at once
    else
        SetUserPicture(nullptr, gSkin.GetImage(1), 1, 1); // the button's icon goes with the pointer
    if (choice.kind == RecentPopupChoice::kOpen) {
        ShowMenu(0, 0, 0);
        LaunchDetached(choice.path.c_str(), nullptr);
        return 0;
    }
    // Without asking, as the shell's own "Clear recent items" does: only the
    // shortcuts go, never a document.
    if (choice.kind == RecentPopupChoice::kClear)
        RecentDocs().Clear();
    if (m_keys.FromKeys())
        m_keys.Reapply(nullptr, KeyLayout()); // Esc or Left: back on the button
    PostMessage(WM_NULL);
    return 0;
}

LRESULT CMenuWnd::OnRecentDocs(UINT, WPARAM, LPARAM, BOOL&) {
    UpdatePinnedDocuments();
    return 0;
}

void CMenuWnd::UpdatePinnedDocuments() {
    CTreeWnd* list = m_pPinnedList.get();
    if (!list || !list->IsWindow())
        return;
    const std::shared_ptr<const CRecentDocs::Documents> documents = RecentDocs().Snapshot();
    m_nRecentGeneration = RecentDocs().Generation();
    // One question per document type for all the rows.
    std::map<std::wstring, std::wstring> programs;
    const ProgramOfType asked = AssociatedProgram();
    const ProgramOfType cached = [&](const wchar_t* extension) {
        std::wstring key = extension ? extension : L"";
        for (wchar_t& c : key)
            c = static_cast<wchar_t>(std::towlower(c));
        auto known = programs.find(key);
        if (known == programs.end())
            known = programs.emplace(key, asked(extension)).first;
        return known->second;
    };
    bool changed = false;
    for (_treeNode* row = list->GetRoot()->pChild; row; row = row->pNext) {
        std::vector<RecentDocument> own;
        if (documents && !documents->empty() && row->szPath[0]) {
            auto program = m_pinnedPrograms.find(row->szPath);
            if (program == m_pinnedPrograms.end())
                program = m_pinnedPrograms.emplace(row->szPath, ProgramOf(row->szPath)).first;
            for (const RecentDocument* document :
                 DocumentsOfProgram(*documents, program->second.c_str(), kProgramDocuments, cached))
                own.push_back(*document);
        }
        changed |= list->SetRowDocuments(row, std::move(own));
    }
    if (changed)
        list->Invalidate(FALSE);
}

bool CMenuWnd::OpenRecentByKey(const MenuKeyStop& stop) {
    if (stop.row && stop.list == m_pPinnedList.get() && stop.list->HasRowDocuments(stop.row)) {
        stop.list->OpenRowDocumentsLater(stop.row);
        return true;
    }
    // A Recent Items button whose zone is the whole button opens as a menu item with a submenu does.
    if (stop.button && !stop.arrow && stop.button->GetCommandId() == kCmdRecentItems && !stop.button->HasArrow()) {
        stop.button->PressKey(false);
        return true;
    }
    return false;
}
