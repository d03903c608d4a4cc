#pragma once

#include <windows.h>

namespace quillon::framework {

// OLE for this thread (drag and drop of the grid): OleInitialize here, OleUninitialize
// when the object goes, only if initialisation succeeded.
class OleSession {
public:
    OleSession();
    ~OleSession();
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool Succeeded() const { return initialised_; }

private:
    bool initialised_ = false;
};

// The common controls of the program (list view, image lists...): ICC_WIN95_CLASSES.
bool InitCommonControlsForProgram();

}  // namespace quillon::framework
