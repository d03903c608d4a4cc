#pragma once

#include <windows.h>

#include "framework/GdiObjects.h"

namespace quillon::framework {

// Double buffering for a paint: a back buffer the size of the target's clip box, in the
// target's coordinates, copied to the target when the buffer goes out of scope. A
// printer DC, or a clip box that cannot be read or buffered, is painted directly.
class OffscreenBuffer {
public:
    explicit OffscreenBuffer(HDC target);
    ~OffscreenBuffer();
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

    // The DC to paint into: the back buffer, or the target itself when unbuffered.
    HDC Get() const { return buffered_ ? memory_.Get() : target_; }
    bool IsBuffered() const { return buffered_; }

private:
    HDC target_;
    RECT clip_{};
    MemoryDc memory_;
    OwnedBitmap bitmap_;
    HGDIOBJ previousBitmap_ = nullptr;
    bool buffered_ = false;
};

}  // namespace quillon::framework
