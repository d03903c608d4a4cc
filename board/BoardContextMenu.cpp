#include "board/BoardContextMenu.h"

#include <algorithm>
#include <iterator>

#include "board/BoardDisplay.h"
#include "board/DlgSetOptionCols.h"
#include "board/QuoteGrid.h"
#include "framework/ApplicationMessages.h"
#include "framework/Menu.h"
#include "framework/TextConversion.h"
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
        case ID_BOARD_MARK_AT_THE_MONEY:
        case ID_BOARD_SHADE_IN_THE_MONEY:
        case ID_BOARD_CENTRE_ON_OPEN:
        case ID_BOARD_CHANGE_FLASHES:
        case ID_BOARD_STRIKE_WINDOW_ALL:
        case ID_BOARD_STRIKE_WINDOW_5:
        case ID_BOARD_STRIKE_WINDOW_10:
        case ID_BOARD_STRIKE_WINDOW_20:
            SwitchBoardMark(commandId);
            return true;
    }
    return false;
}

void SwitchBoardMark(int commandId) {
    BoardDisplay& display = SharedBoardDisplay();
    bool* value = commandId == ID_BOARD_MARK_AT_THE_MONEY    ? &display.markAtTheMoney
                  : commandId == ID_BOARD_SHADE_IN_THE_MONEY ? &display.shadeInTheMoney
                  : commandId == ID_BOARD_CENTRE_ON_OPEN     ? &display.centreOnOpen
                  : commandId == ID_BOARD_CHANGE_FLASHES     ? &display.changeFlashes
                                                             : nullptr;
    const int window = commandId - ID_BOARD_STRIKE_WINDOW_ALL;
    if (value != nullptr) {
        *value = !*value;
    } else if (window >= 0 && window < static_cast<int>(std::size(StrikeWindowChoices))) {
        display.strikeWindow = StrikeWindowChoices[window];
    } else {
        return;
    }
    // A file that cannot be written keeps the switch for this run; nothing else is lost.
    SaveBoardDisplay();
    if (HWND frame = framework::MainWindowHandle()) ::PostMessageW(frame, framework::BoardDisplayChangedMessage, 0, 0);
}

void ShowGridContextMenu(const BoardGrids& grids, grid::CGridCtrl* clicked) {
    framework::Menu menu = framework::Menu::Load(IDR_GRID_CONTEXT_MENU);
    if (HMENU popup = menu.SubMenu(0)) {
        const BoardDisplay& display = SharedBoardDisplay();
        auto add = [&](UINT id, const char* caption, bool checked) {
            AppendMenuW(popup, MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED), id,
                        framework::WideFromCodePage936(caption).c_str());
        };
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        add(ID_BOARD_MARK_AT_THE_MONEY, "标出平值行权价", display.markAtTheMoney);
        add(ID_BOARD_SHADE_IN_THE_MONEY, "实值着色", display.shadeInTheMoney);
        add(ID_BOARD_CHANGE_FLASHES, "变动闪烁", display.changeFlashes);
        if (grids.popup) {
            add(ID_BOARD_CENTRE_ON_OPEN, "打开时居中平值", display.centreOnOpen);
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            add(ID_BOARD_BACK_TO_THE_MONEY, "回到平值", false);
            add(ID_BOARD_SMILE_CHART, "波动率微笑", false);
            AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
            const char* const windows[] = {"全部行权价", "平值上下5档", "平值上下10档", "平值上下20档"};
            for (int i = 0; i < 4; ++i) add(ID_BOARD_STRIKE_WINDOW_ALL + i, windows[i], false);
            const int chosen = static_cast<int>(
                std::find(std::begin(StrikeWindowChoices), std::end(StrikeWindowChoices), display.strikeWindow) -
                std::begin(StrikeWindowChoices));
            CheckMenuRadioItem(popup, ID_BOARD_STRIKE_WINDOW_ALL, ID_BOARD_STRIKE_WINDOW_20,
                               ID_BOARD_STRIKE_WINDOW_ALL + chosen, MF_BYCOMMAND);
        }
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
