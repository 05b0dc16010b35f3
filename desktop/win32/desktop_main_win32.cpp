// DesktopZephyrkit.exe, run as "<title>.[DESKTOP].exe": finds the device
// installer appended to its own file, then shows its window, or with /s
// installs without one and reports the outcome in its exit code.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>

#include "activesync/device_connection.h"
#include "activesync/tick_wait.h"
#include "common/ansi_text.h"
#include "common/package_layout.h"
#include "common/wide_text_win32.h"
#include "desktop/carried_installer.h"
#include "desktop/desktop_install.h"
#include "desktop/win32/active_sync_win32.h"
#include "desktop/win32/desktop_window_win32.h"
#include "platform/desktop_platform_win32.h"

namespace {

enum class Mode { Window, Silent, Usage, BadCommandLine };

Mode ModeOf(int argc, wchar_t** argv) {
    Mode mode = Mode::Window;
    for (int i = 1; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"/s" || option == L"/S" || option == L"-s" || option == L"-S")
            mode = Mode::Silent;
        else if (option == L"/?" || option == L"-?" || option == L"/h" || option == L"/help")
            return Mode::Usage;
        else
            return Mode::BadCommandLine;
    }
    return mode;
}

void ShowBox(const std::string& text, UINT icon) {
    const std::u16string wide = zk::WideFromAnsi(text);
    MessageBoxW(nullptr, zk::Wide(wide), L"Desktop installer", MB_OK | icon);
}

// Nothing to show in silent mode.
class QuietObserver : public zk::InstallObserver {
public:
    void Status(const std::string&) override {}
    void Progress(std::uint64_t, std::uint64_t) override {}
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const Mode mode = argv ? ModeOf(argc, argv) : Mode::Window;
    if (argv) LocalFree(argv);
    if (mode == Mode::Usage || mode == Mode::BadCommandLine) {
        ShowBox(zk::UsageText(), mode == Mode::Usage ? MB_ICONINFORMATION : MB_ICONWARNING);
        return mode == Mode::Usage ? zk::DESKTOP_DONE : zk::DESKTOP_BAD_COMMAND_LINE;
    }

    zk::Win32DesktopPlatform platform;
    const std::string ownPath = platform.ProgramPath();
    zk::CarriedInstaller carried;
    int found = zk::CARRIED_UNREADABLE;
    if (std::unique_ptr<zk::FileHandle> own = platform.OpenFile(ownPath, zk::FileMode::Read)) {
        found = zk::FindCarriedInstaller(*own, zk::DESKTOP_STUB_FIRST_SECTION_OFFSET,
                                         zk::MOBILE_STUB_FIRST_SECTION_OFFSET, &carried);
    }
    if (found != zk::CARRIED_OK) {
        if (mode == Mode::Window) ShowBox(zk::DescribeCarriedResult(found, ownPath), MB_ICONERROR);
        return zk::DESKTOP_DAMAGED;
    }

    std::unique_ptr<zk::RemoteDevice> device = zk::OpenActiveSync();
    if (mode == Mode::Silent) {
        std::unique_ptr<zk::FileHandle> own = platform.OpenFile(ownPath, zk::FileMode::Read);
        if (!own) return zk::DESKTOP_DAMAGED;
        zk::SleepingTickWait wait;
        zk::DeviceConnection connection(*device, wait);
        QuietObserver observer;
        return zk::InstallOnDevice(connection, *own, carried, observer).code;
    }

    // The folder browser needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = zk::RunDesktopWindow(instance, platform, *device, ownPath, carried);
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}
