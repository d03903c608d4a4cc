#include "framework/ListCtrl.h"

#include <vector>

#include "framework/TextConversion.h"

namespace quillon::framework {

namespace {

// Longest item or heading text read back; the column dialog's captions are a few characters.
constexpr int TextBufferLength = 512;

}  // namespace

bool CListCtrl::AttachDlgItem(HWND dialog, int controlId) {
    HWND control = ::GetDlgItem(dialog, controlId);
    if (!control) return false;
    Attach(control);
    return true;
}

DWORD CListCtrl::SetExtendedStyle(DWORD mask, DWORD style) const {
    return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, mask, static_cast<LPARAM>(style)));
}

DWORD CListCtrl::GetExtendedStyle() const {
    return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE));
}

int CListCtrl::InsertColumn(int index, const std::string& heading, int format, int width) const {
    std::wstring wideHeading = WideFromCodePage936(heading);
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.cx = width;
    column.pszText = wideHeading.data();
    column.iSubItem = index;
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

std::string CListCtrl::GetColumnHeading(int index) const {
    std::vector<wchar_t> buffer(TextBufferLength, L'\0');
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = buffer.data();
    column.cchTextMax = TextBufferLength;
    if (!Send(LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) return {};
    return CodePage936FromWide(buffer.data());
}

int CListCtrl::GetColumnWidth(int index) const {
    return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index)));
}

int CListCtrl::GetItemCount() const {
    return static_cast<int>(Send(LVM_GETITEMCOUNT));
}

int CListCtrl::InsertItem(int index, const std::string& text) const {
    std::wstring wideText = WideFromCodePage936(text);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = wideText.data();
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool CListCtrl::DeleteAllItems() const {
    return Send(LVM_DELETEALLITEMS) != 0;
}

bool CListCtrl::SetItemText(int item, int subItem, const std::string& text) const {
    std::wstring wideText = WideFromCodePage936(text);
    LVITEMW record = {};
    record.iSubItem = subItem;
    record.pszText = wideText.data();
    return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != 0;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    std::vector<wchar_t> buffer(TextBufferLength, L'\0');
    LVITEMW record = {};
    record.iSubItem = subItem;
    record.pszText = buffer.data();
    record.cchTextMax = TextBufferLength;
    LRESULT length = Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record));
    if (length <= 0) return {};
    // The control may hand back its own buffer instead of filling ours.
    return CodePage936FromWide(record.pszText ? record.pszText : buffer.data());
}

bool CListCtrl::SetItemData(int item, LPARAM data) const {
    LVITEMW record = {};
    record.mask = LVIF_PARAM;
    record.iItem = item;
    record.lParam = data;
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&record)) != 0;
}

LPARAM CListCtrl::GetItemData(int item) const {
    LVITEMW record = {};
    record.mask = LVIF_PARAM;
    record.iItem = item;
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record)) ? record.lParam : 0;
}

bool CListCtrl::SetItemState(int item, UINT state, UINT mask) const {
    LVITEMW record = {};
    record.stateMask = mask;
    record.state = state;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != 0;
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
}

int CListCtrl::GetNextItem(int start, int flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

bool CListCtrl::SetCheck(int item, bool checked) const {
    return SetItemState(item, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool CListCtrl::GetCheck(int item) const {
    return ((GetItemState(item, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

}  // namespace quillon::framework
