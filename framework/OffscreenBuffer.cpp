#include "framework/OffscreenBuffer.h"

namespace quillon::framework {

namespace {

bool IsPrinter(HDC dc) {
    int technology = GetDeviceCaps(dc, TECHNOLOGY);
    return technology == DT_RASPRINTER || technology == DT_PLOTTER;
}

}  // namespace

OffscreenBuffer::OffscreenBuffer(HDC target) : target_(target), memory_(IsPrinter(target) ? nullptr : target) {
    if (target_ == nullptr || IsPrinter(target_) || !memory_) return;
    if (GetClipBox(target_, &clip_) == ERROR || clip_.right <= clip_.left || clip_.bottom <= clip_.top) return;
    bitmap_.Reset(CreateCompatibleBitmap(target_, clip_.right - clip_.left, clip_.bottom - clip_.top));
    if (!bitmap_) return;
    previousBitmap_ = SelectObject(memory_.Get(), bitmap_.Get());
    SetWindowOrgEx(memory_.Get(), clip_.left, clip_.top, nullptr);
    OwnedBrush background(CreateSolidBrush(GetBkColor(target_)));
    if (background) FillRect(memory_.Get(), &clip_, background.Get());
    buffered_ = true;
}

OffscreenBuffer::~OffscreenBuffer() {
    if (!buffered_) return;
    BitBlt(target_, clip_.left, clip_.top, clip_.right - clip_.left, clip_.bottom - clip_.top, memory_.Get(),
           clip_.left, clip_.top, SRCCOPY);
    SelectObject(memory_.Get(), previousBitmap_);
}

}  // namespace quillon::framework
