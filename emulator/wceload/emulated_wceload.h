// The platform installer "\Windows\wceload.exe" as the emulated device plays
// it: the same code inside zk-device (a host folder plays the device) and in
// wceload.exe (a Wine prefix plays it).
//
// Each start appends its command line, exactly as received, as one UTF-8
// line to "\Windows\wceload.log". Options begin with '/' ("/askdest",
// "/noaskdest", "/noui", "/nodelete"); anything else (quoted or not) names a
// cabinet. A cabinet named on the command line goes to the folder that the
// installer's registry key gives for it (value name: the path in double
// quotes, or as it stands), else to "\Program Files\" and the application
// name of its set-up header (or set-up XML, or the cabinet's file name
// without its suffix). Started without a cabinet, it installs every cabinet
// named in the registry key, each into its value's folder. A value it used
// is removed, as the device's does.
//
// Installing unpacks the cabinet's members (all but its set-up members) into
// the folder under their stored names, with libmspack, records the
// application as a device does (HKLM\Software\Apps\<provider> <application
// name>: DWORD "Instl" = 1, "InstlDir" the folder), and deletes the cabinet
// unless "/nodelete" was given or the file is read-only. A cabinet that is
// missing, or that cannot be read whole (cut, a CRC error, not a cabinet, a
// write that fails on a full device), installs nothing: what it had written
// is removed, nothing is recorded, a line "! <cabinet>: <why>" joins the
// journal and the program's exit code is 1.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "device/platform/device_platform.h"
#include "emulator/wceload/install_registry.h"

namespace zk {

inline constexpr char16_t WCELOAD_JOURNAL[] = u"\\Windows\\wceload.log";
// The journal's lines that are not starts begin with this.
inline constexpr char16_t WCELOAD_PROBLEM_MARK = u'!';

struct WceloadInstall {
    std::u16string cabinet;  // device path
    std::u16string folder;   // device path it went to
    bool installed = false;  // the cabinet was found and unpacked
    int files = 0;
    std::u16string problem;  // why not, when not installed
};

struct WceloadRun {
    std::u16string commandLine;
    std::vector<WceloadInstall> installs;
};

class EmulatedWceload {
public:
    EmulatedWceload(DevicePlatform& device, InstallRegistry& registry);

    // One start of the program with its command line (the text after the
    // program name). Its exit code: 0 when every cabinet was installed.
    std::uint32_t Run(std::u16string_view commandLine);

    // Called after a cabinet was unpacked and before the program ends; a
    // device reset played from here never returns.
    std::function<void(const WceloadInstall&)> afterInstall;

    const std::vector<WceloadRun>& Runs() const { return runs_; }

private:
    void Journal(std::u16string_view line);
    WceloadInstall Install(std::u16string_view cabinet, const std::u16string* overrideFolder,
                           bool deleteAfter);

    DevicePlatform& device_;
    InstallRegistry& registry_;
    std::vector<WceloadRun> runs_;
};

// A process's whole command line without its program name: the program
// name (quoted or not) and the one blank that follows it are dropped, the
// rest stays exactly as it was given.
std::u16string_view CommandLineArguments(std::u16string_view fullCommandLine);

// "\"a b\" /noui x" -> {"a b", "/noui", "x"}
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// A stored member name as a relative device path that stays inside its
// folder: separators unified to '\', "", "." and ".." levels and any drive
// dropped. Empty when nothing is left.
std::u16string SafeMemberPath(std::string_view storedName);

}  // namespace zk
