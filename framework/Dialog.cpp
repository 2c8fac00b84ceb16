#include "Dialog.h"

namespace fw {

HWND CDialogImplBase::CreateDialogFromTemplate(HINSTANCE resources, UINT templateId, HWND parent) {
    if (m_hWnd)
        return nullptr;
    SetCreating(this);
    HWND hwnd = ::CreateDialogParamW(resources, MAKEINTRESOURCEW(templateId), parent, DialogProc, 0);
    TakeCreating();
    return hwnd;
}

INT_PTR CALLBACK CDialogImplBase::DialogProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CDialogImplBase*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) {
        self = static_cast<CDialogImplBase*>(TakeCreating());
        if (!self)
            return FALSE;
        self->m_hWnd = hWnd;
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    bool handled = false, finalized = false;
    LRESULT r = self->Dispatch(hWnd, msg, wp, lp, &handled, &finalized);
    if (!handled)
        return FALSE;
    switch (msg) {
    // These return their result directly instead of through DWLP_MSGRESULT.
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(r);
    }
    if (!finalized)
        ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, r);
    return TRUE;
}

} // namespace fw
