#pragma once

#include "framework/GdiObjects.h"
#include "grid/GridCell.h"

namespace quillon::grid {

// One of the four cells a grid takes unset attributes from. It also gives new rows their
// height and new columns their width, and owns the font object cells paint with when
// they have no font of their own. A default cell always reads as read-only and never
// takes data or state.
class CGridDefaultCell : public CGridCell {
public:
    // Format centred single-line with an end ellipsis, the system message font.
    CGridDefaultCell();
    ~CGridDefaultCell() override = default;

    // Re-creates the font object and measures width and height from it; null is ignored.
    void SetFont(const LOGFONTW* font) override;
    void SetData(LPARAM) override {}
    void SetState(DWORD) override {}
    DWORD GetState() const override { return CGridCell::GetState() | GridCellState::ReadOnly; }
    HFONT GetFontObject() const override { return fontObject_.Get(); }

    DWORD GetStyle() const { return style_; }
    void SetStyle(DWORD style) { style_ = style; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }

    // The system message font, or when it cannot be read a 10-point "宋体" kept for the
    // whole process.
    static LOGFONTW SystemMessageFont();

private:
    int width_ = 30;
    int height_ = 10;
    framework::OwnedFont fontObject_;
    DWORD style_ = 0;
};

}  // namespace quillon::grid
