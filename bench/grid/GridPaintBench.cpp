// How long a board-sized grid takes to paint: a long option chain (150 rows, 15 columns)
// painted whole into a memory DC, the view a board usually shows, and one quote cell's
// change with the repaint of that cell alone.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "framework/MemoryCanvas.h"
#include "grid/GridCtrl.h"

namespace {

using quillon::grid::CGridCtrl;

constexpr int Rows = 151;  // header + 150 strikes
constexpr int Columns = 15;
constexpr int ColumnWidth = 72;
constexpr int RowHeight = 20;

using quillon::framework::MemoryCanvas;

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void FillBoard(CGridCtrl& grid) {
    grid.SetRowCount(Rows);
    grid.SetColumnCount(Columns);
    grid.SetFixedRowCount(1);
    grid.SetTrackFocusCell(false);
    grid.SetFrameFocusCell(false);
    grid.SetGridBackColour(RGB(255, 255, 255));
    for (int col = 0; col < Columns; ++col) {
        grid.SetColumnWidth(col, ColumnWidth);
        grid.GetCell(0, col)->SetText("最新价");
    }
    for (int row = 0; row < Rows; ++row) {
        grid.SetRowHeight(row, RowHeight);
        for (int col = 0; row > 0 && col < Columns; ++col) {
            auto* cell = grid.GetCell(row, col);
            cell->SetBackColour(row % 2 ? RGB(255, 255, 255) : RGB(0xEB, 0xEB, 0xEB));
            cell->SetText(std::to_string(3000 + row * 50 + col).c_str());
            cell->SetTextColour(col % 3 == 0 ? RGB(255, 0, 0) : RGB(0, 201, 0));
            cell->SetMargin(3);
        }
    }
    grid.UpdateScrollBars();
}

template <typename Work>
double MillisecondsPerRun(int runs, Work work) {
    work();  // warm the caches and the font
    const double start = Now();
    for (int i = 0; i < runs; ++i) work();
    return (Now() - start) * 1000.0 / runs;
}

}  // namespace

int main() {
    WNDCLASSW parentClass{};
    parentClass.lpfnWndProc = DefWindowProcW;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.lpszClassName = L"GridPaintBenchParent";
    RegisterClassW(&parentClass);
    HWND parent = CreateWindowExW(0, parentClass.lpszClassName, L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 1200, 800, nullptr,
                                  nullptr, parentClass.hInstance, nullptr);

    const int wholeWidth = Columns * ColumnWidth + 4;
    const int wholeHeight = Rows * RowHeight + 4;
    struct View {
        const char* name;
        int width;
        int height;
    } views[] = {{"whole chain 150 x 15", wholeWidth, wholeHeight}, {"board view 1080 x 600", 1084, 604}};

    for (const View& view : views) {
        auto grid = std::make_unique<CGridCtrl>();
        grid->Create(RECT{0, 0, view.width, view.height}, parent, 1016);
        FillBoard(*grid);
        const RECT client = grid->GetClientRect();
        MemoryCanvas canvas(client.right, client.bottom);

        const double full = MillisecondsPerRun(50, [&] { grid->Paint(canvas.Dc(), client); });
        int tick = 0;
        const double oneCell = MillisecondsPerRun(2000, [&] {
            grid->SetCellText(40 % (client.bottom / RowHeight), 6, std::to_string(3100 + (++tick % 7)).c_str());
            RECT cell{};
            grid->GetCellRect(40 % (client.bottom / RowHeight), 6, &cell);
            cell.right++;
            cell.bottom++;
            grid->Paint(canvas.Dc(), cell);
        });
        const double quoteRow = MillisecondsPerRun(50, [&] {
            for (int col = 0; col < Columns; ++col) grid->SetCellText(10, col, std::to_string(++tick).c_str());
            grid->Paint(canvas.Dc(), client);
        });
        std::printf("%-24s full paint %8.3f ms | one cell + its repaint %8.4f ms | a quote row + full paint %8.3f ms\n",
                    view.name, full, oneCell, quoteRow);
    }
    DestroyWindow(parent);
    return 0;
}
