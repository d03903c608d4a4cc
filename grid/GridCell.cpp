#include "grid/GridCell.h"

#include <cstring>

#include "grid/GridCtrl.h"
#include "grid/GridDefaultCell.h"

namespace quillon::grid {

void CGridCell::SetFont(const LOGFONTW* font) {
    if (font == nullptr) {
        font_.reset();
        return;
    }
    if (!font_) font_ = std::make_unique<LOGFONTW>();
    std::memcpy(font_.get(), font, sizeof(LOGFONTW));
}

DWORD CGridCell::GetFormat() const {
    if (format_ != 0xFFFFFFFF) return format_;
    const CGridCellBase* defaultCell = GetDefaultCell();
    return defaultCell != nullptr && defaultCell != this ? defaultCell->GetFormat() : 0;
}

UINT CGridCell::GetMargin() const {
    if (margin_ != 0xFFFFFFFF) return margin_;
    const CGridCellBase* defaultCell = GetDefaultCell();
    return defaultCell != nullptr && defaultCell != this ? defaultCell->GetMargin() : 0;
}

const LOGFONTW* CGridCell::GetFont() const {
    if (font_) return font_.get();
    const CGridCellBase* defaultCell = GetDefaultCell();
    return defaultCell != nullptr && defaultCell != this ? defaultCell->GetFont() : nullptr;
}

HFONT CGridCell::GetFontObject() const {
    if (!font_) {
        const CGridCellBase* defaultCell = GetDefaultCell();
        return defaultCell != nullptr && defaultCell != this ? defaultCell->GetFontObject() : nullptr;
    }
    // Cells with a font of their own share one font object for the whole process, so the
    // number of GDI fonts does not grow with the cells. It is made again only when a
    // different font is asked for.
    static framework::OwnedFont sharedFont;
    static LOGFONTW sharedFontDescription{};
    if (!sharedFont || std::memcmp(&sharedFontDescription, font_.get(), sizeof(LOGFONTW)) != 0) {
        sharedFont.Reset(CreateFontIndirectW(font_.get()));
        sharedFontDescription = *font_;
    }
    return sharedFont.Get();
}

void CGridCell::Reset() {
    CGridCellBase::Reset();
    text_.clear();
    data_ = 0;
    image_ = -1;
    format_ = 0xFFFFFFFF;
    textColour_ = GridColourNotSet;
    backColour_ = GridColourNotSet;
    font_.reset();
    margin_ = 0xFFFFFFFF;
    editing_ = false;
    grid_ = nullptr;
    editWindow_ = nullptr;
}

bool CGridCell::BeginEdit(int row, int col, const RECT& rect, POINT /*point*/, UINT controlId, UINT firstChar) {
    if (editing_) {
        if (editWindow_ != nullptr) SendMessageW(editWindow_, WM_CHAR, firstChar, 0);
        return true;
    }
    if (grid_ == nullptr) return false;
    const DWORD format = GetFormat();
    DWORD alignment = ES_LEFT;
    if ((format & DT_RIGHT) != 0) {
        alignment = ES_RIGHT;
    } else if ((format & DT_CENTER) != 0) {
        alignment = ES_CENTER;
    }
    editing_ = true;
    editWindow_ = grid_->CreateInPlaceEdit(rect, alignment, controlId, row, col, GetText(), firstChar);
    if (editWindow_ == nullptr) editing_ = false;
    return editing_;
}

void CGridCell::EndEdit() {
    if (grid_ != nullptr && editWindow_ != nullptr && IsWindow(editWindow_)) grid_->EndInPlaceEdit(editWindow_);
}

}  // namespace quillon::grid
