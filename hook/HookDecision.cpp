#include "HookDecision.h"

#include <shellapi.h>

HookCall UnpackHookCall(int nCode, WPARAM wParam, LPARAM lParam) {
    HookCall call = {nCode, wParam, nullptr, 0, nullptr};
    // Other codes may come with an lParam that is not ours to read.
    if (nCode != HC_ACTION || !lParam)
        return call;
    const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    call.hWnd = cwp->hwnd;
    call.message = cwp->message;
    if (cwp->message == WM_WINDOWPOSCHANGED)
        call.pPos = reinterpret_cast<WINDOWPOS*>(cwp->lParam);
    return call;
}

bool IsShellRebarMove(const HookCall& call, HWND hTarget, LONG nInProgress) {
    return call.nCode == HC_ACTION && call.wSentByThisThread == 0 && hTarget && call.hWnd == hTarget &&
           nInProgress == 0 && call.message == WM_WINDOWPOSCHANGED && call.pPos;
}

int FindMovedTarget(const HookCall& call, const HWND* targets, int count, LONG nInProgress) {
    for (int i = 0; i < count; ++i)
        if (IsShellRebarMove(call, targets[i], nInProgress))
            return i;
    return -1;
}

static int Shorten(int length, int shift) {
    // A band narrower than the shift would get a negative length, which the
    // shell's own procedure would then see; an empty band is the honest value.
    return length > shift ? length - shift : 0;
}

int RebarShiftAt(UINT dpi) {
    return dpi == 0 || dpi == 96 ? kRebarShift : MulDiv(kRebarShift, static_cast<int>(dpi), 96);
}

RebarPlace ShiftedPlace(UINT uEdge, RebarPlace place, int shift) {
    switch (uEdge) {
    case ABE_LEFT:
    case ABE_RIGHT:
        place.y = shift;
        place.cy = Shorten(place.cy, shift);
        break;
    case ABE_TOP:
    case ABE_BOTTOM:
        place.x = shift;
        place.cx = Shorten(place.cx, shift);
        break;
    default:
        break;
    }
    return place;
}
