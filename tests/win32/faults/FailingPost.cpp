#include "FailingPost.h"

#include <atomic>
#include <cstring>

namespace quillon::test {
namespace {

using PostFunction = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

PostFunction realPost = nullptr;
std::atomic<UINT> failingMessage{0};
std::atomic<int> failingEvery{0};
std::atomic<long> attempts{0};
std::atomic<long> failures{0};

BOOL WINAPI PostThatMayFail(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int every = failingEvery.load();
    if (every > 0 && message == failingMessage.load()) {
        if (attempts.fetch_add(1) % every == 0) {
            failures.fetch_add(1);
            SetLastError(ERROR_NOT_ENOUGH_QUOTA);
            return FALSE;
        }
    }
    return realPost(window, message, wParam, lParam);
}

// The executable's import slot for user32's PostMessageW, or null.
ULONG_PTR* PostMessageImportSlot() {
    auto* base = reinterpret_cast<unsigned char*>(GetModuleHandleW(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name;
         ++library) {
        if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "user32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "PostMessageW") == 0) {
                return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

bool Redirect(PostFunction to) {
    ULONG_PTR* slot = PostMessageImportSlot();
    if (slot == nullptr) return false;
    DWORD protection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
    if (realPost == nullptr) realPost = reinterpret_cast<PostFunction>(*slot);
    *slot = reinterpret_cast<ULONG_PTR>(to);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}

}  // namespace

FailingPost::FailingPost(UINT message, int failEvery) {
    failingMessage = message;
    attempts = 0;
    failures = 0;
    failingEvery = failEvery;
    installed_ = Redirect(&PostThatMayFail);
}

FailingPost::~FailingPost() {
    failingEvery = 0;
    if (installed_) Redirect(realPost);
}

long FailingPost::Attempts() const { return attempts.load(); }
long FailingPost::Failures() const { return failures.load(); }

}  // namespace quillon::test
