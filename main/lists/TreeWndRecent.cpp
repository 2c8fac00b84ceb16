// A row's recent documents: the arrow at its right and the popup it opens.
#include "TreeWnd.h"

#include "RecentPopup.h"
#include "Skin.h"
#include "Text.h"

#include <utility>

namespace {

constexpr size_t kRowDocuments = 10;
constexpr UINT kArrowDelay = 400; // ms, as long as the default skin's power arrow waits

bool SameDocuments(const std::vector<RecentDocument>& a, const std::vector<RecentDocument>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].strPath != b[i].strPath || a[i].strName != b[i].strName)
            return false;
    return true;
}

} // namespace

bool CTreeWnd::SetRowDocuments(const _treeNode* row, std::vector<RecentDocument> documents) {
    if (!row)
        return false;
    if (documents.size() > kRowDocuments)
        documents.resize(kRowDocuments);
    auto known = m_rowDocuments.find(row);
    if (documents.empty()) {
        if (known == m_rowDocuments.end())
            return false;
        m_rowDocuments.erase(known);
        if (m_pArrowRow == row)
            TrackArrow(nullptr, {});
        return true;
    }
    if (known != m_rowDocuments.end() && SameDocuments(known->second, documents))
        return false;
    m_rowDocuments[row] = std::move(documents);
    return true;
}

RECT CTreeWnd::ArrowRect(const _treeNode* row) const {
    if (!row || !HasRowDocuments(row))
        return {};
    RECT rc = row->rcItem;
    rc.left = ArrowLeft(rc, m_nDpi);
    return rc;
}

bool CTreeWnd::InArrow(const _treeNode* item, POINT pt) const {
    const RECT rc = ArrowRect(item);
    return ::PtInRect(&rc, pt) != FALSE;
}

void CTreeWnd::TrackArrow(const _treeNode* item, POINT pt) {
    const _treeNode* on = item && InArrow(item, pt) ? item : nullptr;
    if (on == m_pArrowRow)
        return; // still on the same arrow (also after its popup closed): it opens once
    m_pArrowRow = on;
    if (on)
        ::SetTimer(m_hWnd, kArrowTimer, kArrowDelay, nullptr);
    else if (m_hWnd)
        ::KillTimer(m_hWnd, kArrowTimer);
}

LRESULT CTreeWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (wParam != kArrowTimer) {
        handled = FALSE;
        return 0;
    }
    ::KillTimer(m_hWnd, kArrowTimer);
    if (m_pArrowRow && HasRowDocuments(m_pArrowRow))
        OpenRowDocuments(m_pArrowRow, false);
    return 0;
}

void CTreeWnd::OpenRowDocumentsLater(const _treeNode* row) {
    if (HasRowDocuments(row))
        PostMessage(kMsgOpenDocuments, m_nGeneration, reinterpret_cast<LPARAM>(row));
}

LRESULT CTreeWnd::OnOpenDocuments(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    // A row of an item set read since is gone.
    const auto* row = reinterpret_cast<const _treeNode*>(lParam);
    if (static_cast<unsigned>(wParam) == m_nGeneration && HasRowDocuments(row))
        OpenRowDocuments(row, true);
    return 0;
}

void CTreeWnd::OpenRowDocuments(const _treeNode* row, bool fromKeys) {
    auto own = m_rowDocuments.find(row);
    if (own == m_rowDocuments.end())
        return;
    std::vector<const RecentDocument*> documents;
    for (const RecentDocument& document : own->second)
        documents.push_back(&document);
    CRecentPopup popup(documents, kRowDocuments, false, m_nDpi);
    // Beside the row, out of the list's way: from the list's right side.
    RECT anchor = row->rcItem;
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&anchor), 2);
    anchor.right = window.right;
    bInMenu = 1; // the row keeps its highlight while the popup has the pointer
    const RecentPopupChoice choice = popup.Track(m_hWnd, this, anchor, fromKeys);
    bInMenu = 0;
    // The rows may have been read again meanwhile: `row` is not used past here.
    if (choice.kind != RecentPopupChoice::kOpen || !IsWindow())
        return;
    _treeNotify record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.code = kTreeNotifyClick;
    record.nId = -1;
    fw::StrCopy(record.szPath, choice.path.c_str());
    bInMenu = 1;
    ::SendMessageW(m_hOwner, WM_NOTIFY, m_nControlId, reinterpret_cast<LPARAM>(&record));
}

void CTreeWnd::PaintArrow(Gdiplus::Graphics& graphics, const RECT& row) {
    const int left = ArrowLeft(row, m_nDpi);
    const int cx = (left + row.right) / 2, cy = (row.top + row.bottom) / 2;
    if (Gdiplus::Image* image = gSkin.pRecentArrow) {
        const int w = fw::Scale(static_cast<int>(image->GetWidth()), m_nDpi);
        const int h = fw::Scale(static_cast<int>(image->GetHeight()), m_nDpi);
        graphics.DrawImage(gSkin.ImageForDpi(image, m_nDpi), Gdiplus::Rect(cx - w / 2, cy - h / 2, w, h));
        return;
    }
    // A chevron pointing right, in the rows' text colour.
    const Gdiplus::REAL half = static_cast<Gdiplus::REAL>(fw::Scale(4, m_nDpi));
    const Gdiplus::REAL x = static_cast<Gdiplus::REAL>(cx) - half / 2, y = static_cast<Gdiplus::REAL>(cy);
    const Gdiplus::PointF points[] = {{x, y - half}, {x + half, y}, {x, y + half}};
    Gdiplus::Pen pen(Gdiplus::Color(200, 0, 0, 0), static_cast<Gdiplus::REAL>(fw::Scale(3, m_nDpi)) / 2);
    pen.SetLineJoin(Gdiplus::LineJoinRound);
    pen.SetStartCap(Gdiplus::LineCapRound);
    pen.SetEndCap(Gdiplus::LineCapRound);
    const Gdiplus::SmoothingMode smoothing = graphics.GetSmoothingMode();
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.DrawLines(&pen, points, 3);
    graphics.SetSmoothingMode(smoothing);
}
