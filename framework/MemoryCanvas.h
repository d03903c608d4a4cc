#pragma once

#include <windows.h>

#include <optional>

#include "framework/GdiObjects.h"

namespace quillon::framework {

// A 32-bit top-down DIB section selected into a memory DC: something to paint or copy a
// window into and read back pixel by pixel. Starts black; empty (no DC) when Windows
// cannot make it.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height);
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;

    explicit operator bool() const { return bits_ != nullptr; }
    HDC Dc() const { return dc_.Get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The pixel as a COLORREF; CLR_INVALID outside the canvas.
    COLORREF At(int x, int y) const;
    // The pixels as Windows lays them out: rows top down, 4 bytes each, blue first.
    const unsigned char* Bytes() const;
    void Fill(COLORREF colour);
    // Pixels of `colour` inside `area` (right and bottom exclusive).
    int Count(const RECT& area, COLORREF colour) const;
    // The smallest rectangle holding every pixel of `colour` in `area`; empty when none.
    RECT Bounds(const RECT& area, COLORREF colour) const;

private:
    int width_;
    int height_;
    MemoryDc dc_;
    OwnedBitmap bitmap_;
    const unsigned int* bits_ = nullptr;
    std::optional<SelectionGuard> selected_;
};

}  // namespace quillon::framework
