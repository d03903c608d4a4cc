#pragma once

#include <windows.h>

#include "framework/Wnd.h"

namespace quillon::framework {

// A dialog made from a resource template (the template id belongs to the class).
//
// The dialog procedure finds the object in the lParam of WM_INITDIALOG and keeps it in
// DWLP_USER; at WM_NCDESTROY the object gets its last call (OnFinalMessage). Messages
// reach the virtual DialogProc, which returns TRUE for a message it handled (with
// SetMessageResult for a result other than TRUE) and FALSE to leave the message to the
// system's dialog handling. A derived dialog switches on its own messages and ends with
// `return CDialog::DialogProc(message, wParam, lParam);`, which calls OnInitDialog,
// OnCommand, OnNotify and OnTimer.
//
// Modal (DoModal) and modeless (Create) differ only in how they end: EndDialog leaves
// the modal loop, which then destroys the window; a modeless dialog is only hidden by
// EndDialog, as Win32 does, and lives until DestroyWindow or its object's destruction.
//
// The modal loop is our own, so the application's PreTranslateMessage still sees every
// message (the popup run mode's Enter and Escape) while a modal dialog is up.
class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId) : templateId_(templateId) {}
    ~CDialog() override;

    UINT TemplateId() const { return templateId_; }

    // Modeless: makes the window (hidden unless the template says WS_VISIBLE).
    bool Create(HWND parent);
    // Modal: disables the top-level window of `parent` while the dialog runs. Returns the EndDialog result, or
    // -1 when the window cannot be made. A WM_QUIT met in the loop ends it and is posted
    // again for the outer loop.
    INT_PTR DoModal(HWND parent);
    void EndDialog(INT_PTR result);

    // In a modal loop that has not been told to end yet.
    bool IsRunningModalLoop() const { return inModalLoop_ && continueModal_; }

    // Keyboard navigation of the dialog (Tab, Enter, Escape) for the message loops.
    bool PreTranslateMessage(MSG& message) override;

    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    // TRUE lets the system focus the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // true when the command was handled. IDOK and IDCANCEL go to OnOK and OnCancel.
    virtual bool OnCommand(int id, int notifyCode, HWND control);
    // true when handled; `result` is what the notification returns to its sender.
    virtual bool OnNotify(int controlId, NMHDR* header, LRESULT& result);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    void SetMessageResult(LRESULT result) const;

private:
    UINT templateId_;
    bool inModalLoop_ = false;
    bool continueModal_ = false;
    INT_PTR modalResult_ = -1;
};

}  // namespace quillon::framework
