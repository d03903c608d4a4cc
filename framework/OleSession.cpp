#include "framework/OleSession.h"

#include <commctrl.h>
#include <ole2.h>

namespace quillon::framework {

OleSession::OleSession() {
    initialised_ = SUCCEEDED(OleInitialize(nullptr));
}

OleSession::~OleSession() {
    if (initialised_) OleUninitialize();
}

bool InitCommonControlsForProgram() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace quillon::framework
