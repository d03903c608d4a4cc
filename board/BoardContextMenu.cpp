#include "board/BoardContextMenu.h"

#include "board/DlgSetOptionCols.h"
#include "board/QuoteGrid.h"
#include "framework/Menu.h"
#include "host/HostMessages.h"
#include "host/HostRequests.h"
#include "res/ResourceIds.h"

namespace quillon::board {

bool HandleBoardGridNotify(const BoardGrids& grids, int controlId, const NMHDR* header, LRESULT& result) {
    if (header == nullptr) return false;
    grid::CGridCtrl* sender = nullptr;
    if (controlId == IDC_UNDERLYING_GRID) sender = grids.underlyingGrid;
    if (controlId == IDC_BOARD_GRID) sender = grids.boardGrid;
    if (sender == nullptr) return false;

    switch (header->code) {
        case NM_RCLICK:
            ShowGridContextMenu(grids, sender);
            result = 0;
            return true;
        case NM_DBLCLK:
            ActivateHost();
            result = 0;
            return true;
    }
    return false;
}

bool HandleBoardMenuCommand(const BoardGrids& grids, int commandId) {
    switch (commandId) {
        case ID_GRID_COLUMN_SETTINGS:
            RunColumnSettings(grids.board);
            return true;
        case ID_GRID_FIT_COLUMNS:
            FitClickedGridColumns(grids);
            return true;
    }
    return false;
}

void ShowGridContextMenu(const BoardGrids& grids, grid::CGridCtrl* clicked) {
    framework::Menu menu = framework::Menu::Load(IDR_GRID_CONTEXT_MENU);
    if (HMENU popup = menu.SubMenu(0)) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        // Without TPM_RETURNCMD the command is posted to the board, so it runs after the
        // menu has closed and after clickedGrid below names this grid.
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, grids.board, nullptr);
    }
    grids.clickedGrid = clicked;
}

void RunColumnSettings(HWND board) {
    CDlgSetOptionCols dialog;
    dialog.DoModal(board);
}

void FitClickedGridColumns(const BoardGrids& grids) {
    grid::CGridCtrl* target = grids.clickedGrid;
    // Only a grid of this board: the pointer could be stale after the board let go of its grids.
    if (target == nullptr || (target != grids.underlyingGrid && target != grids.boardGrid)) return;
    target->FitVisibleColumns();
    RepaintGrid(*target);
}

void ActivateHost() {
    host::SendHostRequest(host::HOSTMSG_ACTIVATE_HOST, nullptr, 0);
}

}  // namespace quillon::board
