#include "chart/SmileWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

#include "framework/GdiObjects.h"
#include "framework/OffscreenBuffer.h"
#include "framework/TextConversion.h"

namespace quillon::chart {

using framework::OwnedBrush;
using framework::OwnedPen;
using framework::SavedDcState;
using framework::SelectionGuard;

namespace {

constexpr wchar_t ClassName[] = L"QuillonSmileChart";
constexpr int OpeningWidth = 640;
constexpr int OpeningHeight = 440;
constexpr int SmallestWidth = 320;
constexpr int SmallestHeight = 240;
constexpr int PointRadius = 3;
constexpr int TextGap = 4;

long long CurrentMinute() {
    using namespace std::chrono;
    return duration_cast<minutes>(system_clock::now().time_since_epoch()).count();
}

SIZE TextExtent(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void Text(HDC dc, int x, int y, const std::string& text, UINT align, COLORREF colour) {
    const std::wstring wide = framework::WideFromCodePage936(text);
    SetTextAlign(dc, align);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

void Line(HDC dc, PlotPoint from, PlotPoint to) {
    MoveToEx(dc, from.x, from.y, nullptr);
    LineTo(dc, to.x, to.y);
}

void RoundPoint(HDC dc, PlotPoint p) {
    Ellipse(dc, p.x - PointRadius, p.y - PointRadius, p.x + PointRadius + 1, p.y + PointRadius + 1);
}

void SquarePoint(HDC dc, PlotPoint p) {
    Rectangle(dc, p.x - PointRadius, p.y - PointRadius, p.x + PointRadius + 1, p.y + PointRadius + 1);
}

void Diamond(HDC dc, PlotPoint p, int radius) {
    const POINT corners[] = {{p.x, p.y - radius}, {p.x + radius, p.y}, {p.x, p.y + radius}, {p.x - radius, p.y}};
    Polygon(dc, corners, 4);
}

// A pen and a brush of one colour, selected for as long as this lives.
class Ink {
public:
    Ink(HDC dc, COLORREF colour, int width = 1, int style = PS_SOLID)
        : pen_(CreatePen(style, width, colour)),
          brush_(CreateSolidBrush(colour)),
          penSelected_(dc, pen_.Get()),
          brushSelected_(dc, brush_.Get()) {}

private:
    OwnedPen pen_;
    OwnedBrush brush_;
    SelectionGuard penSelected_;
    SelectionGuard brushSelected_;
};

}  // namespace

CSmileWindow::CSmileWindow(Source source) : source_(std::move(source)) {}

CSmileWindow::~CSmileWindow() = default;

bool CSmileWindow::Open(HWND owner) {
    if (IsWindow()) return false;
    framework::RegisterWindowClassOnce(ClassName, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
    RECT ownerRect{};
    if (owner != nullptr) ::GetWindowRect(owner, &ownerRect);
    // Beside the popup, a title bar's height lower, so neither covers the other's caption.
    if (!CreateEx(0, ClassName, "", WS_OVERLAPPEDWINDOW, ownerRect.left + 40, ownerRect.top + 40, OpeningWidth,
                  OpeningHeight, owner, nullptr))
        return false;
    font_ = owner != nullptr ? reinterpret_cast<HFONT>(SendMessageW(owner, WM_GETFONT, 0, 0)) : nullptr;
    if (font_ == nullptr) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (owner != nullptr) {
        const LPARAM icon = SendMessageW(owner, WM_GETICON, ICON_BIG, 0);
        if (icon != 0) Send(WM_SETICON, ICON_BIG, icon);
    }
    {
        framework::WindowDc dc(hwnd_);
        SelectionGuard selected(dc.Get(), font_);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc.Get(), &metrics)) textSize_ = {metrics.tmAveCharWidth, metrics.tmHeight};
    }
    Refresh();
    timer_.Start(hwnd_, TimerId, IntervalMs);
    ShowWindow(SW_SHOWNORMAL);
    return true;
}

void CSmileWindow::Refresh() {
    if (source_) data_ = source_();
    stale_ = false;
    minute_ = CurrentMinute();
    const std::string title = SmileTitle(data_);
    if (IsWindow() && GetText() != title) SetText(title);
    Relayout();
}

void CSmileWindow::Relayout() {
    if (!IsWindow()) return;
    const RECT client = GetClientRect();
    scene_ = LayoutSmile(data_, client.right, client.bottom, textSize_);
    // The strike under a tip may have gone with the chain's new picture.
    if (tipStrike_ && *tipStrike_ >= scene_.strikes.size()) tipStrike_.reset();
    Invalidate(false);
}

bool CSmileWindow::OnTimer(UINT_PTR id) {
    if (id != TimerId) return false;
    if (stale_ || CurrentMinute() != minute_) Refresh();
    return true;
}

void CSmileWindow::OnMouseMove(PlotPoint cursor) {
    if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
    }
    const std::optional<std::size_t> under = StrikeUnder(scene_, cursor, TipRadius);
    if (under == tipStrike_ && (!under || cursor == tipAt_)) return;
    tipStrike_ = under;
    tipAt_ = cursor;
    Invalidate(false);
}

std::string CSmileWindow::TipText() const {
    if (!tipStrike_ || *tipStrike_ >= scene_.strikes.size()) return "";
    return SmileTipText(scene_.strikes[*tipStrike_]);
}

LRESULT CSmileWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            framework::PaintDc paint(hwnd_);
            framework::OffscreenBuffer buffer(paint.Get());
            Draw(buffer.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            Draw(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) Relayout();
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (tipStrike_) {
                tipStrike_.reset();
                Invalidate(false);
            }
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {SmallestWidth, SmallestHeight};
            return 0;
        }
        case WM_DESTROY:
            timer_.Stop();
            break;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CSmileWindow::Draw(HDC dc) const {
    if (dc == nullptr) return;
    SavedDcState saved(dc);
    const PlotRect& client = scene_.client;
    // Nothing lands outside the client area, whatever the canvas is.
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    {
        OwnedBrush back(CreateSolidBrush(ChartBackColour));
        const RECT all{client.left, client.top, client.right, client.bottom};
        FillRect(dc, &all, back.Get());
    }
    SelectObject(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    Text(dc, TextGap + 2, TextGap, scene_.title, TA_LEFT | TA_TOP, RGB(0, 0, 0));
    DrawLegend(dc, TextGap + textSize_.height + 4);
    if (scene_.plot.right <= scene_.plot.left) return;
    DrawAxes(dc);
    DrawSeries(dc);
    DrawTip(dc);
}

void CSmileWindow::DrawLegend(HDC dc, int top) const {
    enum class Mark { Call, Put, Range, Price, AtTheMoney };
    const std::pair<Mark, const char*> entries[] = {{Mark::Call, "看涨隐波"},
                                                    {Mark::Put, "看跌隐波"},
                                                    {Mark::Range, "买卖价隐波区间"},
                                                    {Mark::Price, "标的价格"},
                                                    {Mark::AtTheMoney, "平值隐波"}};
    const int y = top + textSize_.height / 2;
    int x = TextGap + 2;
    for (const auto& [mark, caption] : entries) {
        const PlotPoint p{x + 6, y};
        switch (mark) {
            case Mark::Call:
            case Mark::Put: {
                Ink ink(dc, mark == Mark::Call ? CallColour : PutColour);
                Line(dc, {p.x - 6, p.y}, {p.x + 7, p.y});
                (mark == Mark::Call ? RoundPoint : SquarePoint)(dc, p);
                break;
            }
            case Mark::Range:
                for (const auto& [dx, colour] : {std::pair{-2, CallRangeColour}, std::pair{3, PutRangeColour}}) {
                    Ink ink(dc, colour, 3);
                    Line(dc, {p.x + dx, p.y - 5}, {p.x + dx, p.y + 6});
                }
                break;
            case Mark::Price: {
                Ink ink(dc, PriceLineColour, 1, PS_DOT);
                Line(dc, {p.x, p.y - 6}, {p.x, p.y + 7});
                break;
            }
            case Mark::AtTheMoney: {
                Ink ink(dc, AtTheMoneyColour);
                Diamond(dc, p, 5);
                break;
            }
        }
        x += 16;
        Text(dc, x, top, caption, TA_LEFT | TA_TOP, RGB(0, 0, 0));
        x += TextExtent(dc, framework::WideFromCodePage936(caption)).cx + 14;
    }
}

void CSmileWindow::DrawAxes(HDC dc) const {
    const PlotRect& plot = scene_.plot;
    {
        Ink grid(dc, GridLineColour);
        for (const AxisTick& tick : scene_.volatilityTicks) Line(dc, {plot.left, tick.at}, {plot.right - 1, tick.at});
        for (const AxisTick& tick : scene_.strikeTicks) Line(dc, {tick.at, plot.top}, {tick.at, plot.bottom - 1});
    }
    Ink axis(dc, RGB(0, 0, 0));
    Line(dc, {plot.left, plot.top}, {plot.left, plot.bottom - 1});
    Line(dc, {plot.left, plot.bottom - 1}, {plot.right - 1, plot.bottom - 1});
    for (const AxisTick& tick : scene_.volatilityTicks) {
        Line(dc, {plot.left - 4, tick.at}, {plot.left, tick.at});
        Text(dc, plot.left - 6, tick.at - textSize_.height / 2, tick.label, TA_RIGHT | TA_TOP, RGB(0, 0, 0));
    }
    for (const AxisTick& tick : scene_.strikeTicks) {
        Line(dc, {tick.at, plot.bottom - 1}, {tick.at, plot.bottom + 3});
        Text(dc, tick.at, plot.bottom + 4, tick.label, TA_CENTER | TA_TOP, RGB(0, 0, 0));
    }
}

void CSmileWindow::DrawSeries(HDC dc) const {
    const PlotRect& plot = scene_.plot;
    SavedDcState saved(dc);
    // Markers are a few pixels wide: the plot's edge clips them as it clips the lines.
    IntersectClipRect(dc, plot.left, plot.top, plot.right, plot.bottom);
    if (!scene_.notice.empty()) {
        Text(dc, (plot.left + plot.right) / 2, (plot.top + plot.bottom - textSize_.height) / 2, scene_.notice,
             TA_CENTER | TA_TOP, RGB(128, 128, 128));
    }
    if (scene_.priceX) {
        Ink price(dc, PriceLineColour, 1, PS_DOT);
        Line(dc, {*scene_.priceX, plot.top}, {*scene_.priceX, plot.bottom - 1});
    }
    const std::pair<const SmileSeries*, COLORREF> ranges[] = {{&scene_.calls, CallRangeColour},
                                                              {&scene_.puts, PutRangeColour}};
    for (const auto& [series, colour] : ranges) {
        Ink ink(dc, colour, 3);
        for (const PlotSegment& bar : series->bars) Line(dc, bar.from, bar.to);
    }
    {
        Ink ink(dc, CallColour);
        for (const PlotSegment& line : scene_.calls.lines) Line(dc, line.from, line.to);
        for (const PlotPoint& point : scene_.calls.points) RoundPoint(dc, point);
    }
    {
        Ink ink(dc, PutColour);
        for (const PlotSegment& line : scene_.puts.lines) Line(dc, line.from, line.to);
        for (const PlotPoint& point : scene_.puts.points) SquarePoint(dc, point);
    }
    if (scene_.atTheMoney) {
        Ink ink(dc, AtTheMoneyColour);
        Diamond(dc, *scene_.atTheMoney, 5);
    }
}

void CSmileWindow::DrawTip(HDC dc) const {
    const std::string text = TipText();
    if (text.empty()) return;
    const SIZE size = TextExtent(dc, framework::WideFromCodePage936(text));
    const PlotRect& client = scene_.client;
    RECT box{tipAt_.x + 12, tipAt_.y + 16, tipAt_.x + 12 + size.cx + 8, tipAt_.y + 16 + size.cy + 6};
    // Kept inside the window: to the left of the cursor near the right edge, above it
    // near the bottom.
    if (box.right > client.right) OffsetRect(&box, -(box.right - box.left) - 24, 0);
    if (box.bottom > client.bottom) OffsetRect(&box, 0, -(box.bottom - box.top) - 32);
    OffsetRect(&box, std::max(0, client.left - static_cast<int>(box.left)),
               std::max(0, client.top - static_cast<int>(box.top)));
    {
        Ink border(dc, RGB(118, 118, 118));
        OwnedBrush fill(CreateSolidBrush(RGB(255, 255, 225)));
        SelectionGuard filled(dc, fill.Get());
        Rectangle(dc, box.left, box.top, box.right, box.bottom);
    }
    Text(dc, box.left + 4, box.top + 3, text, TA_LEFT | TA_TOP, RGB(0, 0, 0));
}

}  // namespace quillon::chart
