#pragma once

#include <string>

// What the boards mark besides the quotes, as the user switched it in their context menu.
// Kept in section [Board] of the INI beside the program; read at start-up with the other
// INI settings, written whenever the user switches something. User-interface thread only.
namespace quillon::board {

struct BoardDisplay {
    bool markAtTheMoney = true;   // "MarkAtTheMoney": the at-the-money strike bold on amber
    bool shadeInTheMoney = true;  // "ShadeInTheMoney": in-the-money cells a shade warmer
    bool centreOnOpen = true;     // "CentreOnOpen": a popup opens with the money mid-view
    bool changeFlashes = true;    // "ChangeFlashes": a changed price flashes its direction
    // "StrikeWindow": the strikes a popup shows on each side of the money; 0 for all of them
    // (the default: a board that hides strikes by itself could pass for one missing data).
    int strikeWindow = 0;
    // Where the switches are written; nothing is written while it is empty.
    std::string iniPath;
};

BoardDisplay& SharedBoardDisplay();

// The strike windows a user can choose; any other value in the INI reads as 0.
inline constexpr int StrikeWindowChoices[] = {0, 5, 10, 20};

// Section [Board] of the INI at `iniPath` (code page 936); a missing key keeps its default.
void ReadBoardDisplay(const std::string& iniPath);
// Writes the switches back with the profile functions; false when the file cannot be written.
bool SaveBoardDisplay();

}  // namespace quillon::board
