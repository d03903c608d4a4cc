#include "board/ChangeFlashes.h"

#include "board/BoardDisplay.h"
#include "board/QuoteGrid.h"

namespace quillon::board {

ChangeFlashes::GridCells* ChangeFlashes::CellsOf(grid::CGridCtrl& grid, bool make) {
    GridCells* found = nullptr;
    for (GridCells& entry : grids_) {
        if (entry.grid == &grid) found = &entry;
    }
    if (found == nullptr && make) {
        found = &grids_.emplace_back();
        found->grid = &grid;
    }
    if (found == nullptr) return nullptr;
    // Laid out for other columns: what is lit rests first, then the cells start afresh.
    if (found->columns != grid.GetColumnCount()) {
        for (int index : found->lit) {
            const int row = index / found->columns, col = index % found->columns;
            if (grid::CGridCellBase* cell = grid.GetCell(row, col)) cell->SetBackColour(found->cells[index].resting);
        }
        found->lit.clear();
        found->columns = grid.GetColumnCount();
        found->cells.assign(static_cast<std::size_t>(grid.GetRowCount() * found->columns), Cell{});
    }
    return found;
}

void ChangeFlashes::Flash(grid::CGridCtrl& grid, int row, int col, int direction) {
    if (direction == 0 || !SharedBoardDisplay().changeFlashes) return;
    grid::CGridCellBase* cell = grid.GetCell(row, col);
    GridCells* cells = cell != nullptr ? CellsOf(grid, true) : nullptr;
    if (cells == nullptr || col >= cells->columns) return;
    const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(cells->columns) + col;
    if (index >= cells->cells.size())
        cells->cells.resize(static_cast<std::size_t>(grid.GetRowCount() * cells->columns));
    if (index >= cells->cells.size()) return;
    Cell& lit = cells->cells[index];
    if (lit.ends == Clock::time_point{}) {
        lit.resting = cell->GetBackColour();
        cells->lit.push_back(static_cast<int>(index));
    }
    lit.ends = Clock::now() + Duration;
    cell->SetBackColour(direction > 0 ? FlashUpBackColour : FlashDownBackColour);
    if (!timer_.IsRunning()) timer_.Start(owner_, TimerId, TickMs);
}

void ChangeFlashes::SetRestingBackColour(grid::CGridCtrl& grid, int row, int col, COLORREF colour) {
    grid::CGridCellBase* cell = grid.GetCell(row, col);
    if (cell == nullptr) return;
    GridCells* cells = CellsOf(grid, false);
    if (cells != nullptr && col < cells->columns) {
        const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(cells->columns) + col;
        if (index < cells->cells.size() && cells->cells[index].ends != Clock::time_point{}) {
            cells->cells[index].resting = colour;
            return;
        }
    }
    cell->SetBackColour(colour);
}

std::size_t ChangeFlashes::LitCount() const {
    std::size_t count = 0;
    for (const GridCells& entry : grids_) count += entry.lit.size();
    return count;
}

void ChangeFlashes::Tick() {
    End(false);
}

void ChangeFlashes::EndAll() {
    End(true);
}

void ChangeFlashes::Forget() {
    grids_.clear();
    timer_.Stop();
}

void ChangeFlashes::End(bool all) {
    const auto now = Clock::now();
    for (GridCells& entry : grids_) {
        bool ended = false;
        std::size_t kept = 0;
        for (int index : entry.lit) {
            Cell& lit = entry.cells[static_cast<std::size_t>(index)];
            if (!all && lit.ends > now) {
                entry.lit[kept++] = index;
                continue;
            }
            const int row = index / entry.columns, col = index % entry.columns;
            if (grid::CGridCellBase* cell = entry.grid->GetCell(row, col)) cell->SetBackColour(lit.resting);
            lit.ends = Clock::time_point{};
            ended = true;
        }
        entry.lit.resize(kept);
        if (ended) RepaintGrid(*entry.grid);
    }
    if (LitCount() == 0) timer_.Stop();
}

}  // namespace quillon::board
