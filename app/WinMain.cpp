// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <memory>

#include "app/QuillonApp.h"
#include "framework/TextConversion.h"
#include "host/TesselAPI.h"

namespace {

// The first argument after the program name, or nothing.
std::optional<std::string> FirstCommandLineArgument() {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(CommandLineToArgvW(GetCommandLineW(), &count), &LocalFree);
    if (!arguments || count < 2) return std::nullopt;
    return quillon::framework::CodePage936FromWide(arguments.get()[1]);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    quillon::app::StartupSources sources;
    sources.hostWindowArgument = FirstCommandLineArgument();
    quillon::app::CQuillonApp application(
        {&quillon::host::TesselAPI::GetInstance, &quillon::host::TesselAPI::DestroyInstance}, std::move(sources));
    return application.RunApplication();
}
