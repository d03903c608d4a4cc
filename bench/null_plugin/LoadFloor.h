#pragma once

// The instrument load at the least cost a plugin on TesselAPI.dll can have: Quillon's load
// conversation (the log-in's two requests, each exchange's codes in the list's order, each
// instrument in code order, one request outstanding, the same ids and payloads through
// host/HostRequests), each reply handed from the library's thread to a hidden top-level
// window by a posted message and the next request sent from that window's thread, as in
// Quillon. Nothing else is done with a reply: no market is built, an instrument's record
// is not even copied. Quillon's own load is read against this floor.
//
// Prints "null-plugin load instruments=N exchanges=E seconds=S", S from the log-in
// result's turn on the window thread to the last instrument's (the span of Quillon's
// `login` and `ready` bench-log lines). Then asks for the contract list, as Quillon does
// in the normal run mode, so that hostsim reports its own span of the same load.
namespace quillon::bench {

// The exit status: 0 when the load completed within `timeoutSeconds`, else 1 (with a
// line saying what did not come).
int RunLoadFloor(int timeoutSeconds);

}  // namespace quillon::bench
