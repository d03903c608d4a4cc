#include "app/ConfigurationFiles.h"

#include <windows.h>

#include "board/AnalyticsSettings.h"
#include "board/ColumnCatalogue.h"
#include "board/ColumnSet.h"
#include "board/ConfigPaths.h"
#include "framework/TextConversion.h"
#include "platform/AtomicFile.h"

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

void LoadExpirySchedule(const std::string& schedulePath) {
    board::AnalyticsSettings& settings = board::SharedAnalyticsSettings();
    settings.schedule = analytics::ExpirySchedule::Defaults();
    settings.loggedPastCalendar = false;
    settings.log = [](const std::string& line) {
        OutputDebugStringW(framework::WideFromCodePage936("Quillon: " + line + "\n").c_str());
    };
    const std::string path = schedulePath.empty() ? board::BuildExpirySchedulePath() : schedulePath;
    constexpr std::size_t MaxScheduleSize = 1 << 20;
    const std::optional<std::string> text = platform::ReadWholeFile(path, MaxScheduleSize);
    if (!text) return;
    for (const std::string& problem : settings.schedule.Apply(*text)) {
        OutputDebugStringW(framework::WideFromCodePage936("Quillon: ExpirySchedule.txt " + problem + "\n").c_str());
    }
}

void SaveUserColumns(const std::string& gridXmlPath) {
    if (gridXmlPath.empty())
        board::SaveColumnSet();
    else
        board::SaveColumnSet(gridXmlPath);
}

}  // namespace quillon::app
