#pragma once

#include <windows.h>

namespace quillon::test {

// Makes this program's own PostMessageW fail for one message number, as Windows does once
// a thread's queue holds 10,000 messages (Wine has no such limit, so the failure is only
// reached this way). The import slot of the test executable is redirected: the
// application's code linked into it calls through that slot, exactly as it does in
// Quillon.exe. While installed, every `failEvery`th post of `message` fails (1: all).
class FailingPost {
public:
    FailingPost(UINT message, int failEvery);
    ~FailingPost();
    FailingPost(const FailingPost&) = delete;
    FailingPost& operator=(const FailingPost&) = delete;

    bool Installed() const { return installed_; }
    long Attempts() const;
    long Failures() const;

private:
    bool installed_ = false;
};

}  // namespace quillon::test
