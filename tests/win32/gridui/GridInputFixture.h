#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/GridCtrl.h"

namespace quillon::grid::testing {

// What the grid's parent received: WM_NOTIFY codes with their cell, and WM_COMMAND.
struct ParentEvent {
    UINT message;  // WM_NOTIFY, WM_COMMAND or WM_NEXTDLGCTL
    int code;      // notification code, or the command's control id
    int row;
    int column;
    std::string text;  // GN_ENDLABELEDIT
};

// One shown, active top-level window for the whole suite (showing and hiding windows is
// slow under Wine); each test gets a fresh grid (control id 1016) in it, 400 x 300 client.
class GridInputFixture : public ::testing::Test {
public:
    static std::vector<ParentEvent>& Events();
    // Answers the parent gives to GN_BEGINLABELEDIT / GN_ENDLABELEDIT, by cell.
    static std::map<std::pair<int, int>, LRESULT>& BeginEditAnswers();
    static std::map<std::pair<int, int>, LRESULT>& EndEditAnswers();

protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // rows x cols cells, every column `width` and row `height` pixels, texts "r<row>c<col>".
    void Shape(int rows, int cols, int fixedRows, int fixedCols, int width = 60, int height = 20);
    HWND Grid() const { return grid_->GetSafeHwnd(); }
    // Mouse input as the system delivers it; `keys` adds MK_SHIFT / MK_CONTROL.
    void Press(POINT point, WPARAM keys = 0);
    void Release(POINT point, WPARAM keys = 0);
    void Click(POINT point, WPARAM keys = 0);
    void Move(POINT point, WPARAM keys = 0);
    void RightClick(POINT point);
    void DoubleClick(POINT point);
    // Key press with Shift / Ctrl held through the thread's keyboard state.
    void Key(UINT key, bool shift = false, bool control = false);
    void Type(HWND window, const std::string& characters);
    // Handles everything posted so far.
    static void Pump();
    // The centre of a cell in client coordinates.
    POINT CentreOf(int row, int col) const;
    std::string TextOf(int row, int col) const;
    std::vector<GridCellId> Selected() const;
    int CountEvents(UINT message, int code) const;
    const ParentEvent* LastEvent(UINT message, int code) const;
    HWND Editor() const;

    static HWND parent_;
    std::unique_ptr<CGridCtrl> grid_;
};

}  // namespace quillon::grid::testing
