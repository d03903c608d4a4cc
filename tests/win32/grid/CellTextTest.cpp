// Cell text drawn by ExtTextOutW at our own position must be the very pixels DrawTextW
// draws: every format cells use, over texts and rectangles at the edges of the layout.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "framework/GdiObjects.h"
#include "framework/MemoryCanvas.h"
#include "framework/TextConversion.h"
#include "grid/CellText.h"
#include "grid/GridDefaultCell.h"

namespace quillon::grid {
namespace {

using framework::MemoryCanvas;
using framework::OwnedFont;
using framework::SelectionGuard;

constexpr int CanvasSize = 140;
constexpr UINT CellDefault = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

struct Format {
    const char* name;
    UINT bits;
    bool fastWhenItFits;  // whether ExtTextOutW may draw it at all
};

const Format Formats[] = {
    {"cell default: centred, v-centred, end ellipsis", CellDefault, true},
    {"left single line", DT_LEFT | DT_SINGLELINE, true},
    {"right, v-centred", DT_RIGHT | DT_VCENTER | DT_SINGLELINE, true},
    {"centred, bottom", DT_CENTER | DT_BOTTOM | DT_SINGLELINE, true},
    {"left, v-centred, end ellipsis", DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS, true},
    {"right, bottom, unclipped", DT_RIGHT | DT_BOTTOM | DT_SINGLELINE | DT_NOCLIP, true},
    {"left, several lines", DT_LEFT, false},
    {"left, word break", DT_LEFT | DT_WORDBREAK, false},
};

// Code page 936, as cells hold their text.
const char* const Texts[] = {
    "3650", "-12.5%", "最新价", "沪深300ETF购12月4000", "", "A&B", "W", "1\t2", "0.0001234567890123456789",
};

struct Box {
    const char* name;
    RECT rect;
};

std::vector<Box> Boxes(int textWidth) {
    const int x = 30;
    const int y = 40;
    return {
        {"board cell 66 x 14", RECT{x, y, x + 66, y + 14}},
        {"odd sizes 71 x 19", RECT{x, y, x + 71, y + 19}},
        {"even sizes 72 x 20", RECT{x + 1, y + 1, x + 73, y + 21}},
        {"exactly the text's width", RECT{x, y, x + textWidth, y + 20}},
        {"a pixel narrower than the text", RECT{x, y, x + textWidth - 1, y + 20}},
        {"a pixel wider than the text", RECT{x, y, x + textWidth + 1, y + 20}},
        {"lower than the text", RECT{x, y, x + 80, y + 5}},
        {"one pixel", RECT{x, y, x + 1, y + 1}},
        {"negative width", RECT{x + 40, y, x + 10, y + 20}},
        {"negative height", RECT{x, y + 20, x + 60, y + 4}},
        {"partly off the canvas", RECT{-20, -6, 30, 8}},
    };
}

// Draws one case into a fresh canvas the way a cell paint leaves the DC.
std::vector<unsigned char> Draw(HFONT font, std::wstring_view text, const RECT& rect, UINT format, CellTextPath path,
                                CellTextPath* used) {
    MemoryCanvas canvas(CanvasSize, CanvasSize);
    EXPECT_TRUE(canvas);
    if (!canvas) return {};
    canvas.Fill(RGB(235, 235, 235));
    SelectionGuard selected(canvas.Dc(), font);
    SetBkMode(canvas.Dc(), TRANSPARENT);
    SetTextColor(canvas.Dc(), RGB(255, 0, 0));
    *used = DrawCellText(canvas.Dc(), text, rect, format, path);
    const unsigned char* bytes = canvas.Bytes();
    return std::vector<unsigned char>(bytes, bytes + CanvasSize * CanvasSize * 4);
}

// "x,y" of the first pixel that differs, or empty when the pictures are the same.
std::string FirstDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
    if (a.size() != b.size()) return "sizes differ";
    for (size_t i = 0; i < a.size(); i += 4) {
        if (std::memcmp(&a[i], &b[i], 4) != 0) {
            const size_t pixel = i / 4;
            return std::to_string(pixel % CanvasSize) + "," + std::to_string(pixel / CanvasSize);
        }
    }
    return {};
}

TEST(CellText, ExtTextOutDrawsTheSamePixelsAsDrawTextForEveryFormat) {
    LOGFONTW regular = CGridDefaultCell::SystemMessageFont();
    LOGFONTW bold = regular;
    bold.lfWeight = FW_BOLD;
    LOGFONTW large{};
    large.lfHeight = -16;
    large.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(large.lfFaceName, L"WenQuanYi Micro Hei");
    const LOGFONTW* fonts[] = {&regular, &bold, &large};

    for (const LOGFONTW* description : fonts) {
        OwnedFont font(CreateFontIndirectW(description));
        ASSERT_TRUE(font);
        for (const Format& format : Formats) {
            int fastDraws = 0;
            for (size_t t = 0; t < std::size(Texts); ++t) {
                const std::wstring text = framework::WideFromCodePage936(Texts[t]);
                SIZE extent{};
                {
                    MemoryCanvas probe(1, 1);
                    SelectionGuard selected(probe.Dc(), font.Get());
                    GetTextExtentPoint32W(probe.Dc(), text.c_str(), static_cast<int>(text.size()), &extent);
                }
                for (const Box& box : Boxes(extent.cx)) {
                    CellTextPath fastUsed{}, slowUsed{};
                    const auto fast = Draw(font.Get(), text, box.rect, format.bits, CellTextPath::Fastest, &fastUsed);
                    const auto slow = Draw(font.Get(), text, box.rect, format.bits, CellTextPath::DrawText, &slowUsed);
                    EXPECT_EQ(slowUsed, CellTextPath::DrawText);
                    if (fastUsed == CellTextPath::Fastest && !text.empty()) ++fastDraws;
                    EXPECT_EQ(FirstDifference(fast, slow), "")
                        << "font " << description->lfHeight << "/" << description->lfWeight << ", format \""
                        << format.name << "\", text #" << t << ", " << box.name;
                }
            }
            if (format.fastWhenItFits) {
                EXPECT_GT(fastDraws, 0) << format.name << ": ExtTextOutW never drew, nothing was compared";
            } else {
                EXPECT_EQ(fastDraws, 0) << format.name;
            }
        }
    }
}

}  // namespace
}  // namespace quillon::grid
