// The grid as a window: made from a dialog template, its messages, WM_PRINTCLIENT.
#include <cstring>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "framework/GdiObjects.h"

namespace quillon::grid::testing {
namespace {

// An in-memory DLGTEMPLATE with one "MFCGridCtrl" control, id 1000, and the dialog font
// "宋体" 9 points, as the board templates have.
std::vector<WORD> BoardLikeTemplate() {
    std::vector<WORD> words;
    auto push = [&](const void* data, size_t bytes) {
        const auto* source = static_cast<const WORD*>(data);
        words.insert(words.end(), source, source + bytes / sizeof(WORD));
    };
    auto pushText = [&](const wchar_t* text) { push(text, (wcslen(text) + 1) * sizeof(wchar_t)); };
    auto align = [&] {
        if (words.size() % 2 != 0) words.push_back(0);
    };
    DLGTEMPLATE dialog{};
    dialog.style = WS_POPUP | DS_SETFONT;
    dialog.cdit = 1;
    dialog.cx = 200;
    dialog.cy = 100;
    push(&dialog, sizeof dialog);
    words.push_back(0);  // no menu
    words.push_back(0);  // default class
    words.push_back(0);  // no title
    words.push_back(9);  // point size
    pushText(L"宋体");
    align();
    DLGITEMTEMPLATE item{};
    item.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    item.x = 0;
    item.y = 0;
    item.cx = 200;
    item.cy = 80;
    item.id = 1000;
    push(&item, sizeof item);
    pushText(GridWindowClassName);
    words.push_back(0);  // no title
    words.push_back(0);  // no creation data
    return words;
}

INT_PTR CALLBACK EmptyDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

TEST(GridWindow, DialogTemplateMakesAGridObjectTheBoardCanReach) {
    ASSERT_TRUE(CGridCtrl::RegisterWindowClass());
    std::vector<WORD> dialogTemplate = BoardLikeTemplate();
    HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                             reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), nullptr,
                                             &EmptyDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    CGridCtrl* grid = CGridCtrl::FromDlgItem(dialog, 1000);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(CGridCtrl::FromHandle(dialog), nullptr);
    EXPECT_EQ(grid->GetSafeHwnd(), GetDlgItem(dialog, 1000));

    // The template's font reached every default cell through WM_SETFONT.
    EXPECT_EQ(std::wstring(grid->GetDefaultCell(false, false)->GetFont()->lfFaceName), L"宋体");
    EXPECT_EQ(std::wstring(grid->GetDefaultCell(true, true)->GetFont()->lfFaceName), L"宋体");
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(grid->GetSafeHwnd(), WM_GETFONT, 0, 0)),
              grid->GetDefaultCell(false, false)->GetFontObject());
    EXPECT_NE(GetWindowLongPtrW(grid->GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);

    EXPECT_TRUE(grid->SetRowCount(10));
    EXPECT_TRUE(grid->SetColumnCount(5));
    EXPECT_TRUE(grid->SetFixedRowCount(1));
    grid->GetCell(3, 3)->SetText("合约");
    EXPECT_STREQ(CGridCtrl::FromDlgItem(dialog, 1000)->GetCell(3, 3)->GetText(), "合约");
    // Destroying the dialog destroys the grid window and the object it made.
    EXPECT_TRUE(DestroyWindow(dialog));
}

TEST_F(GridFixture, PrintClientPaintsWhatPaintPaints) {
    Shape(5, 4, 1, 1, 70, 24);
    grid_->GetCell(2, 2)->SetBackColour(RGB(0, 200, 0));
    grid_->GetCell(2, 2)->SetText("3125.0");
    auto painted = Render();
    Canvas printed(400, 300);
    SendMessageW(grid_->GetSafeHwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.Dc()), PRF_CLIENT);
    int differing = 0;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) differing += painted->At(x, y) != printed.At(x, y) ? 1 : 0;
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(GridFixture, PictureOfTheWindowHasTheGreyDoubleBorder) {
    Shape(3, 3, 1, 0);
    const RECT window = grid_->GetWindowRect();
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    Canvas picture(width, height);
    SendMessageW(grid_->GetSafeHwnd(), WM_PRINT, reinterpret_cast<WPARAM>(picture.Dc()), PRF_NONCLIENT);
    const COLORREF grey = RGB(192, 192, 192);
    const POINT border[] = {
        {0, 0},         {1, 1},         {width - 1, height / 2}, {width - 2, height / 2}, {width / 2, height - 1},
        {width / 2, 1}, {0, height - 1}};
    for (POINT point : border) EXPECT_EQ(picture.At(point.x, point.y), grey) << point.x << "," << point.y;
}

TEST_F(GridFixture, NonClientPaintAndActivationDrawTheGreyDoubleBorderOnTheWindow) {
    Shape(3, 3, 1, 0);
    ShowWindow(parent_, SW_SHOWNOACTIVATE);
    UpdateWindow(parent_);
    HWND window = grid_->GetSafeHwnd();
    const RECT rect = grid_->GetWindowRect();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    const COLORREF grey = RGB(192, 192, 192);
    const POINT border[] = {{0, 0}, {1, 1}, {width - 1, height / 2}, {width - 2, height / 2}, {width / 2, height - 1}};
    for (UINT message : {UINT(WM_NCPAINT), UINT(WM_NCACTIVATE)}) {
        SCOPED_TRACE(message);
        framework::WindowDc dc(window, framework::WindowDc::Area::Window);
        ASSERT_TRUE(dc);
        const RECT all{0, 0, width, height};
        FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ASSERT_EQ(GetPixel(dc.Get(), 0, 0), RGB(0, 0, 0));
        SendMessageW(window, message, message == WM_NCPAINT ? 1 : TRUE, 0);
        GdiFlush();
        for (POINT point : border) EXPECT_EQ(GetPixel(dc.Get(), point.x, point.y), grey) << point.x << "," << point.y;
    }
}

TEST_F(GridFixture, DialogCodeAndEraseFollowTheGridsOptions) {
    HWND window = grid_->GetSafeHwnd();
    EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTTAB);
    grid_->SetHandleTabKey(false);
    EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    EXPECT_EQ(SendMessageW(window, WM_ERASEBKGND, 0, 0), 0);

    // WM_SETFONT re-measures the default cells; new rows take the new height.
    LOGFONTW big = CGridDefaultCell::SystemMessageFont();
    big.lfHeight = -40;
    HFONT font = CreateFontIndirectW(&big);
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    EXPECT_EQ(grid_->GetDefaultCell(false, false)->GetFont()->lfHeight, -40);
    EXPECT_GT(grid_->GetDefaultCell(false, false)->GetHeight(), 40);
    grid_->SetRowCount(2);
    EXPECT_EQ(grid_->GetRowHeight(1), grid_->GetDefaultCell(false, false)->GetHeight());
    grid_->DeleteAllItems();
    DeleteObject(font);
}

}  // namespace
}  // namespace quillon::grid::testing
