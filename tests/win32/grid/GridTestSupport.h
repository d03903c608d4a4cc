#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "grid/GridCtrl.h"

namespace quillon::grid::testing {

// A 32-bit top-down DIB section selected into a memory DC: what a grid paints into, read
// back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    void Fill(COLORREF colour);
    // Pixels of `colour` inside `area` (right and bottom exclusive).
    int Count(const RECT& area, COLORREF colour) const;
    // The smallest rectangle holding every pixel of `colour` in `area`; empty when none.
    RECT Bounds(const RECT& area, COLORREF colour) const;

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const unsigned int* bits_ = nullptr;
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
