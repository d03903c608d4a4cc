#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "board/ColumnCatalogue.h"

namespace quillon::board {

struct ColumnSet {
    // The side columns shown, left to right: 0 ("合约") first, then the user's choice.
    std::vector<ColumnId> selectedIds;
    // The T board left to right, always DeriveBoardIds of selectedIds without its 0.
    std::vector<ColumnId> boardIds;
};

// Files larger than this, or with more markup than a column list can need, are not
// parsed: they are not ours. The parser recurses once per nesting level (so tags are
// bounded) and checks each new attribute against all of its element's others (so
// attributes, which each need an '=', are bounded).
inline constexpr std::size_t MaxGridXmlSize = 16 * 1024 * 1024;
inline constexpr std::size_t MaxGridXmlTags = 1024;        // '<' characters
inline constexpr std::size_t MaxGridXmlAttributes = 2048;  // '=' characters

// The T board for the chosen side ids c1..cn (without the leading 0): cn..c1, the strike
// column, then c1+100..cn+100, so the first choice stands next to the strike on both sides.
std::vector<ColumnId> DeriveBoardIds(const std::vector<ColumnId>& chosenIds);

// selectedIds = 0 followed by the chosen ids, boardIds derived from them.
ColumnSet MakeColumnSet(const std::vector<ColumnId>& chosenIds);

// The process-wide column set. Every write replaces both lists in one step under
// DataMutex; readers copy what they need under DataMutex, or on the UI thread without it.
const ColumnSet& SharedColumnSet();
ColumnSet CopyColumnSet();  // takes DataMutex for the copy

// Replaces both lists at once, under DataMutex (the column dialog's OK).
void ReplaceColumnSet(ColumnSet columns);

// Selected 0..7; the T board 7..1, 24, 101..107.
void SetDefaultColumnSet();

// Back to the state before start-up (both lists empty, nothing loaded), for tests.
void ClearColumnSet();

// The column ids chosen in a grid.xml document, in file order without the 0 entries, or
// nothing when the document gives no usable column and the defaults stay. Safe for any
// bytes: it never reads outside [data, data + size).
std::optional<std::vector<ColumnId>> ReadChosenColumnIds(const char* data, std::size_t size);

// The grid.xml document for a selectedIds list, exactly as it is written to disk.
std::string FormatGridXml(const std::vector<ColumnId>& selectedIds);

// Reads grid.xml (beside the executable, or at `path`) and replaces the column set when
// the file holds at least one usable column. Anything else keeps the current set, silently.
void LoadColumnSet();
void LoadColumnSet(const std::string& path);

// Writes selectedIds to grid.xml, replacing the old file in one step. Failures are silent
// and leave the old file whole. Until LoadColumnSet has run or the set was replaced, the
// set holds nothing the user chose, so nothing is written and the user's file survives a
// start-up that ends early. The path form tells whether the file was written.
void SaveColumnSet();
bool SaveColumnSet(const std::string& path);

}  // namespace quillon::board
