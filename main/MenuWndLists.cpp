// The menu's two lists. Either may be missing (not built, or its window could
// not be created); every use here is safe for a null list.
#include "MenuWnd.h"

#include "TreeWnd.h"

// Not built yet: without the pinned list (1200) the menu shows none.
void CMenuWnd::LoadPinnedList() {}

// Not built yet: without the all-programs tree (1201) the toggle shows no list.
void CMenuWnd::LoadAllPrograms() {}

void CMenuWnd::ShowList(CTreeWnd* list, int show) {
    if (list && list->IsWindow())
        list->ShowWindow(show);
}

void CMenuWnd::CollapseList(CTreeWnd* list) {
    if (list && list->IsWindow())
        list->CollapseAll();
}

void CMenuWnd::DestroyList(CTreeWnd*& list) {
    if (!list)
        return;
    if (list->IsWindow())
        list->DestroyWindow();
    delete list;
    list = nullptr;
}

HWND CMenuWnd::ListWindow(const CTreeWnd* list) { return list ? list->m_hWnd : nullptr; }
