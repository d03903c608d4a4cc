#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace quillon::board {

// Names one quote column. 0 to 22 and 50 to 60 (the analytics) are the side columns (the
// call side of the T board uses them directly), StrikeColumnId is the middle of the T
// board, and a side id plus PutColumnOffset is its copy on the put side.
using ColumnId = std::int32_t;

inline constexpr ColumnId StrikeColumnId = 24;
inline constexpr ColumnId PutColumnOffset = 100;
inline constexpr ColumnId LastSideColumnId = 22;

// Captions in ascending id order, code page 936 bytes.
using ColumnCaptions = std::map<ColumnId, std::string>;

struct ColumnCatalogue {
    ColumnCaptions sideCaptions;   // ids 0 to 22 and 50 to 60: the top grid and the column dialog
    ColumnCaptions boardCaptions;  // those, 24 and their put copies (+100): the T board
};

// The process-wide catalogue. Written only by BuildColumnCatalogue at start-up, before
// any window exists; readers copy the map they need.
const ColumnCatalogue& SharedColumnCatalogue();

// Empties both maps, then fills them. Building twice gives the same content.
void BuildColumnCatalogue();

// Back to the state before start-up (both maps empty), so each test starts clean.
void ClearColumnCatalogue();

}  // namespace quillon::board
