#include "grid/GridDropTarget.h"

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "framework/TextConversion.h"
#include "grid/GridCtrl.h"

namespace quillon::grid {

// --- Drop target ---------------------------------------------------------------------

bool CGridDropTarget::Register(HWND window) {
    if (window_ != nullptr) return true;
    if (FAILED(RegisterDragDrop(window, this))) return false;
    window_ = window;
    return true;
}

void CGridDropTarget::Revoke() {
    if (window_ == nullptr) return;
    RevokeDragDrop(window_);
    window_ = nullptr;
}

void CGridDropTarget::ForgetGrid() {
    Revoke();
    grid_ = nullptr;
}

HRESULT STDMETHODCALLTYPE CGridDropTarget::QueryInterface(REFIID id, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CGridDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CGridDropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

POINT CGridDropTarget::ClientPoint(POINTL screen) const {
    POINT point{screen.x, screen.y};
    if (window_ != nullptr) ScreenToClient(window_, &point);
    return point;
}

HRESULT STDMETHODCALLTYPE CGridDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    dragged_ = data;
    *effect = grid_ != nullptr && window_ != nullptr ? grid_->OnDragEnter(data, keyState, ClientPoint(point))
                                                     : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGridDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    *effect = grid_ != nullptr && window_ != nullptr ? grid_->OnDragOver(dragged_, keyState, ClientPoint(point))
                                                     : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGridDropTarget::DragLeave() {
    dragged_ = nullptr;
    if (grid_ != nullptr && window_ != nullptr) grid_->OnDragLeave();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CGridDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    dragged_ = nullptr;
    if (grid_ == nullptr || window_ == nullptr) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const POINT client = ClientPoint(point);
    const DWORD wanted = (keyState & MK_CONTROL) != 0 ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    const DWORD allowed = wanted & *effect;
    *effect = grid_->OnDrop(data, allowed, client) ? allowed : DROPEFFECT_NONE;
    return S_OK;
}

// --- Drag source -----------------------------------------------------------------------

namespace {

// A global memory block holding a copy of `bytes`; null when memory is short.
HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (block == nullptr) return nullptr;
    void* target = GlobalLock(block);
    if (target == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    memcpy(target, bytes, size);
    GlobalUnlock(block);
    return block;
}

// The dragged text in two formats; every GetData hands out a fresh copy the receiver frees.
class TextDataObject : public IDataObject {
public:
    TextDataObject(const char* text, size_t length)
        : narrow_(text, length), wide_(framework::WideFromCodePage936(narrow_)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDataObject)) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format == nullptr || medium == nullptr) return E_INVALIDARG;
        const HRESULT supported = QueryGetData(format);
        if (FAILED(supported)) return supported;
        HGLOBAL block = format->cfFormat == CF_TEXT ? GlobalCopy(narrow_.c_str(), narrow_.size() + 1)
                                                    : GlobalCopy(wide_.c_str(), (wide_.size() + 1) * sizeof(wchar_t));
        if (block == nullptr) return E_OUTOFMEMORY;
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        if (format == nullptr) return E_INVALIDARG;
        if (format->cfFormat != CF_TEXT && format->cfFormat != CF_UNICODETEXT) return DV_E_FORMATETC;
        if ((format->tymed & TYMED_HGLOBAL) == 0) return DV_E_TYMED;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out != nullptr) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        if (formats == nullptr) return E_INVALIDARG;
        *formats = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        FORMATETC offered[2] = {{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
                                {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}};
        return SHCreateStdEnumFmtEtc(2, offered, formats);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    virtual ~TextDataObject() = default;
    LONG references_ = 1;
    std::string narrow_;
    std::wstring wide_;
};

class ButtonDropSource : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
            *object = static_cast<IDropSource*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        if ((keyState & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    virtual ~ButtonDropSource() = default;
    LONG references_ = 1;
};

template <typename Interface>
struct ComRelease {
    void operator()(Interface* object) const {
        if (object != nullptr) object->Release();
    }
};

}  // namespace

DWORD RunTextDrag(const char* text, size_t length) {
    std::unique_ptr<TextDataObject, ComRelease<TextDataObject>> data(new (std::nothrow) TextDataObject(text, length));
    std::unique_ptr<ButtonDropSource, ComRelease<ButtonDropSource>> source(new (std::nothrow) ButtonDropSource());
    if (!data || !source) return DROPEFFECT_NONE;
    DWORD effect = DROPEFFECT_NONE;
    const HRESULT result = DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY | DROPEFFECT_MOVE, &effect);
    return result == DRAGDROP_S_DROP ? effect : DROPEFFECT_NONE;
}

}  // namespace quillon::grid
