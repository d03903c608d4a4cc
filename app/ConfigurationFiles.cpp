#include "app/ConfigurationFiles.h"

#include "board/ColumnCatalogue.h"
#include "board/ColumnSet.h"
#include "board/ConfigPaths.h"

namespace quillon::app {

std::string DefaultIniPath() {
    return board::BuildIniPath();
}

void PrepareColumns() {
    board::BuildColumnCatalogue();
    board::SetDefaultColumnSet();
}

void LoadUserColumns(const std::string& gridXmlPath) {
    if (gridXmlPath.empty())
        board::LoadColumnSet();
    else
        board::LoadColumnSet(gridXmlPath);
}

void SaveUserColumns(const std::string& gridXmlPath) {
    if (gridXmlPath.empty())
        board::SaveColumnSet();
    else
        board::SaveColumnSet(gridXmlPath);
}

}  // namespace quillon::app
