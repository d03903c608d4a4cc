#include "BoardTestSupport.h"

#include <span>

#include "board/ColumnCatalogue.h"
#include "board/ColumnSet.h"
#include "board/QuoteGrid.h"
#include "host/HostRequests.h"
#include "host/WireRecords.h"
#include "model/MarketData.h"

namespace quillon::board::testing {

std::string SentRequest::Code() const {
    if (payload.empty()) return {};
    return host::ReadText(payload.data(), 0, payload.size());
}

int RecordingHost::SendRequest(int type, const void* data, int len, int requestId) {
    SentRequest request{type, {}, requestId};
    if (data != nullptr && len > 0) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        request.payload.assign(bytes, bytes + len);
    }
    sent.push_back(std::move(request));
    return 0;
}

QuoteBuilder::QuoteBuilder(const std::string& code) : bytes_(host::quote_record::Size, 0) {
    host::WriteText(bytes_.data(), host::quote_record::CodeOffset, host::quote_record::CodeWidth, code);
}

QuoteBuilder& QuoteBuilder::Price(std::size_t offset, double value) {
    host::WriteDouble(bytes_.data(), offset, value);
    return *this;
}

QuoteBuilder& QuoteBuilder::Count(std::size_t offset, std::int32_t value) {
    host::WriteInt32(bytes_.data(), offset, value);
    return *this;
}

void AddInstrument(const std::string& code, const std::string& exchange, bool isOption, double tick) {
    std::vector<unsigned char> record(host::instrument_record::Size, 0);
    host::WriteText(record.data(), host::instrument_record::CodeOffset, host::instrument_record::CodeWidth, code);
    host::WriteText(record.data(), host::instrument_record::ExchangeOffset, 32, exchange);
    record[host::instrument_record::ProductClassOffset] = isOption ? '2' : '1';
    host::WriteDouble(record.data(), host::instrument_record::PriceTickOffset, tick);
    model::SharedMarketData().InsertInstrument(code, record);
}

namespace {

const wchar_t ParentClassName[] = L"QuillonBoardTestParent";

void RegisterParentClass() {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = ParentClassName;
    RegisterClassW(&windowClass);  // fails harmlessly from the second test on
}

}  // namespace

void BoardFixture::SetUp() {
    model::SharedMarketData().ClearForTests();
    BuildColumnCatalogue();
    SetDefaultColumnSet();
    host::SetHostApi(&host_);
    RegisterParentClass();
    parent_ = CreateWindowExW(0, ParentClassName, L"board test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 600,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    board_ = std::make_unique<CDlgOptionTTable>();
    ASSERT_TRUE(board_->Create(parent_));
    ASSERT_NE(board_->UnderlyingGrid(), nullptr);
    ASSERT_NE(board_->BoardGrid(), nullptr);
}

void BoardFixture::TearDown() {
    board_.reset();
    if (parent_ != nullptr) DestroyWindow(parent_);
    host::SetHostApi(nullptr);
    model::SharedMarketData().ClearForTests();
    ClearColumnSet();
    ClearColumnCatalogue();
}

std::vector<std::string> BoardFixture::HeaderTexts(const grid::CGridCtrl& grid) {
    return RowTexts(grid, 0);
}

std::vector<std::string> BoardFixture::RowTexts(const grid::CGridCtrl& grid, int row) {
    std::vector<std::string> texts;
    for (int col = 0; col < grid.GetColumnCount(); ++col) texts.push_back(Text(grid, row, col));
    return texts;
}

std::string BoardFixture::Text(const grid::CGridCtrl& grid, int row, int col) {
    const grid::CGridCellBase* cell = grid.GetCell(row, col);
    return cell != nullptr ? cell->GetText() : "<no cell>";
}

COLORREF BoardFixture::TextColour(const grid::CGridCtrl& grid, int row, int col) {
    const grid::CGridCellBase* cell = grid.GetCell(row, col);
    return cell != nullptr ? cell->GetTextColour() : CLR_INVALID;
}

std::string BoardFixture::TextById(const grid::CGridCtrl& grid, int row, ColumnId id) {
    int col = FindColumnById(grid, id);
    return col == -1 ? "<no column>" : Text(grid, row, col);
}

COLORREF BoardFixture::ColourById(const grid::CGridCtrl& grid, int row, ColumnId id) {
    int col = FindColumnById(grid, id);
    return col == -1 ? CLR_INVALID : TextColour(grid, row, col);
}

RECT BoardFixture::RectInBoard(const grid::CGridCtrl& grid) const {
    RECT rect = grid.GetWindowRect();
    MapWindowPoints(nullptr, board_->GetSafeHwnd(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void BoardFixture::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace quillon::board::testing
