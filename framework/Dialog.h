// Modeless dialog base on a dialog template of the resource instance, with the
// same message map as windows. Unhandled messages go to the dialog manager.
#pragma once

#include "Window.h"

namespace fw {

class CDialogImplBase : public CWindowImplBase {
public:
    // Creates the dialog from template id; parent may be null (own taskbar button).
    HWND CreateDialogFromTemplate(HINSTANCE resources, UINT templateId, HWND parent);

protected:
    LRESULT DefaultProc(UINT, WPARAM, LPARAM) override { return 0; }
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
};

template <class T> class CDialogImpl : public CDialogImplBase {
public:
    HWND Create(HWND parent);
};

} // namespace fw

#include "AppModule.h"

template <class T> HWND fw::CDialogImpl<T>::Create(HWND parent) {
    return CreateDialogFromTemplate(gModule.GetResourceInstance(), T::IDD, parent);
}
