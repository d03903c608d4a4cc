#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "board/AnalyticsColumns.h"
#include "board/ChangeFlashes.h"
#include "board/QuoteCache.h"
#include "board/StaleQuotes.h"
#include "framework/Dialog.h"
#include "framework/WindowTimer.h"
#include "grid/GridCtrl.h"

namespace quillon::board {

// What a board needs to know of an instrument to place its quotes.
struct InstrumentFacts {
    std::string exchange;
    bool isOption = false;
    double tick = 0.0;
};

// The facts of an instrument the host defined; nothing for an unknown code.
std::optional<InstrumentFacts> LookUpInstrument(const std::string& code);

// What the docked board and the popups share: a dialog from a resource template with two
// grids (the futures' quotes above, control 1000; the T board below, control 1016), the
// copies of the quotes it was given, and what lives with them: the analytics columns, the
// change flashes and the muting of quiet instruments, each on a timer of the board's own.
// A board keeps its own rows, subscriptions and messages.
class CQuoteBoard : public framework::CDialog {
public:
    // Null until the dialog window exists and after it is destroyed.
    grid::CGridCtrl* UnderlyingGrid() const { return underlyingGrid_; }
    grid::CGridCtrl* BoardGrid() const { return boardGrid_; }

protected:
    explicit CQuoteBoard(UINT templateId);

    // The shared part of WM_INITDIALOG: binds the grids, sets the icon, gives the grids
    // their columns from the shared column set and starts the board's timers. A board
    // calls it first from its own.
    BOOL OnInitDialog() override;
    // WM_DESTROY: the board's own goes first (OnDestroyBoard), then the shared timers stop
    // and the grid objects go with their windows. A board ends its procedure here.
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void OnDestroyBoard() {}
    // WM_TIMER of the analytics, flash and quiet-instrument timers; false for any other.
    // `working` is false once the board is on its way out: the ticks then do nothing.
    bool OnBoardTimer(UINT_PTR id, bool working = true);
    bool HaveWindows() const;

    // After a change of the column set: both grids get their columns again, the board its
    // rows (RebuildRows), and every cached quote is written again without flashing, with
    // the quiet instruments muted and the analytics columns rewritten.
    void ReloadBoard();
    // The flashes a quote written now may light: none while the cache is written again.
    ChangeFlashes* QuoteFlashes() { return rewritingCache_ ? nullptr : &flashes_; }

    // The board's rows for its contracts, empty.
    virtual void RebuildRows() = 0;
    // Every cached quote written into its row again.
    virtual void RewriteCachedQuotes() = 0;
    // The analytics columns of the whole board, from the cached quotes.
    virtual void RewriteAnalytics() = 0;
    // Draws an instrument's cells in the muted colour, or gives them their colours back.
    virtual void SetInstrumentMuted(const std::string& code, bool muted) = 0;

    HICON icon_ = nullptr;                       // shared resource icon: never destroyed
    grid::CGridCtrl* underlyingGrid_ = nullptr;  // control 1000, owned by its window
    grid::CGridCtrl* boardGrid_ = nullptr;       // control 1016, owned by its window
    grid::CGridCtrl* clickedGrid_ = nullptr;     // target of the context-menu commands
    QuoteCache quotes_;
    AnalyticsColumns analytics_;
    ChangeFlashes flashes_;
    StaleQuotes stale_;

private:
    void MuteStaleInstruments();

    bool rewritingCache_ = false;  // quotes written again after a column change do not flash

    framework::WindowTimer staleTimer_;
};

}  // namespace quillon::board
