#include "board/BoardDisplay.h"

#include <windows.h>

#include <string>

#include "framework/TextConversion.h"

namespace quillon::board {

namespace {

struct Switch {
    const wchar_t* key;
    bool BoardDisplay::*value;
};
constexpr Switch Switches[] = {
    {L"MarkAtTheMoney", &BoardDisplay::markAtTheMoney},
    {L"ShadeInTheMoney", &BoardDisplay::shadeInTheMoney},
    {L"CentreOnOpen", &BoardDisplay::centreOnOpen},
    {L"ChangeFlashes", &BoardDisplay::changeFlashes},
};

}  // namespace

BoardDisplay& SharedBoardDisplay() {
    static BoardDisplay display;
    return display;
}

void ReadBoardDisplay(const std::string& iniPath) {
    BoardDisplay& display = SharedBoardDisplay();
    display = BoardDisplay{};
    display.iniPath = iniPath;
    if (iniPath.empty()) return;
    const std::wstring path = framework::WideFromCodePage936(iniPath);
    for (const Switch& entry : Switches) {
        display.*entry.value =
            GetPrivateProfileIntW(L"Board", entry.key, display.*entry.value ? 1 : 0, path.c_str()) != 0;
    }
    const int window = static_cast<int>(GetPrivateProfileIntW(L"Board", L"StrikeWindow", 0, path.c_str()));
    for (int choice : StrikeWindowChoices) {
        if (window == choice) display.strikeWindow = choice;
    }
}

bool SaveBoardDisplay() {
    const BoardDisplay& display = SharedBoardDisplay();
    if (display.iniPath.empty()) return false;
    const std::wstring path = framework::WideFromCodePage936(display.iniPath);
    bool saved = true;
    for (const Switch& entry : Switches) {
        saved =
            WritePrivateProfileStringW(L"Board", entry.key, display.*entry.value ? L"1" : L"0", path.c_str()) && saved;
    }
    saved = WritePrivateProfileStringW(L"Board", L"StrikeWindow", std::to_wstring(display.strikeWindow).c_str(),
                                       path.c_str()) &&
            saved;
    return saved;
}

}  // namespace quillon::board
