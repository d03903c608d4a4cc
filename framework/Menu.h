#pragma once

#include <windows.h>

namespace quillon::framework {

// An owned menu handle, destroyed with the object (submenus go with their menu).
class Menu {
public:
    Menu() = default;
    explicit Menu(HMENU menu) : menu_(menu) {}
    ~Menu() { Reset(); }
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    Menu(Menu&& other) noexcept : menu_(other.menu_) { other.menu_ = nullptr; }
    Menu& operator=(Menu&& other) noexcept;

    // A menu resource of this program (e.g. the context menu 131); empty if absent.
    static Menu Load(UINT resourceId);

    HMENU Handle() const { return menu_; }
    explicit operator bool() const { return menu_ != nullptr; }
    // The popup at `position` (borrowed: it belongs to this menu).
    HMENU SubMenu(int position) const { return menu_ ? GetSubMenu(menu_, position) : nullptr; }
    void Reset();

private:
    HMENU menu_ = nullptr;
};

// Shows `popup` at a screen point for `owner` and returns the command chosen, or 0.
// The command is not sent; the caller acts on it (or posts it as WM_COMMAND).
UINT TrackPopupMenuCommand(HMENU popup, HWND owner, POINT screenPoint);

}  // namespace quillon::framework
