#pragma once

#include <windows.h>

#include <string>

namespace quillon::framework {

// Registers a window class, once per process: a second call with the same name finds the
// class and succeeds without registering. `className` is the name other code (and dialog
// templates) use, e.g. L"MFCGridCtrl". The procedure is CWnd's static one unless a class
// needs its own (the grid's, which windows made from a dialog template reach first).
bool RegisterWindowClassOnce(const wchar_t* className, UINT classStyle = CS_DBLCLKS,
                             HCURSOR cursor = LoadCursorW(nullptr, IDC_ARROW), HBRUSH background = nullptr,
                             HICON icon = nullptr, WNDPROC procedure = nullptr);

// The base of every window object of the program.
//
// A CWnd either owns its window (made with CreateEx, or taken over with SubclassWindow)
// and destroys it with itself, or borrows one (Attach), which it never destroys.
//
// Messages of an owned window reach the virtual WindowProc. A derived class overrides
// it with a plain switch that unpacks wParam/lParam once and calls named handlers, and
// returns DefaultProc(message, wParam, lParam) for everything it does not handle:
//
//     LRESULT CMyWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
//         switch (message) {
//         case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return 0;
//         }
//         return CWnd::WindowProc(message, wParam, lParam);
//     }
//
// How the object is found: CreateEx passes `this` as lpCreateParams; the static
// procedure picks it up at WM_NCCREATE and keeps it in GWLP_USERDATA. Messages sent
// before WM_NCCREATE (WM_GETMINMAXINFO of a top-level window) go to DefWindowProcW.
// At WM_NCDESTROY the handle is cleared and OnFinalMessage is the object's last call;
// deleting the object there is allowed.
//
// A window created by someone else (a custom control in a dialog template, whose
// class was registered with RegisterWindowClassOnce) has no object at first: it runs
// on DefWindowProcW until a CWnd takes it over with SubclassWindow / SubclassDlgItem.
// The window has missed WM_CREATE then; OnSubclassed is where such a class does its
// creation work.
//
// Any window that has an object carries it in a window property as well, so FromHandle
// finds the object of any window (plain or dialog) without knowing its kind.
class CWnd {
public:
    CWnd() = default;
    // An owned window still alive is destroyed here (its WindowProc no longer reaches
    // the derived class, which is gone by then).
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates a window of `className` (registered with RegisterWindowClassOnce) with
    // this object as its own. Fails (false) when the window already exists or
    // creation fails; WM_CREATE returning -1 is such a failure. `title` is code page 936.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const std::string& title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menuOrId);

    // Takes over an existing window of this thread: its messages come to WindowProc,
    // and DefaultProc passes them to its previous procedure. The object then owns it.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(int controlId, HWND dialog) { return SubclassWindow(::GetDlgItem(dialog, controlId)); }

    // Borrows a window: handle access and helpers only, no messages, never destroyed.
    void Attach(HWND window);
    HWND Detach();

    HWND GetSafeHwnd() const { return hwnd_; }
    bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }

    // Destroys an owned or borrowed window; true if it was destroyed.
    bool DestroyWindow();

    // The object of a window that has one (made, subclassed or a CDialog), else null.
    static CWnd* FromHandle(HWND window);

    // Message pre-translation, called by the application's loop for the window a message
    // is for and each of its parents, innermost first, until one returns true (the
    // message is then neither translated nor dispatched).
    virtual bool PreTranslateMessage(MSG& message);

    // Small conveniences over the wide Win32 calls; texts are code page 936.
    void SetText(const std::string& text);
    std::string GetText() const;
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool ShowWindow(int command) const;
    bool MoveWindow(int x, int y, int width, int height, bool repaint = true) const;
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    HWND GetDlgItem(int controlId) const { return ::GetDlgItem(hwnd_, controlId); }
    void Invalidate(bool erase = true) const;

    // The window procedure every class registered with RegisterWindowClassOnce uses.
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // WM_TIMER of `id`: true when the timer was this window's and the tick is handled;
    // otherwise the message goes on to DefaultProc.
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    // What the window would do without this object: the subclassed window's previous
    // procedure, or DefWindowProcW.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window is gone (after WM_NCDESTROY); GetSafeHwnd() is null already.
    virtual void OnFinalMessage(HWND /*window*/) {}
    // A window made elsewhere has just been taken over by SubclassWindow.
    virtual void OnSubclassed() {}

    // Binds this object to `window` (user data and property); used by the static
    // procedures and by CDialog.
    void BindToWindow(HWND window);
    // Clears the binding at WM_NCDESTROY and makes the last call.
    void ReleaseFromWindow();

    HWND hwnd_ = nullptr;

private:
    bool owned_ = false;
    WNDPROC previousProc_ = nullptr;
};

}  // namespace quillon::framework
