// What the desktop installer does with the device installer it carries:
// sends it to a device connected through ActiveSync and starts it there, or
// saves it to a folder. Both stream it out of the desktop installer's own
// file in blocks; it is never held in memory whole.
//
// Each outcome is one code, which is also the exit code of a silent install,
// and one sentence for the user.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "desktop/carried_installer.h"

namespace zk {

class DesktopPlatform;
class DeviceConnection;
class FileHandle;

inline constexpr int DESKTOP_DONE = 0;
inline constexpr int DESKTOP_BAD_COMMAND_LINE = 1;
inline constexpr int DESKTOP_DAMAGED = 2;       // the desktop installer is not whole
inline constexpr int DESKTOP_NO_DEVICE = 3;     // no device answered through ActiveSync
inline constexpr int DESKTOP_COPY_FAILED = 4;   // the installer could not be written to the device
inline constexpr int DESKTOP_START_FAILED = 5;  // copied, but it could not be started there
inline constexpr int DESKTOP_CANCELLED = 6;
inline constexpr int DESKTOP_SAVE_FAILED = 7;  // the installer could not be saved to the folder

// The device folder the installer is sent to.
inline constexpr std::u16string_view DEVICE_INSTALLER_FOLDER = u"\\Temp\\";

// How a run is shown: the status texts of the deployment, the progress of
// the copy, and whether the user has asked to stop. Called on the thread
// that runs the install.
class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    virtual void Status(const std::string& text) = 0;
    virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;
    virtual bool Cancelled() { return false; }
};

struct InstallReport {
    int code = DESKTOP_DONE;
    std::string message;  // ANSI, as the project's texts
};

// "\Temp\<title>.[MOBILE].exe"
std::u16string DeviceInstallerPath(const CarriedInstaller& carried);

// Connects (CONNECT_SECONDS), copies the carried installer out of `file` to
// DeviceInstallerPath, starts it there and ends the connection. Nothing is
// started after a failed copy.
InstallReport InstallOnDevice(DeviceConnection& connection, FileHandle& file,
                              const CarriedInstaller& carried, InstallObserver& observer);

// Writes the carried installer into `folder` under MobileInstallerName,
// through a temporary name beside it, so the folder never holds a partial
// installer under the real name.
InstallReport SaveToFolder(DesktopPlatform& platform, FileHandle& file,
                           const CarriedInstaller& carried, const std::string& folder,
                           InstallObserver& observer);

// The text of `DesktopZephyrkit.exe /?`: the options and the exit codes.
std::string UsageText();

}  // namespace zk
