#pragma once

// Small value types the grid and its cells share.

#include <windows.h>

#include <compare>

namespace quillon::grid {

// 0xFF000000 in any colour field: not set, the default cell's colour applies.
constexpr COLORREF GridColourNotSet = 0xFF000000;  // CLR_DEFAULT

// The colour of a selected cell's background (red 192, green 192, blue 255).
constexpr COLORREF GridSelectionBackColour = RGB(192, 192, 255);

// Bits of a cell's state word.
namespace GridCellState {
constexpr DWORD Focused = 0x01;
constexpr DWORD Selected = 0x02;
constexpr DWORD DropHighlighted = 0x04;
constexpr DWORD ReadOnly = 0x08;
constexpr DWORD Fixed = 0x10;
constexpr DWORD FixedRow = 0x20;
constexpr DWORD FixedColumn = 0x40;
constexpr DWORD Modified = 0x80;
}  // namespace GridCellState

// gridLines values.
namespace GridLines {
constexpr int None = 0;
constexpr int Horizontal = 1;
constexpr int Vertical = 2;
constexpr int Both = 3;
}  // namespace GridLines

// A cell position in display order; (-1, -1) is no cell.
struct GridCellId {
    int row = -1;
    int col = -1;

    bool IsValid() const { return row >= 0 && col >= 0; }
    friend auto operator<=>(const GridCellId&, const GridCellId&) = default;
};

// An inclusive range of cells; all -1 is no range.
struct GridCellRange {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;

    bool IsValid() const { return minRow >= 0 && minCol >= 0 && maxRow >= minRow && maxCol >= minCol; }
    bool Contains(int row, int col) const {
        return IsValid() && row >= minRow && row <= maxRow && col >= minCol && col <= maxCol;
    }
    friend bool operator==(const GridCellRange&, const GridCellRange&) = default;
};

}  // namespace quillon::grid
