// The two functions TesselAPI.dll exports. The instance is made on first use and lives
// until DestroyInstance; a process that ends without calling it simply leaks it (joining
// a thread at DLL unload would deadlock on the loader lock).
#include <mutex>
#include <new>

#include "host/TesselAPI.h"
#include "tessel/TesselLink.h"

namespace quillon::host {

namespace {

std::mutex instanceMutex;
tessel::TesselLink* instance = nullptr;

}  // namespace

TesselAPI* TesselAPI::GetInstance() {
    std::lock_guard lock(instanceMutex);
    if (instance == nullptr) instance = new (std::nothrow) tessel::TesselLink();
    return instance;
}

void TesselAPI::DestroyInstance() {
    tessel::TesselLink* link;
    {
        std::lock_guard lock(instanceMutex);
        link = instance;
        instance = nullptr;
    }
    if (link != nullptr) link->Destroy();
}

}  // namespace quillon::host
