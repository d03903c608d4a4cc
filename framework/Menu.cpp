#include "framework/Menu.h"

namespace quillon::framework {

Menu& Menu::operator=(Menu&& other) noexcept {
    if (this != &other) {
        Reset();
        menu_ = other.menu_;
        other.menu_ = nullptr;
    }
    return *this;
}

Menu Menu::Load(UINT resourceId) {
    return Menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId)));
}

void Menu::Reset() {
    if (menu_) DestroyMenu(menu_);
    menu_ = nullptr;
}

UINT TrackPopupMenuCommand(HMENU popup, HWND owner, POINT screenPoint) {
    if (!popup) return 0;
    // The owner must be foreground for the menu to close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    BOOL chosen = TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, screenPoint.x,
                                 screenPoint.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    return static_cast<UINT>(chosen);
}

}  // namespace quillon::framework
