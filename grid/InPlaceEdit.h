#pragma once

#include <windows.h>

#include <string>

#include "framework/Wnd.h"

namespace quillon::grid {

// The edit box the grid opens over a cell. It tells the grid the text and the key that
// ended editing (WM_NOTIFY GN_ENDLABELEDIT from its control id) and then closes; the
// object deletes itself when its window is gone.
class CInPlaceEdit : public framework::CWnd {
public:
    // Opens the editor over `rect` (grid client coordinates) and gives it the keyboard
    // focus; null when the window cannot be made. `firstChar` is the key that started
    // editing: see the grid's EditCell.
    static CInPlaceEdit* Open(HWND grid, const RECT& rect, DWORD style, UINT controlId, int row, int col,
                              const std::string& text, UINT firstChar);

    // Reports the text to the grid and closes the window; once.
    void EndEdit();
    UINT GetLastKey() const { return lastKey_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND window) override;

private:
    CInPlaceEdit(HWND grid, int row, int col, const std::string& text, UINT firstChar, const RECT& rect);
    ~CInPlaceEdit() override = default;

    bool OnKeyDown(UINT key);
    bool OnChar(UINT character);
    void EndWithKey(UINT key);
    void WidenToText();

    HWND grid_;
    int row_;
    int col_;
    std::string initialText_;
    UINT lastKey_ = 0;
    bool exitOnArrows_;
    RECT rect_;
    bool ended_ = false;
};

}  // namespace quillon::grid
