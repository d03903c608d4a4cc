#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/DlgOptionTTable.h"
#include "framework/MemoryCanvas.h"
#include "grid/GridCtrl.h"
#include "host/TesselAPI.h"

namespace quillon::board::testing {

// One request the board sent to the host.
struct SentRequest {
    int type;
    std::vector<unsigned char> payload;
    int requestId;

    // The code slot's text (up to its first NUL).
    std::string Code() const;
};

// Stands in for the host library: keeps every request.
class RecordingHost : public host::TesselAPI {
public:
    int Register(const char*, const char*, host::TesselCallback, host::WindowHandle, int, host::WindowHandle) override {
        return 0;
    }
    int Start() override { return 0; }
    int SendRequest(int type, const void* data, int len, int requestId) override;
    int Reserved() override { return 0; }

    std::vector<SentRequest> sent;
};

// A QuoteRecord under construction.
class QuoteBuilder {
public:
    explicit QuoteBuilder(const std::string& code);
    QuoteBuilder& Price(std::size_t offset, double value);
    QuoteBuilder& Count(std::size_t offset, std::int32_t value);
    const unsigned char* Data() const { return bytes_.data(); }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

// Adds an instrument to the shared tables: product class '2' for an option, '1' otherwise.
void AddInstrument(const std::string& code, const std::string& exchange, bool isOption, double tick);

// A docked board inside a hidden parent window, over fresh shared tables, the default
// column set and a recording host.
class BoardFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    grid::CGridCtrl& Top() const { return *board_->UnderlyingGrid(); }
    grid::CGridCtrl& Board() const { return *board_->BoardGrid(); }

    static std::vector<std::string> HeaderTexts(const grid::CGridCtrl& grid);
    static std::vector<std::string> RowTexts(const grid::CGridCtrl& grid, int row);
    static std::string Text(const grid::CGridCtrl& grid, int row, int col);
    static COLORREF TextColour(const grid::CGridCtrl& grid, int row, int col);
    // The text of the cell in `row` under the header carrying `id`.
    static std::string TextById(const grid::CGridCtrl& grid, int row, ColumnId id);
    static COLORREF ColourById(const grid::CGridCtrl& grid, int row, ColumnId id);
    // The grid's window rectangle in the board's client coordinates.
    RECT RectInBoard(const grid::CGridCtrl& grid) const;
    // Handles every message already queued for this thread.
    static void Pump();

    void Quote(const QuoteBuilder& quote, bool isOption, bool isCall, double tick) {
        board_->OnQuote(quote.Data(), isOption, isCall, tick);
    }

    RecordingHost host_;
    HWND parent_ = nullptr;
    std::unique_ptr<CDlgOptionTTable> board_;
};

// A memory canvas a board's grid paints into, read back pixel by pixel.
using Canvas = framework::MemoryCanvas;

}  // namespace quillon::board::testing
