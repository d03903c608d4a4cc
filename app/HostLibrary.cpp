#include "app/HostLibrary.h"

#include "host/HostRequests.h"

namespace quillon::app {

namespace {
HostLibrary& Library() {
    static HostLibrary library;
    return library;
}
}  // namespace

void SetHostLibrary(HostLibrary library) {
    Library() = library;
}

void AcquireHostApi() {
    if (host::HostApi() == nullptr && Library().getInstance) host::SetHostApi(Library().getInstance());
}

void ReleaseHostApi() {
    host::SetHostApi(nullptr);
    if (Library().destroyInstance) Library().destroyInstance();
}

}  // namespace quillon::app
