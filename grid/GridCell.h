#pragma once

#include <memory>
#include <string>

#include "grid/GridCellBase.h"

namespace quillon::grid {

// The cell the grid makes for every position. It stores only what differs from its
// default cell: every unset attribute is a sentinel resolved when it is read or painted.
class CGridCell : public CGridCellBase {
public:
    CGridCell() = default;
    ~CGridCell() override = default;

    void SetText(const char* text) override { text_ = text != nullptr ? text : ""; }
    void SetImage(int image) override { image_ = image; }
    void SetData(LPARAM data) override { data_ = data; }
    void SetFormat(DWORD format) override { format_ = format; }
    void SetTextColour(COLORREF colour) override { textColour_ = colour; }
    void SetBackColour(COLORREF colour) override { backColour_ = colour; }
    void SetFont(const LOGFONTW* font) override;
    void SetMargin(UINT margin) override { margin_ = margin; }
    void SetGrid(CGridCtrl* grid) override { grid_ = grid; }

    const char* GetText() const override { return text_.c_str(); }
    int GetImage() const override { return image_; }
    LPARAM GetData() const override { return data_; }
    DWORD GetFormat() const override;
    COLORREF GetTextColour() const override { return textColour_; }
    COLORREF GetBackColour() const override { return backColour_; }
    const LOGFONTW* GetFont() const override;
    HFONT GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return grid_; }
    HWND GetEditWnd() const override { return editWindow_; }
    UINT GetMargin() const override;
    bool IsDefaultFont() const override { return font_ == nullptr; }
    bool IsEditing() const override { return editing_; }

    void Reset() override;

    // Opens the grid's in-place editor over `rect`; true when it is open.
    bool BeginEdit(int row, int col, const RECT& rect, POINT point, UINT controlId, UINT firstChar) override;
    void EndEdit() override;
    void EditEnded() override {
        editing_ = false;
        editWindow_ = nullptr;
    }

private:
    std::string text_;
    LPARAM data_ = 0;
    int image_ = -1;
    DWORD format_ = 0xFFFFFFFF;
    COLORREF textColour_ = GridColourNotSet;
    COLORREF backColour_ = GridColourNotSet;
    std::unique_ptr<LOGFONTW> font_;
    UINT margin_ = 0xFFFFFFFF;
    bool editing_ = false;
    CGridCtrl* grid_ = nullptr;
    HWND editWindow_ = nullptr;
};

}  // namespace quillon::grid
