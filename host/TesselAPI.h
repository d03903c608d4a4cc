#pragma once

// The host's plug-in library interface, as TesselAPI.dll exports it. The same header
// serves the program (which imports GetInstance/DestroyInstance), our TesselAPI.dll
// (which exports them) and fakes in tests, which derive from the class in-process.

// HWND without <windows.h>: under STRICT (MinGW's default) HWND is `struct HWND__*`,
// so WindowHandle is the very same type there and the virtual signatures match.
struct HWND__;

#if defined(_WIN32)
#if defined(QUILLON_BUILDING_TESSEL)
#define QUILLON_TESSEL_EXPORT __declspec(dllexport)
#else
#define QUILLON_TESSEL_EXPORT __declspec(dllimport)
#endif
#else
#define QUILLON_TESSEL_EXPORT
#endif

namespace quillon::host {

using WindowHandle = ::HWND__*;

// Called by the library on a thread of its own with (message type, value, payload,
// payload length, request id). The payload lives for the duration of the call only.
using TesselCallback = int (*)(int msgType, int value, const void* data, int dataLen, int requestId);

class TesselAPI {
public:
    // The process-wide instance, made on first use; null if the library cannot make one.
    QUILLON_TESSEL_EXPORT static TesselAPI* GetInstance();
    // Destroys the instance: closes the link and waits for the library's thread. Call it
    // once at exit, after every kept pointer has been cleared, and never from the callback.
    QUILLON_TESSEL_EXPORT static void DestroyInstance();

    virtual ~TesselAPI() = default;

    // Results of every operation are ignored by the program; 0 means done.
    virtual int Register(const char* name, const char* accessCode, TesselCallback callback, WindowHandle hostWindow,
                         int mode, WindowHandle ownWindow) = 0;
    virtual int Start() = 0;
    virtual int SendRequest(int type, const void* data, int len, int requestId) = 0;
    // The fourth slot of the host's interface; the program never calls it.
    virtual int Reserved() = 0;

protected:
    TesselAPI() = default;
    TesselAPI(const TesselAPI&) = delete;
    TesselAPI& operator=(const TesselAPI&) = delete;
};

}  // namespace quillon::host
