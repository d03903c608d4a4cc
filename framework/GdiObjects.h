#pragma once

// Owning and borrowing wrappers for GDI handles and device contexts. Ownership is in the
// type: an Owned* deletes its object, a SelectionGuard puts the old object back, a DC
// guard releases or deletes its device context. None of them can be copied; the owning
// ones can be moved.

#include <windows.h>

#include <utility>

namespace quillon::framework {

// A GDI object (pen, brush, font, bitmap, region) deleted with DeleteObject.
template <typename Handle>
class OwnedGdiObject {
public:
    OwnedGdiObject() = default;
    explicit OwnedGdiObject(Handle handle) : handle_(handle) {}
    ~OwnedGdiObject() { Reset(); }

    OwnedGdiObject(OwnedGdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    OwnedGdiObject& operator=(OwnedGdiObject&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    OwnedGdiObject(const OwnedGdiObject&) = delete;
    OwnedGdiObject& operator=(const OwnedGdiObject&) = delete;

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Deletes the current object (if any) and takes the new one.
    void Reset(Handle handle = nullptr) {
        if (handle_ != nullptr && handle_ != handle) DeleteObject(handle_);
        handle_ = handle;
    }
    Handle Release() { return std::exchange(handle_, nullptr); }

private:
    Handle handle_ = nullptr;
};

using OwnedPen = OwnedGdiObject<HPEN>;
using OwnedBrush = OwnedGdiObject<HBRUSH>;
using OwnedFont = OwnedGdiObject<HFONT>;
using OwnedBitmap = OwnedGdiObject<HBITMAP>;
using OwnedRegion = OwnedGdiObject<HRGN>;

// Selects an object into a device context and selects the previous one back on exit.
// A null object selects nothing, so a failed CreateXxx is harmless.
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ object) : dc_(dc) {
        if (dc_ != nullptr && object != nullptr) previous_ = SelectObject(dc_, object);
    }
    ~SelectionGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_ = nullptr;
};

// SaveDC on entry, RestoreDC on exit: everything selected or set meanwhile is undone.
class SavedDcState {
public:
    explicit SavedDcState(HDC dc) : dc_(dc), saved_(dc != nullptr ? SaveDC(dc) : 0) {}
    ~SavedDcState() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    SavedDcState(const SavedDcState&) = delete;
    SavedDcState& operator=(const SavedDcState&) = delete;

private:
    HDC dc_;
    int saved_;
};

// BeginPaint / EndPaint for WM_PAINT.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window_, &paint_); }
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC Get() const { return dc_; }
    const RECT& PaintArea() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_ = nullptr;
};

// A window's client DC (GetDC) or whole-window DC (GetWindowDC), released on exit.
// A null window gives the screen DC.
class WindowDc {
public:
    enum class Area { Client, Window };
    explicit WindowDc(HWND window, Area area = Area::Client)
        : window_(window), dc_(area == Area::Client ? GetDC(window) : GetWindowDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// A memory DC from CreateCompatibleDC, deleted on exit.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

}  // namespace quillon::framework
