#include "framework/MemoryCanvas.h"

#include <algorithm>

namespace quillon::framework {

MemoryCanvas::MemoryCanvas(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), dc_(nullptr) {
    if (!dc_ || width_ == 0 || height_ == 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || bits == nullptr) return;
    bits_ = static_cast<const unsigned int*>(bits);
    selected_.emplace(dc_.Get(), bitmap_.Get());
}

COLORREF MemoryCanvas::At(int x, int y) const {
    if (bits_ == nullptr || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    GdiFlush();
    const unsigned int pixel = bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);  // stored 0x00RRGGBB
}

const unsigned char* MemoryCanvas::Bytes() const {
    GdiFlush();
    return reinterpret_cast<const unsigned char*>(bits_);
}

void MemoryCanvas::Fill(COLORREF colour) {
    OwnedBrush brush(CreateSolidBrush(colour));
    const RECT all = {0, 0, width_, height_};
    if (brush) FillRect(dc_.Get(), &all, brush.Get());
}

int MemoryCanvas::Count(const RECT& area, COLORREF colour) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) count += At(x, y) == colour ? 1 : 0;
    }
    return count;
}

RECT MemoryCanvas::Bounds(const RECT& area, COLORREF colour) const {
    RECT bounds = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (At(x, y) != colour) continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    if (bounds.right <= bounds.left) return RECT{};
    return bounds;
}

}  // namespace quillon::framework
