#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "framework/WindowTimer.h"
#include "grid/GridCtrl.h"

namespace quillon::board {

inline constexpr COLORREF FlashUpBackColour = RGB(255, 214, 214);    // a price rose: a red tint
inline constexpr COLORREF FlashDownBackColour = RGB(206, 240, 206);  // it fell: a green one

// The flashes of one board's changed prices: a price cell whose value moved is drawn for
// about half a second on a tint in the direction of the move, then on its resting
// background again. The tint is written with the quote, so it rides on the repaint the
// quote causes anyway; ending flashes costs one repaint per grid and tick. One timer per
// board runs while any cell is lit, and the lit cells are at most the board's cells.
// A flash costs a few array steps: under a flood most quotes light a cell.
class ChangeFlashes {
public:
    static constexpr UINT_PTR TimerId = 0x5142;
    static constexpr UINT TickMs = 100;
    static constexpr std::chrono::milliseconds Duration{500};

    // The board window whose timer ends the flashes.
    void Attach(HWND owner) { owner_ = owner; }

    // Tints the cell for `direction` (above 0 up, below 0 down) while the user's switch is
    // on; a cell lit already keeps its resting background and lights longer.
    void Flash(grid::CGridCtrl& grid, int row, int col, int direction);
    // The background the cell rests on: set at once when it is not lit, kept for the end
    // of its flash when it is.
    void SetRestingBackColour(grid::CGridCtrl& grid, int row, int col, COLORREF colour);
    // On the owner's timer: ends the flashes that are due.
    void Tick();
    // Ends every flash now (the switch went off, or the rows are about to change).
    void EndAll();
    // The grids are gone: forgets the flashes without touching the cells.
    void Forget();
    std::size_t LitCount() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Cell {
        Clock::time_point ends{};  // the epoch while the cell is not lit
        COLORREF resting = 0;
    };
    // One grid's cells, row by row at the column count they were laid out for.
    struct GridCells {
        grid::CGridCtrl* grid = nullptr;
        int columns = 0;
        std::vector<Cell> cells;
        std::vector<int> lit;  // indexes into cells
    };
    GridCells* CellsOf(grid::CGridCtrl& grid, bool make);
    void End(bool all);

    HWND owner_ = nullptr;
    std::vector<GridCells> grids_;  // a board has two
    framework::WindowTimer timer_;
};

}  // namespace quillon::board
