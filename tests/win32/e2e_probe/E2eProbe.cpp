// quillon_e2e_probe: looks at the windows of a Wine session from inside it, for the
// end-to-end tests and the demo, which run outside Wine and cannot reach a window's title,
// its message box text or its close message through X alone.
//
// Usage: quillon_e2e_probe STEP [STEP...], each step a verb and its arguments:
//   windows                        every visible top-level window: hwnd pid class title
//   wait-window PATTERN MS         until a visible top-level window's title matches
//   wait-gone PATTERN MS           until no visible top-level window's title matches
//   close PATTERN                  posts WM_CLOSE to the matching window
//   move PATTERN X Y               moves it, keeping its size
//   box PATTERN MS                 waits for a dialog box whose caption matches and prints
//                                  its static texts
//   press PATTERN ID               posts WM_COMMAND ID to the matching dialog box
//   digest PATTERN                 a hash of the window's pixels on screen
// A PATTERN is a part of the title in ASCII, or "x:" and the UTF-8 bytes of a part in
// hexadecimal (Wine's reading of non-ASCII arguments depends on the locale). Output is
// UTF-8, one line per finding; a step that fails prints "probe: ..." and the probe exits 1
// there.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/GdiObjects.h"
#include "framework/MemoryCanvas.h"

namespace {

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

std::wstring DecodePattern(const std::string& argument) {
    if (argument.rfind("x:", 0) != 0) return FromUtf8(argument);
    std::string bytes;
    for (std::size_t i = 2; i + 1 < argument.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::strtoul(argument.substr(i, 2).c_str(), nullptr, 16)));
    }
    return FromUtf8(bytes);
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring WindowTitle(HWND window) {
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    return title;
}

std::wstring WindowClass(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM list) {
    if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleTopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND FindWindowMatching(const std::wstring& pattern, bool dialogsOnly) {
    for (HWND window : VisibleTopLevelWindows()) {
        if (dialogsOnly && WindowClass(window) != L"#32770") continue;
        if (WindowTitle(window).find(pattern) != std::wstring::npos) return window;
    }
    return nullptr;
}

HWND WaitForWindow(const std::wstring& pattern, bool dialogsOnly, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = FindWindowMatching(pattern, dialogsOnly)) return window;
        if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return nullptr;
        Sleep(100);
    }
}

std::string Describe(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT rect = {};
    GetWindowRect(window, &rect);
    char head[160];
    std::snprintf(head, sizeof head, "window %lu %lu %ld %ld %ld %ld ",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(window)), static_cast<unsigned long>(pid),
                  rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return head + ToUtf8(WindowClass(window)) + " " + ToUtf8(WindowTitle(window));
}

// FNV-1a over the window's pixels as the screen shows them: it changes when the program
// paints something new there.
bool PixelDigest(HWND window, std::uint64_t& digest) {
    RECT rect = {};
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    quillon::framework::MemoryCanvas canvas(width, height);
    quillon::framework::WindowDc screen(nullptr);
    if (!canvas || !screen) return false;
    const bool ok = BitBlt(canvas.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY) != 0;
    digest = 1469598103934665603ull;
    const unsigned char* bytes = canvas.Bytes();
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4; ++i) {
        digest = (digest ^ bytes[i]) * 1099511628211ull;
    }
    return ok;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lines) {
    if (_wcsicmp(WindowClass(child).c_str(), L"Static") == 0) {
        const std::wstring text = WindowTitle(child);
        if (!text.empty()) reinterpret_cast<std::vector<std::string>*>(lines)->push_back(ToUtf8(text));
    }
    return TRUE;
}

int Fail(const std::string& message) {
    Say("probe: " + message);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain "\n" line ends: the readers are Linux programs.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args(argv + 1, argv + argc);
    std::size_t at = 0;
    auto next = [&](std::string& value) {
        if (at >= args.size()) return false;
        value = args[at++];
        return true;
    };
    while (at < args.size()) {
        const std::string verb = args[at++];
        std::string pattern, a, b;
        if (verb == "windows") {
            for (HWND window : VisibleTopLevelWindows()) Say(Describe(window));
        } else if (verb == "wait-window" || verb == "wait-gone" || verb == "box") {
            if (!next(pattern) || !next(a)) return Fail(verb + ": needs a pattern and a time-out");
            const std::wstring wanted = DecodePattern(pattern);
            const int timeoutMs = std::atoi(a.c_str());
            if (verb == "wait-gone") {
                const DWORD start = GetTickCount();
                while (FindWindowMatching(wanted, false)) {
                    if (static_cast<int>(GetTickCount() - start) >= timeoutMs)
                        return Fail("a window titled like " + pattern + " is still there after " + a + " ms");
                    Sleep(100);
                }
                Say("gone " + pattern);
                continue;
            }
            HWND window = WaitForWindow(wanted, verb == "box", timeoutMs);
            if (!window) return Fail("no window titled like " + pattern + " within " + a + " ms");
            Say(Describe(window));
            if (verb == "box") {
                std::vector<std::string> lines;
                EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&lines));
                for (const std::string& line : lines) Say("text " + line);
            }
        } else if (verb == "close" || verb == "press" || verb == "digest") {
            if (!next(pattern)) return Fail(verb + ": needs a pattern");
            if (verb == "press" && !next(a)) return Fail("press: needs a command id");
            HWND window = FindWindowMatching(DecodePattern(pattern), verb == "press");
            if (!window) return Fail(verb + ": no window titled like " + pattern);
            if (verb == "close") {
                PostMessageW(window, WM_CLOSE, 0, 0);
                Say("closed " + pattern);
            } else if (verb == "press") {
                const int id = std::atoi(a.c_str());
                PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
                Say("pressed " + a);
            } else {
                std::uint64_t digest = 0;
                if (!PixelDigest(window, digest)) return Fail("digest: cannot read the pixels of " + pattern);
                char text[40];
                std::snprintf(text, sizeof text, "digest %016llx", static_cast<unsigned long long>(digest));
                Say(text);
            }
        } else if (verb == "move") {
            if (!next(pattern) || !next(a) || !next(b)) return Fail("move: needs a pattern, x and y");
            HWND window = FindWindowMatching(DecodePattern(pattern), false);
            if (!window) return Fail("move: no window titled like " + pattern);
            SetWindowPos(window, nullptr, std::atoi(a.c_str()), std::atoi(b.c_str()), 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Say(Describe(window));
        } else {
            return Fail("unknown step " + verb);
        }
    }
    return 0;
}
