// A dialog push button drawn from an image list: one image each for the
// normal, pushed, hover and disabled states, with an optional tooltip.
//
// Lifecycle: configure (extended style, image list, images, tooltip text), then
// SubclassWindow() takes over an existing push button: it becomes owner-drawn,
// so the parent must hand its WM_DRAWITEM for the button to DrawItem(). The
// button lets go by itself when its window is destroyed (the tooltip goes with
// it). An image list marked as shared is never destroyed by the button. The
// tooltip window is made when the mouse first comes over the button: until
// then nobody sees it, and a dialog of several buttons opens sooner.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace fw {

class CBitmapButton {
public:
    // Extended styles.
    static constexpr DWORD kHoverImages = 0x1;     // show the hover image while the mouse is over the button
    static constexpr DWORD kAutoSize = 0x2;        // size the button to the image
    static constexpr DWORD kSharedImageList = 0x4; // the image list belongs to someone else
    enum ImageState { kNormal = 0, kPushed, kHover, kDisabled, kStateCount };

    CBitmapButton() = default;
    ~CBitmapButton();
    CBitmapButton(const CBitmapButton&) = delete;
    CBitmapButton& operator=(const CBitmapButton&) = delete;

    void SetBitmapButtonExtendedStyle(DWORD style) { m_dwExtendedStyle = style; }
    DWORD GetBitmapButtonExtendedStyle() const { return m_dwExtendedStyle; }
    void SetImageList(HIMAGELIST images);
    HIMAGELIST GetImageList() const { return m_hImages; }
    // Image indices for the four states; -1 falls back to the normal image.
    void SetImages(int normal, int pushed = -1, int hover = -1, int disabled = -1);
    // Text of the tooltip, up to 255 characters; null or empty: no tooltip.
    void SetToolTipText(const wchar_t* text);

    BOOL SubclassWindow(HWND button);
    void UnsubclassWindow();

    // Paints the button for the parent's WM_DRAWITEM; FALSE when the item is not this button.
    BOOL DrawItem(const DRAWITEMSTRUCT* item);
    // The image index that DrawItem shows for the owner-draw state flags (ODS_*).
    int ImageFor(UINT itemState) const;

    HWND m_hWnd = nullptr;
    HWND GetToolTip() const { return m_hToolTip; } // null until the mouse first came over the button
    bool IsHot() const { return m_bHot; }

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data);
    LRESULT OnMessage(HWND hWnd, UINT msg, WPARAM wp, LPARAM lp);
    void CreateToolTip();

    DWORD m_dwExtendedStyle = 0;
    HIMAGELIST m_hImages = nullptr;
    int m_nImage[kStateCount] = {-1, -1, -1, -1};
    wchar_t m_szToolTip[256] = {};
    HWND m_hToolTip = nullptr;
    bool m_bHot = false;
};

} // namespace fw
