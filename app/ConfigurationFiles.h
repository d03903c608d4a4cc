#pragma once

#include <string>

namespace quillon::app {

// The configuration files beside the executable: the INI read at start, and the column
// set's grid.xml read at start and written at exit.

// Quillon.INI beside Quillon.exe (the module path with ".exe" replaced); empty when
// the module path is too short to have an extension.
std::string DefaultIniPath();

// The catalogue and the default set, before anything else reads them.
void PrepareColumns();
// The user's set from grid.xml (an empty path: the one beside the executable).
void LoadUserColumns(const std::string& gridXmlPath);
void SaveUserColumns(const std::string& gridXmlPath);

// The exchanges' expiry rules as shipped, corrected by ExpirySchedule.txt beside the
// executable when there is one (an empty path: that one). Lines it cannot read are left
// out and named on the debug output; the rest holds.
void LoadExpirySchedule(const std::string& schedulePath);

}  // namespace quillon::app
