#include "grid/InPlaceEdit.h"

#include <algorithm>
#include <new>

#include "framework/GdiObjects.h"
#include "framework/TextConversion.h"
#include "grid/GridNotify.h"

namespace quillon::grid {

namespace {

// Ending an editor closes its window, which takes the keyboard focus away once more;
// this keeps the end from running again inside itself.
bool endingEdit = false;

bool IsKeyDown(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

CInPlaceEdit::CInPlaceEdit(HWND grid, int row, int col, const std::string& text, UINT firstChar, const RECT& rect)
    : grid_(grid), row_(row), col_(col), initialText_(text), exitOnArrows_(firstChar != VK_LBUTTON), rect_(rect) {}

CInPlaceEdit* CInPlaceEdit::Open(HWND grid, const RECT& rect, DWORD style, UINT controlId, int row, int col,
                                 const std::string& text, UINT firstChar) {
    if (grid == nullptr) return nullptr;
    HWND window =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | style, rect.left,
                        rect.top, rect.right - rect.left, rect.bottom - rect.top, grid,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    auto* editor = new (std::nothrow) CInPlaceEdit(grid, row, col, text, firstChar, rect);
    if (editor == nullptr || !editor->SubclassWindow(window)) {
        delete editor;
        ::DestroyWindow(window);
        return nullptr;
    }
    // From here the window owns the object (OnFinalMessage deletes it).
    SendMessageW(window, WM_SETFONT, static_cast<WPARAM>(SendMessageW(grid, WM_GETFONT, 0, 0)), FALSE);
    editor->SetText(text);
    SetFocus(window);

    const LRESULT end = GetWindowTextLengthW(window);
    switch (firstChar) {
        case VK_LBUTTON:
        case VK_RETURN:
            SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(end), end);
            break;
        case VK_BACK:
            SendMessageW(window, EM_SETSEL, static_cast<WPARAM>(end), end);
            PostMessageW(window, WM_CHAR, VK_BACK, 0);
            break;
        case VK_TAB:
        case VK_SPACE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            SendMessageW(window, EM_SETSEL, 0, -1);
            break;
        default:
            SendMessageW(window, EM_SETSEL, 0, -1);
            PostMessageW(window, firstChar > 127 ? WM_IME_CHAR : WM_CHAR, firstChar, 0);
            break;
    }
    return editor;
}

void CInPlaceEdit::EndWithKey(UINT key) {
    lastKey_ = key;
    // Ended here rather than in the focus loss that follows: the grid may open the next
    // cell's editor at once, and moving the focus from inside WM_KILLFOCUS would be undone
    // by the focus change still in progress.
    HWND self = hwnd_;
    EndEdit();
    if (GetFocus() == self && ::IsWindow(grid_)) SetFocus(grid_);
}

bool CInPlaceEdit::OnKeyDown(UINT key) {
    const bool leaves =
        key == VK_PRIOR || key == VK_NEXT || key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    if (leaves && (exitOnArrows_ || IsKeyDown(VK_CONTROL))) {
        EndWithKey(key);
        return true;
    }
    return false;
}

bool CInPlaceEdit::OnChar(UINT character) {
    if (character == VK_TAB || character == VK_RETURN) {
        EndWithKey(character);
        return true;
    }
    if (character == VK_ESCAPE) {
        SetText(initialText_);
        EndWithKey(character);
        return true;
    }
    return false;
}

void CInPlaceEdit::WidenToText() {
    const std::wstring text = framework::WideFromCodePage936(GetText() + "  ");
    SIZE size{};
    {
        framework::WindowDc dc(hwnd_);
        if (!dc) return;
        framework::SelectionGuard font(dc.Get(), reinterpret_cast<HFONT>(Send(WM_GETFONT)));
        GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    RECT parentClient{};
    ::GetClientRect(grid_, &parentClient);
    const int width = std::min<int>(size.cx, parentClient.right - rect_.left);
    RECT current = GetWindowRect();
    if (width <= current.right - current.left) return;
    SetWindowPos(hwnd_, nullptr, 0, 0, width, current.bottom - current.top, SWP_NOMOVE | SWP_NOZORDER);
}

void CInPlaceEdit::EndEdit() {
    if (ended_ || endingEdit || hwnd_ == nullptr) return;
    ended_ = true;
    endingEdit = true;
    GridDisplayRecord record;
    record.mask = GridDisplayMask::Text | GridDisplayMask::State;
    record.row = row_;
    record.column = col_;
    record.text = GetText();
    record.data = static_cast<LPARAM>(lastKey_);
    record.header.hwndFrom = hwnd_;
    record.header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(hwnd_));
    record.header.code = static_cast<UINT>(GN_ENDLABELEDIT);
    HWND target = GetWindow(hwnd_, GW_OWNER);
    if (target == nullptr) target = GetParent(hwnd_);
    HWND self = hwnd_;
    ::ShowWindow(self, SW_HIDE);
    if (target != nullptr) SendMessageW(target, WM_NOTIFY, record.header.idFrom, reinterpret_cast<LPARAM>(&record));
    endingEdit = false;
    // Closing from inside our own focus or key handling would pull the window away under
    // the edit control's feet; the close comes back through the queue.
    if (::IsWindow(self)) PostMessageW(self, WM_CLOSE, 0, 0);
}

LRESULT CInPlaceEdit::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if (OnKeyDown(static_cast<UINT>(wParam))) return 0;
            break;
        case WM_CHAR: {
            if (OnChar(static_cast<UINT>(wParam))) return 0;
            LRESULT result = DefaultProc(message, wParam, lParam);
            if (hwnd_ != nullptr) WidenToText();
            return result;
        }
        case WM_SYSCHAR:
            return 0;
        case WM_KILLFOCUS: {
            LRESULT result = DefaultProc(message, wParam, lParam);
            EndEdit();
            return result;
        }
        default:
            break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CInPlaceEdit::OnFinalMessage(HWND /*window*/) {
    delete this;
}

}  // namespace quillon::grid
