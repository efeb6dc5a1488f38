#pragma once
// The correspondence dialog's list of units: a virtual-mode ListView (it asks for the text of a
// row only when it draws it) over dialog::UnitsList, one column, full-row selection. The
// selected row is the chosen unit; this class shows the question's choice and reports the
// user's, and never chooses by itself.
#include <string>

#include "win32/WinApi.h"

namespace dialog {
class CorrespondenceQuestion;
}

namespace win32 {

class UnitsListView {
public:
    // `list` is the ListView control (LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL).
    void attach(HWND list, const std::string& columnTitle, int columnWidth);
    HWND handle() const { return list_; }

    // Shows the rows of the question's units list and selects its chosen row.
    void showRows(const dialog::CorrespondenceQuestion& question);
    // Selects, focuses and scrolls to a row (-1: none) without reporting it back as a choice.
    void showChosenRow(int row);
    // The look of a list that takes no input (the code question): the button face.
    void showInactive();

    // WM_NOTIFY from the list. Returns true when the user has chosen another row; `row` is it.
    bool userChoseRow(const NMHDR& header, int& row) const;
    // NM_CUSTOMDRAW from the list: the chosen row keeps the highlight colours while the focus is
    // elsewhere, since it is the answer. Returns the draw stage's result.
    LRESULT drawChosenRow(NMLVCUSTOMDRAW& request) const;
    // Fills a LVN_GETDISPINFOW request with the row's name.
    void giveRowText(NMLVDISPINFOW& request,
                     const dialog::CorrespondenceQuestion& question) const;

private:
    HWND list_ = nullptr;
    bool showing_ = false;
};

}  // namespace win32
