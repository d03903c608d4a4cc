#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "framework/MemoryCanvas.h"
#include "grid/GridCtrl.h"

namespace quillon::grid::testing {

// What a grid paints into, read back pixel by pixel: first filled with a colour no paint
// uses, so that pixels left unpainted show.
class Canvas : public framework::MemoryCanvas {
public:
    Canvas(int width, int height) : MemoryCanvas(width, height) { Fill(RGB(1, 2, 3)); }
};

// A WM_NOTIFY the parent received.
struct ReceivedNotify {
    UINT_PTR controlId;
    int code;
    int row;
    int column;
};

// A hidden parent window holding one grid (control id 1016), client area 400 x 300.
class GridFixture : public ::testing::Test {
public:
    static std::vector<ReceivedNotify>& Notifications();

protected:
    void SetUp() override;
    void TearDown() override;

    // Paints the grid's whole client area into a fresh canvas.
    std::unique_ptr<Canvas> Render();
    // Rows x cols cells, `fixedRows` header rows, every row `height` and column `width` pixels.
    void Shape(int rows, int cols, int fixedRows, int fixedCols, int width = 60, int height = 20);

    HWND parent_ = nullptr;
    std::unique_ptr<CGridCtrl> grid_;
    RECT client_{};
};

}  // namespace quillon::grid::testing
