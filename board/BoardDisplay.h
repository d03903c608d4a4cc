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
    // Where the switches are written; nothing is written while it is empty.
    std::string iniPath;
};

BoardDisplay& SharedBoardDisplay();

// Section [Board] of the INI at `iniPath` (code page 936); a missing key keeps its default.
void ReadBoardDisplay(const std::string& iniPath);
// Writes the switches back with the profile functions; false when the file cannot be written.
bool SaveBoardDisplay();

}  // namespace quillon::board
