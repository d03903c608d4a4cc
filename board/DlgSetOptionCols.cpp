#include "board/DlgSetOptionCols.h"

#include <set>
#include <vector>

#include "board/ColumnSet.h"
#include "framework/ApplicationMessages.h"
#include "framework/MessageBox.h"
#include "model/DataMutex.h"
#include "res/ResourceIds.h"

namespace quillon::board {

namespace {

// The application title, which the program's own message boxes carry as their caption.
constexpr const char* ApplicationTitle = "Quillon";
constexpr const char* SelectRowMessage = "请选择一行";
constexpr const char* CaptionColumnHeading = "列名";

constexpr UINT SelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

}  // namespace

CDlgSetOptionCols::CDlgSetOptionCols() : CDialog(IDD_SET_OPTION_COLS) {}

void CDlgSetOptionCols::DoDataExchange() {
    columnList_.AttachDlgItem(hwnd_, IDC_COLUMN_LIST);
}

BOOL CDlgSetOptionCols::OnInitDialog() {
    CDialog::OnInitDialog();
    ended_ = false;
    DoDataExchange();
    // A mask of 0 sets the extended style to exactly this value.
    columnList_.SetExtendedStyle(0, ListExtendedStyle);
    columnList_.InsertColumn(0, "", LVCFMT_LEFT, CheckColumnWidth);
    columnList_.InsertColumn(1, CaptionColumnHeading, LVCFMT_LEFT, CaptionColumnWidth);
    FillList();
    CentreOnOwner();
    return TRUE;
}

void CDlgSetOptionCols::FillList() {
    std::vector<ColumnId> selectedIds;
    ColumnCaptions captions;
    {
        model::DataLock lock;
        selectedIds = SharedColumnSet().selectedIds;
        captions = SharedColumnCatalogue().sideCaptions;
    }

    std::set<ColumnId> listedAsSelected;
    for (ColumnId id : selectedIds) {
        listedAsSelected.insert(id);
        // An id without a caption (from an old or edited grid.xml) gets no row, so OK drops it.
        auto caption = captions.find(id);
        if (caption == captions.end()) continue;
        AppendRow(id, caption->second, true);
    }
    for (const auto& [id, caption] : captions) {
        if (!listedAsSelected.contains(id)) AppendRow(id, caption, false);
    }
}

void CDlgSetOptionCols::AppendRow(ColumnId id, const std::string& caption, bool checked) {
    int row = columnList_.InsertItem(columnList_.GetItemCount(), "");
    if (row < 0) return;
    columnList_.SetItemText(row, 1, caption);
    columnList_.SetItemData(row, static_cast<LPARAM>(id));
    if (checked) columnList_.SetCheck(row, true);
}

void CDlgSetOptionCols::CentreOnOwner() {
    RECT dialog = GetWindowRect();
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;

    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& workArea = monitor.rcWork;

    // A hidden or minimised owner (the hidden frame of the normal run mode before the
    // host shows it) gives no place to centre on: the screen's work area does.
    RECT centreOn = workArea;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) ::GetWindowRect(owner, &centreOn);

    int left = (centreOn.left + centreOn.right - width) / 2;
    int top = (centreOn.top + centreOn.bottom - height) / 2;
    // Never partly off the screen, so the buttons stay reachable.
    if (left + width > workArea.right) left = workArea.right - width;
    if (top + height > workArea.bottom) top = workArea.bottom - height;
    if (left < workArea.left) left = workArea.left;
    if (top < workArea.top) top = workArea.top;
    ::SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDlgSetOptionCols::OnCommand(int id, int notifyCode, HWND control) {
    switch (id) {
        case IDC_MOVE_COLUMN_UP:
            MoveSelectedRowUp();
            return true;
        case IDC_MOVE_COLUMN_DOWN:
            MoveSelectedRowDown();
            return true;
    }
    return CDialog::OnCommand(id, notifyCode, control);
}

int CDlgSetOptionCols::SelectedRowOrWarn() {
    int row = columnList_.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) framework::ShowMessageBox(hwnd_, SelectRowMessage, ApplicationTitle, MB_OK);
    return row;
}

void CDlgSetOptionCols::MoveSelectedRowUp() {
    int row = SelectedRowOrWarn();
    // Row 0 is "合约", which always comes first: nothing moves above it.
    if (row <= 1) return;
    SwapRows(row, row - 1);
    MoveSelection(row, row - 1);
}

void CDlgSetOptionCols::MoveSelectedRowDown() {
    int row = SelectedRowOrWarn();
    if (row < 0 || row >= columnList_.GetItemCount() - 1) return;
    SwapRows(row, row + 1);
    MoveSelection(row, row + 1);
}

void CDlgSetOptionCols::SwapRows(int first, int second) {
    const bool firstChecked = columnList_.GetCheck(first);
    columnList_.SetCheck(first, columnList_.GetCheck(second));
    columnList_.SetCheck(second, firstChecked);

    const LPARAM firstData = columnList_.GetItemData(first);
    columnList_.SetItemData(first, columnList_.GetItemData(second));
    columnList_.SetItemData(second, firstData);

    const std::string firstCaption = columnList_.GetItemText(first, 1);
    columnList_.SetItemText(first, 1, columnList_.GetItemText(second, 1));
    columnList_.SetItemText(second, 1, firstCaption);
}

void CDlgSetOptionCols::MoveSelection(int from, int to) {
    columnList_.SetItemState(from, 0, SelectedAndFocused);
    columnList_.SetItemState(to, SelectedAndFocused, SelectedAndFocused);
}

void CDlgSetOptionCols::OnOK() {
    if (ended_) return;
    std::vector<ColumnId> chosenIds;
    const int rows = columnList_.GetItemCount();
    for (int row = 0; row < rows; ++row) {
        // "合约" (id 0) always leads the set, whatever its row or check box say.
        const auto id = static_cast<ColumnId>(columnList_.GetItemData(row));
        if (id != 0 && columnList_.GetCheck(row)) chosenIds.push_back(id);
    }
    ReplaceColumnSet(MakeColumnSet(chosenIds));

    HWND frame = framework::MainWindowHandle();
    if (frame) ::PostMessageW(frame, framework::ColsSetChangedMessage(), 0, 0);

    ended_ = true;
    CDialog::OnOK();
}

void CDlgSetOptionCols::OnCancel() {
    if (ended_) return;
    ended_ = true;
    CDialog::OnCancel();
}

}  // namespace quillon::board
