// Proves the ground the program stands on under the Wine runner: a real window, a
// code page 936 literal turned into UTF-16 at the Win32 call, a Chinese font face that
// resolves to a font with the glyphs, and painting read back from a memory DC.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/MemoryCanvas.h"

namespace {

const char* const BoardTitle = "期权T型报价";  // code page 936 bytes in this build
const COLORREF TextColour = RGB(220, 0, 0);

std::wstring FromCodePage936(const std::string& text) {
    int length = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

HFONT CreateSongFont() {
    return CreateFontW(-24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"宋体");
}

void PaintTitle(HDC dc, const RECT& area) {
    HFONT font = CreateSongFont();
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, TextColour);
    SetBkMode(dc, TRANSPARENT);
    std::wstring text = FromCodePage936(BoardTitle);
    RECT box = area;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_TOP | DT_SINGLELINE);
    SelectObject(dc, old);
    DeleteObject(font);
}

LRESULT CALLBACK TitleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PRINTCLIENT) {
        RECT area;
        GetClientRect(window, &area);
        PaintTitle(reinterpret_cast<HDC>(wParam), area);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(ChineseTextPaint, LiteralIsCodePage936) {
    EXPECT_EQ(std::string(BoardTitle), std::string("\xC6\xDA\xC8\xA8T\xD0\xCD\xB1\xA8\xBC\xDB"));
    EXPECT_EQ(FromCodePage936(BoardTitle), std::wstring(L"期权T型报价"));
}

TEST(ChineseTextPaint, SongFaceHasEveryGlyphOfTheTitle) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HFONT font = CreateSongFont();
    HGDIOBJ old = SelectObject(dc, font);
    std::wstring text = FromCodePage936(BoardTitle);
    std::vector<WORD> glyphs(text.size());
    DWORD done =
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_EQ(done, text.size());
    for (size_t i = 0; i < glyphs.size(); ++i) EXPECT_NE(glyphs[i], 0xFFFF) << "character " << i;
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

// Wine draws the caption buttons (minimise, maximise, close) with Marlett's glyphs; in a
// prefix without the font every picture shows letters in their place.
TEST(ChineseTextPaint, MarlettIsThereForTheCaptionButtons) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett");
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Marlett");
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
}

TEST(ChineseTextPaint, WindowPaintsTheTitleIntoAMemoryDc) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = TitleWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonSmokeTitle";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"smoke", WS_OVERLAPPEDWINDOW, 0, 0, 300, 80, nullptr,
                                  nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    const int width = 240, height = 40;
    quillon::framework::MemoryCanvas canvas(width, height);
    ASSERT_TRUE(canvas);
    canvas.Fill(RGB(255, 255, 255));
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT);

    // Text is drawn in pure text colour at its core.
    const RECT all = {0, 0, width, height};
    EXPECT_GT(canvas.Count(all, TextColour), 100);
    // Six characters, five of them full width at 24 pixels: the text runs past 100 pixels.
    EXPECT_GT(canvas.Bounds(all, TextColour).right, 101);

    DestroyWindow(window);
    UnregisterClassW(windowClass.lpszClassName, windowClass.hInstance);
}

}  // namespace
