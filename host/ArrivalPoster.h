#pragma once

// Windows side of the arrival hand-over: the sink that posts each arrival record to the
// main frame. Kept out of the portable core.
#include <windows.h>

namespace quillon::host {

// From now on every accepted host message is posted to `frame` as `arriveMessage` (the
// registered "Quillon ApiMsg Arrive"), wParam ArrivalRecordPostSize, lParam the record.
// The frame's window procedure takes it with TakePostedArrival and frees it after
// dispatch. A post that fails (queue full, window gone) frees the record at once.
void PostArrivalsTo(HWND frame, UINT arriveMessage);

// The frame is going: arrivals are freed from now on instead of posted.
void StopPostingArrivals();

}  // namespace quillon::host
