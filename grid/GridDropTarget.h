#pragma once

#include <windows.h>

// <ole2.h> builds on the types of <windows.h>.
#include <ole2.h>

namespace quillon::grid {

class CGridCtrl;

// The grid's OLE drop target: passes what the user drags over the grid window to the
// grid. Reference counted; whoever makes it holds one reference (Release frees it).
class CGridDropTarget : public IDropTarget {
public:
    explicit CGridDropTarget(CGridCtrl* grid) : grid_(grid) {}

    // RegisterDragDrop for the grid's window; false when OLE refuses.
    bool Register(HWND window);
    // RevokeDragDrop; also done when the registered window is destroyed.
    void Revoke();
    bool IsRegistered() const { return window_ != nullptr; }
    // The grid is going: revoke, and pass nothing on any more (OLE may still hold a reference).
    void ForgetGrid();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDropTarget
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    virtual ~CGridDropTarget() = default;
    POINT ClientPoint(POINTL screen) const;

    CGridCtrl* grid_;
    HWND window_ = nullptr;
    LONG references_ = 1;
    IDataObject* dragged_ = nullptr;  // borrowed between DragEnter and DragLeave / Drop
};

// Runs a modal OLE drag of `text` (code page 936) as CF_TEXT and CF_UNICODETEXT; returns
// the effect the drop reported (DROPEFFECT_NONE when cancelled or failed).
DWORD RunTextDrag(const char* text, size_t length);

}  // namespace quillon::grid
