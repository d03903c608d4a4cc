#include "board/ChangeFlashes.h"

#include <vector>

#include "board/BoardDisplay.h"
#include "board/QuoteGrid.h"

namespace quillon::board {

void ChangeFlashes::Flash(grid::CGridCtrl& grid, int row, int col, int direction) {
    if (direction == 0 || !SharedBoardDisplay().changeFlashes) return;
    grid::CGridCellBase* cell = grid.GetCell(row, col);
    if (cell == nullptr) return;
    const auto ends = std::chrono::steady_clock::now() + Duration;
    auto [entry, added] = lit_.try_emplace({&grid, row, col}, Lit{cell->GetBackColour(), ends});
    if (!added) entry->second.ends = ends;
    cell->SetBackColour(direction > 0 ? FlashUpBackColour : FlashDownBackColour);
    if (!timer_.IsRunning()) timer_.Start(owner_, TimerId, TickMs);
}

void ChangeFlashes::SetRestingBackColour(grid::CGridCtrl& grid, int row, int col, COLORREF colour) {
    auto entry = lit_.find({&grid, row, col});
    if (entry != lit_.end()) {
        entry->second.resting = colour;
    } else if (grid::CGridCellBase* cell = grid.GetCell(row, col)) {
        cell->SetBackColour(colour);
    }
}

void ChangeFlashes::Tick() {
    End(false);
}

void ChangeFlashes::EndAll() {
    End(true);
}

void ChangeFlashes::Forget() {
    lit_.clear();
    timer_.Stop();
}

void ChangeFlashes::End(bool all) {
    const auto now = std::chrono::steady_clock::now();
    std::vector<grid::CGridCtrl*> repaint;
    for (auto entry = lit_.begin(); entry != lit_.end();) {
        if (!all && entry->second.ends > now) {
            ++entry;
            continue;
        }
        auto [grid, row, col] = entry->first;
        if (grid::CGridCellBase* cell = grid->GetCell(row, col)) cell->SetBackColour(entry->second.resting);
        if (repaint.empty() || repaint.back() != grid) repaint.push_back(grid);
        entry = lit_.erase(entry);
    }
    for (grid::CGridCtrl* grid : repaint) RepaintGrid(*grid);
    if (lit_.empty()) timer_.Stop();
}

}  // namespace quillon::board
