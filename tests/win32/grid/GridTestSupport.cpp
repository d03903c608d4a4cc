#include "GridTestSupport.h"

namespace quillon::grid::testing {

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const int code = static_cast<int>(header->code);
        if (code == GN_GETDISPINFO) {
            auto* record = reinterpret_cast<GridDisplayRecord*>(lParam);
            GridFixture::Notifications().push_back({header->idFrom, code, record->row, record->column});
            record->text = "notified";
        } else if (code == GN_ODCACHEHINT) {
            const auto* hint = reinterpret_cast<const GridCacheHintRecord*>(lParam);
            GridFixture::Notifications().push_back({header->idFrom, code, hint->range.minRow, hint->range.minCol});
        } else {
            const auto* record = reinterpret_cast<const GridNotifyRecord*>(lParam);
            GridFixture::Notifications().push_back({header->idFrom, code, record->row, record->column});
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* ParentClass() {
    static const wchar_t* const name = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuillonGridTestParent";
        RegisterClassW(&windowClass);
        return L"QuillonGridTestParent";
    }();
    return name;
}

}  // namespace

std::vector<ReceivedNotify>& GridFixture::Notifications() {
    static std::vector<ReceivedNotify> received;
    return received;
}

void GridFixture::SetUp() {
    Notifications().clear();
    parent_ = CreateWindowExW(0, ParentClass(), L"grid test", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    grid_ = std::make_unique<CGridCtrl>();
    // The grid adds a two-pixel client edge on every side.
    ASSERT_TRUE(grid_->Create(RECT{0, 0, 404, 304}, parent_, 1016));
    client_ = grid_->GetClientRect();
    ASSERT_EQ(client_.right, 400);
    ASSERT_EQ(client_.bottom, 300);
    grid_->SetGridBackColour(RGB(255, 255, 255));
    // Wine smooths the small message font until no pixel has the pure text colour; a
    // larger unsmoothed font keeps the text colour readable in the pixels.
    LOGFONTW font = CGridDefaultCell::SystemMessageFont();
    font.lfHeight = -16;
    font.lfQuality = NONANTIALIASED_QUALITY;
    for (bool fixedRow : {false, true}) {
        for (bool fixedColumn : {false, true}) grid_->GetDefaultCell(fixedRow, fixedColumn)->SetFont(&font);
    }
}

void GridFixture::TearDown() {
    grid_.reset();
    if (parent_ != nullptr) DestroyWindow(parent_);
}

std::unique_ptr<Canvas> GridFixture::Render() {
    RECT client = grid_->GetClientRect();
    auto canvas = std::make_unique<Canvas>(client.right, client.bottom);
    grid_->Paint(canvas->Dc(), client);
    return canvas;
}

void GridFixture::Shape(int rows, int cols, int fixedRows, int fixedCols, int width, int height) {
    ASSERT_TRUE(grid_->SetRowCount(rows));
    ASSERT_TRUE(grid_->SetColumnCount(cols));
    ASSERT_TRUE(grid_->SetFixedRowCount(fixedRows));
    ASSERT_TRUE(grid_->SetFixedColumnCount(fixedCols));
    for (int row = 0; row < rows; ++row) grid_->SetRowHeight(row, height);
    for (int col = 0; col < cols; ++col) grid_->SetColumnWidth(col, width);
    grid_->UpdateScrollBars();
}

}  // namespace quillon::grid::testing
