#pragma once

#include <windows.h>

#include "grid/GridTypes.h"

namespace quillon::grid {

class CGridCtrl;
class CGridDefaultCell;

// A cell of the grid: its state word, painting, measuring and the mouse hooks. What a
// cell shows (text, colours, font ...) is held by the derived classes; an attribute a
// cell leaves unset is taken from the grid's default cell for its position.
class CGridCellBase {
public:
    CGridCellBase() = default;
    virtual ~CGridCellBase() = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;

    virtual void SetText(const char* text) = 0;  // code page 936; null gives empty text
    virtual void SetImage(int image) = 0;
    virtual void SetData(LPARAM data) = 0;
    virtual void SetState(DWORD state) { state_ = state; }
    virtual void SetFormat(DWORD format) = 0;
    virtual void SetTextColour(COLORREF colour) = 0;
    virtual void SetBackColour(COLORREF colour) = 0;
    virtual void SetFont(const LOGFONTW* font) = 0;  // null: back to the default font
    virtual void SetMargin(UINT margin) = 0;
    virtual void SetGrid(CGridCtrl* grid) = 0;
    virtual void SetCoords(int /*row*/, int /*col*/) {}

    virtual const char* GetText() const = 0;  // never null
    virtual const char* GetTipText() const { return GetText(); }
    virtual int GetImage() const = 0;
    virtual LPARAM GetData() const = 0;
    virtual DWORD GetState() const { return state_; }
    virtual DWORD GetFormat() const = 0;
    virtual COLORREF GetTextColour() const = 0;  // own value, GridColourNotSet included
    virtual COLORREF GetBackColour() const = 0;  // own value, GridColourNotSet included
    virtual const LOGFONTW* GetFont() const = 0;
    // Borrowed; valid until the next GetFontObject call of any cell with a font of its own.
    virtual HFONT GetFontObject() const = 0;
    virtual CGridCtrl* GetGrid() const = 0;
    virtual HWND GetEditWnd() const = 0;
    virtual UINT GetMargin() const = 0;
    virtual CGridDefaultCell* GetDefaultCell() const;
    virtual bool IsDefaultFont() const = 0;
    virtual bool IsEditing() const = 0;

    virtual bool IsFocused() const { return (GetState() & GridCellState::Focused) != 0; }
    virtual bool IsFixed() const { return (GetState() & GridCellState::Fixed) != 0; }
    virtual bool IsFixedCol() const { return (GetState() & GridCellState::FixedColumn) != 0; }
    virtual bool IsFixedRow() const { return (GetState() & GridCellState::FixedRow) != 0; }
    virtual bool IsSelected() const { return (GetState() & GridCellState::Selected) != 0; }
    virtual bool IsReadOnly() const { return (GetState() & GridCellState::ReadOnly) != 0; }
    virtual bool IsModified() const { return (GetState() & GridCellState::Modified) != 0; }
    virtual bool IsDropHighlighted() const { return (GetState() & GridCellState::DropHighlighted) != 0; }

    virtual void CopyFrom(const CGridCellBase& other);
    virtual void Reset() { state_ = 0; }

    // Paints the cell into `rect` (client coordinates, right and bottom exclusive, the
    // grid lines not included). The background is filled only when `eraseBackground`
    // is set or the cell has a colour of its own or is selected.
    virtual bool DrawCell(HDC dc, int row, int col, RECT rect, bool eraseBackground);
    virtual bool GetTextRect(RECT* rect) const;
    virtual bool GetTipTextRect(RECT* rect) const { return GetTextRect(rect); }
    // Pixel size `text` needs in this cell's font and format; dc may be null.
    virtual SIZE MeasureText(const char* text, HDC dc = nullptr) const;
    virtual SIZE MeasureCell(HDC dc = nullptr) const;

    virtual bool BeginEdit(int /*row*/, int /*col*/, const RECT& /*rect*/, POINT /*point*/, UINT /*controlId*/,
                           UINT /*firstChar*/) {
        return false;
    }
    virtual bool ValidateEdit(const char* /*text*/) { return true; }
    virtual void EndEdit() {}
    virtual void EditEnded() {}

    virtual void HandleMouseEnter() {}
    virtual void HandleMouseOver() {}
    virtual void HandleMouseLeave() {}
    // Points are relative to the cell's top-left corner.
    virtual void HandleClick(POINT /*point*/) {}
    virtual void HandleClickDown(POINT /*point*/) {}
    virtual void HandleRightClick(POINT /*point*/) {}
    virtual void HandleDoubleClick(POINT /*point*/) {}
    virtual bool HandleSetCursor();

private:
    void DrawSortArrow(HDC dc, RECT* rect, bool ascending) const;

    DWORD state_ = 0;
};

}  // namespace quillon::grid
