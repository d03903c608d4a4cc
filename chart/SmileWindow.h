#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "chart/SmilePlot.h"
#include "framework/WindowTimer.h"
#include "framework/Wnd.h"

namespace quillon::chart {

// The colours of the chart; a call is drawn red with round points, a put blue with square
// ones, so the two sides stay apart for a reader who cannot tell red from green.
inline constexpr COLORREF ChartBackColour = RGB(255, 255, 255);
inline constexpr COLORREF CallColour = RGB(210, 30, 30);
inline constexpr COLORREF PutColour = RGB(30, 80, 200);
inline constexpr COLORREF CallRangeColour = RGB(240, 165, 165);
inline constexpr COLORREF PutRangeColour = RGB(160, 185, 240);
inline constexpr COLORREF PriceLineColour = RGB(90, 90, 90);
inline constexpr COLORREF AtTheMoneyColour = RGB(240, 140, 0);
inline constexpr COLORREF GridLineColour = RGB(228, 228, 228);

// A popup's volatility smile ("波动率微笑"): a top-level window owned by the popup, so it
// goes when the popup goes. It reads the chain through `Source` (the popup's cached quotes
// and their implied volatilities) on a timer of its own, at most four times a second and
// only after a quote arrived or the minute turned, and never asks the host for anything.
class CSmileWindow : public framework::CWnd {
public:
    using Source = std::function<SmileData()>;
    static constexpr UINT_PTR TimerId = 0x5145;
    static constexpr UINT IntervalMs = 250;
    // How near the cursor must come to a point for its tip.
    static constexpr int TipRadius = 6;

    explicit CSmileWindow(Source source);
    ~CSmileWindow() override;

    // Creates the window beside `owner`, writing with the owner's font, reads the chain and
    // shows it. False when the window cannot be made.
    bool Open(HWND owner);
    // A quote of the chain arrived: the next tick reads the chain again.
    void MarkStale() { stale_ = true; }
    // Reads the chain now and repaints.
    void Refresh();
    // Draws the chart for the current client size into `dc` (WM_PAINT's back buffer, or
    // a caller's canvas through WM_PRINTCLIENT).
    void Draw(HDC dc) const;

    const SmileScene& Scene() const { return scene_; }
    // The tip shown now; empty when none.
    std::string TipText() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnTimer(UINT_PTR id) override;

private:
    void Relayout();
    void OnMouseMove(PlotPoint cursor);
    void DrawLegend(HDC dc, int top) const;
    void DrawAxes(HDC dc) const;
    void DrawSeries(HDC dc) const;
    void DrawTip(HDC dc) const;

    Source source_;
    SmileData data_;
    SmileScene scene_;
    HFONT font_ = nullptr;  // the owner's: never deleted
    TextSize textSize_;
    bool stale_ = true;
    long long minute_ = 0;  // when the chain was read last
    std::optional<std::size_t> tipStrike_;
    PlotPoint tipAt_;
    bool trackingLeave_ = false;
    framework::WindowTimer timer_;
};

}  // namespace quillon::chart
