#pragma once

#include "host/TesselAPI.h"

namespace quillon::app {

// The two static functions of TesselAPI.dll. Quillon.exe passes the DLL's own; tests
// pass functions that hand out a fake instance in the test process.
struct HostLibrary {
    host::TesselAPI* (*getInstance)() = nullptr;
    void (*destroyInstance)() = nullptr;
};

void SetHostLibrary(HostLibrary library);

// Keeps TesselAPI::GetInstance() as the process-wide instance, unless one is kept.
void AcquireHostApi();
// Clears the kept instance (later sends are skipped), then destroys the library's.
void ReleaseHostApi();

}  // namespace quillon::app
