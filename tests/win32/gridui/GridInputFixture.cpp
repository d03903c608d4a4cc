#include "GridInputFixture.h"

#include <string>

namespace quillon::grid::testing {

HWND GridInputFixture::parent_ = nullptr;

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const int code = static_cast<int>(header->code);
        const auto* record = reinterpret_cast<const GridNotifyRecord*>(lParam);
        ParentEvent event{WM_NOTIFY, code, record->row, record->column, {}};
        LRESULT answer = 0;
        if (code == GN_ENDLABELEDIT) {
            event.text = reinterpret_cast<const GridDisplayRecord*>(lParam)->text;
            auto found = GridInputFixture::EndEditAnswers().find({record->row, record->column});
            if (found != GridInputFixture::EndEditAnswers().end()) answer = found->second;
        } else if (code == GN_BEGINLABELEDIT) {
            auto found = GridInputFixture::BeginEditAnswers().find({record->row, record->column});
            if (found != GridInputFixture::BeginEditAnswers().end()) answer = found->second;
        }
        GridInputFixture::Events().push_back(event);
        return answer;
    }
    if (message == WM_NEXTDLGCTL) {
        GridInputFixture::Events().push_back({WM_NEXTDLGCTL, 0, 0, 0, {}});
        return 0;
    }
    if (message == WM_COMMAND) {
        GridInputFixture::Events().push_back({WM_COMMAND, LOWORD(wParam), HIWORD(wParam), 0, {}});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LPARAM Pack(POINT point) {
    return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}

void SetKeys(bool shift, bool control) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace

std::vector<ParentEvent>& GridInputFixture::Events() {
    static std::vector<ParentEvent> events;
    return events;
}

std::map<std::pair<int, int>, LRESULT>& GridInputFixture::BeginEditAnswers() {
    static std::map<std::pair<int, int>, LRESULT> answers;
    return answers;
}

std::map<std::pair<int, int>, LRESULT>& GridInputFixture::EndEditAnswers() {
    static std::map<std::pair<int, int>, LRESULT> answers;
    return answers;
}

void GridInputFixture::SetUpTestSuite() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonGridInputParent";
    RegisterClassW(&windowClass);
    parent_ = CreateWindowExW(0, L"QuillonGridInputParent", L"grid input", WS_POPUP | WS_VISIBLE, 100, 100, 500, 400,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(parent_);
    SetActiveWindow(parent_);
    Pump();
}

void GridInputFixture::TearDownTestSuite() {
    if (parent_ != nullptr) DestroyWindow(parent_);
    parent_ = nullptr;
}

void GridInputFixture::SetUp() {
    ASSERT_NE(parent_, nullptr);
    Events().clear();
    BeginEditAnswers().clear();
    EndEditAnswers().clear();
    SetKeys(false, false);
    grid_ = std::make_unique<CGridCtrl>();
    // The grid adds a two-pixel client edge on every side.
    ASSERT_TRUE(grid_->Create(RECT{0, 0, 404, 304}, parent_, 1016));
    LOGFONTW font = CGridDefaultCell::SystemMessageFont();
    font.lfHeight = -12;
    for (bool fixedRow : {false, true}) {
        for (bool fixedColumn : {false, true}) grid_->GetDefaultCell(fixedRow, fixedColumn)->SetFont(&font);
    }
    SetFocus(Grid());
}

void GridInputFixture::TearDown() {
    SetKeys(false, false);
    grid_.reset();
    Pump();
    Events().clear();
}

void GridInputFixture::Shape(int rows, int cols, int fixedRows, int fixedCols, int width, int height) {
    ASSERT_TRUE(grid_->SetRowCount(rows));
    ASSERT_TRUE(grid_->SetColumnCount(cols));
    ASSERT_TRUE(grid_->SetFixedRowCount(fixedRows));
    ASSERT_TRUE(grid_->SetFixedColumnCount(fixedCols));
    for (int row = 0; row < rows; ++row) grid_->SetRowHeight(row, height);
    for (int col = 0; col < cols; ++col) grid_->SetColumnWidth(col, width);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const std::string text = "r" + std::to_string(row) + "c" + std::to_string(col);
            grid_->SetCellText(row, col, text.c_str());
            grid_->SetCellState(row, col, grid_->GetCellState(row, col) & ~GridCellState::Modified);
        }
    }
    grid_->SetModified(false);
    grid_->UpdateScrollBars();
}

void GridInputFixture::Press(POINT point, WPARAM keys) {
    SendMessageW(Grid(), WM_LBUTTONDOWN, MK_LBUTTON | keys, Pack(point));
}

void GridInputFixture::Release(POINT point, WPARAM keys) {
    SendMessageW(Grid(), WM_LBUTTONUP, keys, Pack(point));
}

void GridInputFixture::Click(POINT point, WPARAM keys) {
    Press(point, keys);
    Release(point, keys);
}

void GridInputFixture::Move(POINT point, WPARAM keys) {
    SendMessageW(Grid(), WM_MOUSEMOVE, keys, Pack(point));
}

void GridInputFixture::RightClick(POINT point) {
    SendMessageW(Grid(), WM_RBUTTONDOWN, MK_RBUTTON, Pack(point));
    SendMessageW(Grid(), WM_RBUTTONUP, 0, Pack(point));
}

void GridInputFixture::DoubleClick(POINT point) {
    Move(point);
    Click(point);
    SendMessageW(Grid(), WM_LBUTTONDBLCLK, MK_LBUTTON, Pack(point));
    Release(point);
}

void GridInputFixture::Key(UINT key, bool shift, bool control) {
    SetKeys(shift, control);
    HWND target = GetFocus() != nullptr ? GetFocus() : Grid();
    SendMessageW(target, WM_KEYDOWN, key, 1);
    SetKeys(false, false);
}

void GridInputFixture::Type(HWND window, const std::string& characters) {
    for (char character : characters) SendMessageW(window, WM_CHAR, static_cast<unsigned char>(character), 1);
}

void GridInputFixture::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

POINT GridInputFixture::CentreOf(int row, int col) const {
    RECT rect{};
    EXPECT_TRUE(grid_->GetCellRect(row, col, &rect)) << row << "," << col;
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::string GridInputFixture::TextOf(int row, int col) const {
    const CGridCellBase* cell = grid_->GetCell(row, col);
    return cell != nullptr ? cell->GetText() : "<none>";
}

std::vector<GridCellId> GridInputFixture::Selected() const {
    const auto& cells = grid_->GetSelectedCells();
    return std::vector<GridCellId>(cells.begin(), cells.end());
}

int GridInputFixture::CountEvents(UINT message, int code) const {
    int count = 0;
    for (const ParentEvent& event : Events()) count += event.message == message && event.code == code ? 1 : 0;
    return count;
}

const ParentEvent* GridInputFixture::LastEvent(UINT message, int code) const {
    for (auto event = Events().rbegin(); event != Events().rend(); ++event) {
        if (event->message == message && event->code == code) return &*event;
    }
    return nullptr;
}

HWND GridInputFixture::Editor() const {
    HWND editor = GetDlgItem(Grid(), static_cast<int>(InPlaceEditId));
    return editor != nullptr && IsWindowVisible(editor) ? editor : nullptr;
}

}  // namespace quillon::grid::testing
