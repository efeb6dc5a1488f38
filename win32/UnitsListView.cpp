#include "win32/UnitsListView.h"

#include "dialog/CorrespondenceQuestion.h"
#include "platform/win32/WideText.h"

namespace win32 {

void UnitsListView::attach(HWND list, const std::string& columnTitle, int columnWidth) {
    list_ = list;
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                                 LVS_EX_DOUBLEBUFFER);
    std::wstring title = platform::win32::widen(columnTitle);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title.data();
    column.cx = columnWidth;
    SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}

void UnitsListView::showRows(const dialog::CorrespondenceQuestion& question) {
    const int rows = question.RowCount();
    SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows > 0 ? rows : 0),
                 LVSICF_NOINVALIDATEALL);
    // The one column fills the list beside its scroll bar, so no horizontal bar takes a row.
    ListView_SetColumnWidth(list_, 0, LVSCW_AUTOSIZE_USEHEADER);
    InvalidateRect(list_, nullptr, TRUE);
    showChosenRow(question.CurrentRow());
}

void UnitsListView::showChosenRow(int row) {
    showing_ = true;
    // The focused item moves with the selection, so that the arrow keys start from the chosen
    // unit and taking the focus with Tab changes nothing.
    ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0) {
        ListView_SetItemState(list_, row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list_, row, FALSE);
    }
    showing_ = false;
}

void UnitsListView::showInactive() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ListView_SetBkColor(list_, face);
    ListView_SetTextBkColor(list_, face);
}

bool UnitsListView::userChoseRow(const NMHDR& header, int& row) const {
    if (showing_ || header.hwndFrom != list_ || header.code != LVN_ITEMCHANGED) return false;
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (change.iItem < 0 || (change.uChanged & LVIF_STATE) == 0) return false;
    const bool selectedNow = (change.uNewState & LVIS_SELECTED) != 0;
    const bool selectedBefore = (change.uOldState & LVIS_SELECTED) != 0;
    if (!selectedNow || selectedBefore) return false;
    row = change.iItem;
    return true;
}

LRESULT UnitsListView::drawChosenRow(NMLVCUSTOMDRAW& request) const {
    // The inactive list of the code question is drawn as it is, in the button face.
    if (!IsWindowEnabled(list_)) return CDRF_DODEFAULT;
    if (request.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (request.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const auto row = static_cast<int>(request.nmcd.dwItemSpec);
    if (ListView_GetItemState(list_, row, LVIS_SELECTED) == 0) return CDRF_DODEFAULT;
    request.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    request.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
    // Drawn as an ordinary row in these colours, or the list would grey it when unfocused.
    request.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
    return CDRF_NEWFONT;
}

void UnitsListView::giveRowText(NMLVDISPINFOW& request,
                                const dialog::CorrespondenceQuestion& question) const {
    if ((request.item.mask & LVIF_TEXT) == 0 || request.item.pszText == nullptr ||
        request.item.cchTextMax <= 0) {
        return;
    }
    const std::wstring text = platform::win32::widen(question.RowText(request.item.iItem));
    lstrcpynW(request.item.pszText, text.c_str(), request.item.cchTextMax);
}

}  // namespace win32
