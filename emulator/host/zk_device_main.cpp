// zk-device: runs a built device package on a host folder that plays the
// device. It unpacks the package, plays the SystemInfo tool with a device
// profile's facts, presses Start (and Next) like a user, and installs the
// cabinets through an emulated "\Windows\wceload.exe". A played reset leaves
// the state file and the restart shortcut, and running it again on the same
// folder resumes as the device would.
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "common/fixed_text.h"
#include "common/product_version.h"
#include "common/package_layout.h"
#include "common/utf16_text.h"
#include "device/installer/installer_texts.h"
#include "device/installer/installer_workers.h"
#include "device/installer/launch.h"
#include "device/installer/page_flow.h"
#include "device/platform/device_platform_posix.h"
#include "device/sysinfo/device_classification.h"
#include "device/sysinfo/system_info_file.h"
#include "emulator/host/host_front.h"
#include "emulator/host/profile_command.h"
#include "emulator/profiles/device_profiles.h"
#include "emulator/wceload/emulated_wceload.h"
#include "emulator/wceload/install_registry_posix.h"

namespace {

using zk::Utf16ToUtf8;
using zk::Utf8ToUtf16;

constexpr int EXIT_DAMAGED = 1;
constexpr int EXIT_USAGE = 2;
constexpr int EXIT_TROUBLE = 3;

void PrintUsage(FILE* to) {
    std::fprintf(
        to,
        "usage: zk-device install PACKAGE --root DIR [options]\n"
        "       zk-device profile NAME [--screen qvga|qvga-landscape|vga] [--reg]\n"
        "\n"
        "Runs the device package PACKAGE (a <title>.[MOBILE].exe or autorun.exe) on\n"
        "the folder DIR, which plays the device's file system (made when missing).\n"
        "The package is copied to \\My Documents and started there; it unpacks into\n"
        "\\Temp, runs the SystemInfo tool (played with the profile's facts, writing\n"
        "the same 512-byte \\Temp\\SystemInfo.dat the real tool writes), and Start\n"
        "installs each cabinet that suits the device through an emulated\n"
        "\\Windows\\wceload.exe. Each start of wceload is printed and appended to\n"
        "\\Windows\\wceload.log; the cabinet's files are unpacked into the override\n"
        "folder's registry value when one is set, else into \\Program Files\\ and\n"
        "the application name. The installer's log is \\Temp\\Zephyrkit.log, the\n"
        "registry \\Windows\\Registry.reg.\n"
        "\n"
        "options:\n"
        "  --profile NAME      %s (default ppc2003)\n"
        "  --os MAJOR.MINOR    the OS version the device reports (4.21: minor 21)\n"
        "  --platform TEXT     the platform type (PocketPC, SmartPhone)\n"
        "  --cpu-name TEXT     processor name      --cpu-core TEXT    processor core\n"
        "  --cpu-vendor TEXT   processor vendor    (explicit facts override the profile's)\n"
        "  --override FOLDER   preference \"Override install path\" with the device folder\n"
        "                      FOLDER as the browser gives it (\\Storage Card\\Apps)\n"
        "  --silent            preference \"Silent install\"\n"
        "  --reset-when-finished  preference \"Reset when installer finishes\"\n"
        "  --reset-after N     play a device reset while cabinet N (1 = first in the\n"
        "                      list) is installed: the run ends there, leaving the state\n"
        "                      file and the restart shortcut; run again to resume\n"
        "  --reset-while-unpacking N  play a reset while cabinet N's section is\n"
        "                      unpacked into \\Temp (the next run unpacks it again)\n"
        "  --free-storage BYTES  the device has this much free storage: a cabinet that\n"
        "                      needs more fails, and writes past it fail as on a full\n"
        "                      device\n"
        "  --stub-length N     where the first section starts (default %u)\n"
        "  --command-line TEXT the program's command line (default empty; \"install\"\n"
        "                      and \"uninstall\" are the removable-card words)\n"
        "  --card-answer ok|cancel  the answer to the removable-card question (ok)\n"
        "  --help              this text\n"
        "  --version           the version\n"
        "\n"
        "Preferences are applied as if chosen on the preferences page, also when the\n"
        "project shows none; a run that resumes goes on with those of the run that\n"
        "was reset. Exit status, as the installer's own: 0 every cabinet that suits\n"
        "the device is installed (or a played reset), 1 the package is damaged or a\n"
        "cabinet could not be installed (the log says why; running again retries\n"
        "exactly those); 2 a wrong command line, 3 the package or the folder cannot\n"
        "be used.\n"
        "\n"
        "'profile' prints a profile's facts, or with --reg the registry file that\n"
        "makes a Wine prefix that device (scripts/wine-device.sh).\n",
        zk::DeviceProfileNames(), zk::MOBILE_STUB_FIRST_SECTION_OFFSET);
}

int Usage(const std::string& problem) {
    std::fprintf(stderr, "zk-device: %s\n", problem.c_str());
    std::fprintf(stderr, "Try 'zk-device --help'.\n");
    return EXIT_USAGE;
}

bool ParseNumber(const std::string& text, long long low, long long high, long long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long n = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || n < low || n > high) return false;
    *value = n;
    return true;
}

struct Options {
    std::string package;
    std::string root;
    std::string profile = "ppc2003";
    bool osGiven = false;
    int major = 0, minor = 0;
    const char* platform = nullptr;
    const char* cpuName = nullptr;
    const char* cpuCore = nullptr;
    const char* cpuVendor = nullptr;
    const char* overrideFolder = nullptr;
    bool silent = false;
    bool resetWhenFinished = false;
    long long resetAfter = 0;
    long long resetWhileUnpacking = 0;
    long long freeStorage = -1;
    long long stubLength = zk::MOBILE_STUB_FIRST_SECTION_OFFSET;
    std::string commandLine;
    bool cardAnswer = true;
};

// 0 when parsed, else the exit code.
int ParseOptions(int argc, char** argv, Options* o, bool* help) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            *help = true;
            return 0;
        }
    }
    if (args.empty()) return Usage("no command given");
    if (args[0] != "install") return Usage("unknown command '" + args[0] + "'");
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char** out) {
            if (i + 1 >= args.size()) return false;
            *out = argv[1 + ++i];
            return true;
        };
        const char* v = nullptr;
        long long n = 0;
        if (a == "--root") {
            if (!value(&v)) return Usage("--root needs a folder");
            o->root = v;
        } else if (a == "--profile") {
            if (!value(&v)) return Usage("--profile needs a name");
            o->profile = v;
        } else if (a == "--os") {
            if (!value(&v)) return Usage("--os needs MAJOR.MINOR");
            std::string text = v;
            std::size_t dot = text.find('.');
            long long major = 0, minor = 0;
            if (dot == std::string::npos || !ParseNumber(text.substr(0, dot), 0, INT_MAX, &major) ||
                !ParseNumber(text.substr(dot + 1), 0, INT_MAX, &minor)) {
                return Usage("--os wants MAJOR.MINOR, such as 4.21, not '" + text + "'");
            }
            o->osGiven = true;
            o->major = static_cast<int>(major);
            o->minor = static_cast<int>(minor);
        } else if (a == "--platform") {
            if (!value(&o->platform)) return Usage("--platform needs a text");
        } else if (a == "--cpu-name") {
            if (!value(&o->cpuName)) return Usage("--cpu-name needs a text");
        } else if (a == "--cpu-core") {
            if (!value(&o->cpuCore)) return Usage("--cpu-core needs a text");
        } else if (a == "--cpu-vendor") {
            if (!value(&o->cpuVendor)) return Usage("--cpu-vendor needs a text");
        } else if (a == "--override") {
            if (!value(&o->overrideFolder)) return Usage("--override needs a folder");
        } else if (a == "--silent") {
            o->silent = true;
        } else if (a == "--reset-when-finished") {
            o->resetWhenFinished = true;
        } else if (a == "--reset-after") {
            if (!value(&v) || !ParseNumber(v, 1, zk::MAX_CABINETS, &n)) {
                return Usage("--reset-after wants a cabinet number from 1 to 256");
            }
            o->resetAfter = n;
        } else if (a == "--reset-while-unpacking") {
            if (!value(&v) || !ParseNumber(v, 1, zk::MAX_CABINETS, &n)) {
                return Usage("--reset-while-unpacking wants a cabinet number from 1 to 256");
            }
            o->resetWhileUnpacking = n;
        } else if (a == "--free-storage") {
            if (!value(&v) || !ParseNumber(v, 0, INT64_MAX, &n)) {
                return Usage("--free-storage wants a byte count");
            }
            o->freeStorage = n;
        } else if (a == "--stub-length") {
            if (!value(&v) || !ParseNumber(v, 0, UINT32_MAX, &n)) {
                return Usage("--stub-length wants a byte count");
            }
            o->stubLength = n;
        } else if (a == "--command-line") {
            if (!value(&v)) return Usage("--command-line needs a text");
            o->commandLine = v;
        } else if (a == "--card-answer") {
            if (!value(&v) || (std::strcmp(v, "ok") != 0 && std::strcmp(v, "cancel") != 0)) {
                return Usage("--card-answer wants ok or cancel");
            }
            o->cardAnswer = std::strcmp(v, "ok") == 0;
        } else if (a.rfind("--", 0) == 0) {
            return Usage("unknown option '" + a + "'");
        } else if (o->package.empty()) {
            o->package = a;
        } else {
            return Usage("one package at a time ('" + a + "')");
        }
    }
    if (o->package.empty()) return Usage("no package given");
    if (o->root.empty()) return Usage("--root is required");
    return 0;
}

bool MakeHostFolders(const std::string& path) {
    std::string sofar;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            if (!sofar.empty() && ::mkdir(sofar.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
        if (i < path.size()) sofar += path[i];
    }
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Copies the host file into the device in 16 KiB blocks.
bool CopyIntoDevice(const std::string& from, zk::DevicePlatform& device, std::u16string_view to) {
    FILE* in = std::fopen(from.c_str(), "rb");
    if (!in) return false;
    std::unique_ptr<zk::DeviceFile> out = device.OpenFile(to, zk::DeviceOpenMode::CreateWrite);
    bool ok = out != nullptr;
    std::vector<char> block(16 * 1024);
    while (ok) {
        std::size_t n = std::fread(block.data(), 1, block.size(), in);
        if (n == 0) break;
        ok = out->Write(block.data(), n) == n;
    }
    ok = ok && !std::ferror(in);
    std::fclose(in);
    if (out) ok = out->Close() && ok;
    return ok;
}

std::string FileNamePart(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What happened to each cabinet, for the progress lines and the summary.
class Progress : public zk::InstallObserver {
public:
    explicit Progress(zk::Console& console) : console_(console) {}

    void OnCabinet(int index, std::u16string_view name, Outcome outcome,
                   std::u16string_view commandLine) override {
        std::lock_guard<std::mutex> hold(lock_);
        Record& r = At(index);
        r.name = Utf16ToUtf8(name);
        r.outcome = outcome;
        r.reached = true;
        current_ = index;
        const std::string label = "cabinet " + std::to_string(index + 1) + " " + r.name + ": ";
        if (outcome == Outcome::PassedOver) {
            console_.Line(label + "passed over (handled before the reset)");
        } else if (outcome == Outcome::Skipped) {
            console_.Line(label + "skipped, it does not suit this device");
        } else if (outcome == Outcome::Resumed) {
            r.outcome = Outcome::Installing;
            console_.Line(label +
                          "its installation was cut by a reset: the device says how it ended");
        } else {
            console_.Line(label + "installing: wceload.exe " + Utf16ToUtf8(commandLine));
        }
    }

    void OnCabinetDone(int index, zk::CabinetOutcome result, std::u16string_view why) override {
        std::lock_guard<std::mutex> hold(lock_);
        Record& r = At(index);
        r.reached = true;
        r.outcome = Outcome::Installing;
        r.failed = result == zk::CabinetOutcome::Failed;
        if (r.failed) {
            r.problem = Utf16ToUtf8(why);
            console_.Line("cabinet " + std::to_string(index + 1) + " " + r.name +
                          ": failed: " + r.problem);
        }
    }

    void Installed(const zk::WceloadInstall& install) {
        std::lock_guard<std::mutex> hold(lock_);
        if (current_ < 0) return;
        Record& r = At(current_);
        r.folder = Utf16ToUtf8(install.folder);
        r.files += install.files;
        if (!install.installed) r.problem = Utf16ToUtf8(install.problem);
        console_.Line("  wceload: " + Utf16ToUtf8(install.cabinet) +
                      (install.installed
                           ? " -> " + r.folder + " (" + std::to_string(install.files) + " file(s))"
                           : ": " + Utf16ToUtf8(install.problem)));
    }

    int Current() {
        std::lock_guard<std::mutex> hold(lock_);
        return current_;
    }

    void PrintSummary(int cabinets) {
        std::lock_guard<std::mutex> hold(lock_);
        int installed = 0, skipped = 0, passed = 0, failed = 0;
        for (const Record& r : records_) {
            if (!r.reached) continue;
            if (r.outcome == Outcome::Installing) ++(r.failed ? failed : installed);
            if (r.outcome == Outcome::Skipped) ++skipped;
            if (r.outcome == Outcome::PassedOver) ++passed;
        }
        console_.Line("summary: " + std::to_string(cabinets) +
                      " cabinet(s): " + std::to_string(installed) + " installed, " +
                      std::to_string(failed) + " failed, " + std::to_string(skipped) +
                      " skipped, " + std::to_string(passed) + " passed over");
        for (int i = 0; i < cabinets; ++i) {
            const Record r = i < static_cast<int>(records_.size()) ? records_[i] : Record{};
            std::string line = "  " + std::to_string(i + 1) + " ";
            if (!r.reached) {
                line += "not reached";
            } else if (r.outcome == Outcome::Installing) {
                line += r.name + (r.failed ? ": failed (" + r.problem + ")"
                                           : ": installed into " + r.folder);
            } else if (r.outcome == Outcome::Skipped) {
                line += r.name + ": skipped";
            } else {
                line += r.name + ": passed over";
            }
            console_.Line(line);
        }
    }

private:
    struct Record {
        std::string name;
        Outcome outcome = Outcome::Skipped;
        bool reached = false;
        bool failed = false;
        std::string folder;
        int files = 0;
        std::string problem;
    };
    Record& At(int index) {
        if (index >= static_cast<int>(records_.size()))
            records_.resize(static_cast<std::size_t>(index) + 1);
        return records_[static_cast<std::size_t>(index)];
    }

    zk::Console& console_;
    std::mutex lock_;
    std::vector<Record> records_;
    int current_ = -1;
};

zk::RawDeviceFacts FactsOf(const Options& o, bool* known) {
    zk::RawDeviceFacts facts;
    *known = zk::DeviceProfileFacts(o.profile, &facts);
    if (o.osGiven) {
        facts.majorVersion = o.major;
        facts.minorVersion = o.minor;
    }
    if (o.platform) facts.platformType = Utf8ToUtf16(o.platform);
    if (o.cpuName) facts.processorName = Utf8ToUtf16(o.cpuName);
    if (o.cpuCore) facts.processorCore = Utf8ToUtf16(o.cpuCore);
    if (o.cpuVendor) facts.processorVendor = Utf8ToUtf16(o.cpuVendor);
    return facts;
}

std::u16string BrowsedFolder(const char* text) {
    std::u16string folder = Utf8ToUtf16(text);
    for (char16_t& c : folder) {
        if (c == u'/') c = u'\\';
    }
    if (folder.empty() || folder[0] != u'\\') folder.insert(folder.begin(), u'\\');
    while (folder.size() > 1 && folder.back() == u'\\') folder.pop_back();
    return folder;
}

}  // namespace

static int Run(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zk-device %s\n", zk::PRODUCT_VERSION);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "profile") == 0) {
        return zk::RunProfileCommand(argc - 2, argv + 2);
    }
    Options o;
    bool help = false;
    if (int code = ParseOptions(argc, argv, &o, &help)) return code;
    if (help) {
        PrintUsage(stdout);
        return 0;
    }
    bool profileKnown = false;
    const zk::RawDeviceFacts facts = FactsOf(o, &profileKnown);
    if (!profileKnown) return Usage("unknown profile '" + o.profile + "'");

    struct stat st;
    if (::stat(o.package.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "zk-device: cannot read the package %s\n", o.package.c_str());
        return EXIT_TROUBLE;
    }
    if (!MakeHostFolders(o.root)) {
        std::fprintf(stderr, "zk-device: cannot make the device folder %s\n", o.root.c_str());
        return EXIT_TROUBLE;
    }

    zk::Console console;
    zk::PosixDevicePlatform device(o.root);
    // What every device has.
    for (const char16_t* folder :
         {u"\\Windows", u"\\Windows\\StartUp", u"\\Temp", u"\\My Documents", u"\\Program Files"}) {
        device.CreateFolder(folder);
    }

    const std::u16string packagePath = u"\\My Documents\\" + Utf8ToUtf16(FileNamePart(o.package));
    {
        char* a = ::realpath(o.package.c_str(), nullptr);
        char* b = ::realpath(device.HostPath(packagePath).c_str(), nullptr);
        const bool same = a && b && std::strcmp(a, b) == 0;
        std::free(a);
        std::free(b);
        if (!same && !CopyIntoDevice(o.package, device, packagePath)) {
            std::fprintf(stderr, "zk-device: cannot copy the package into the device\n");
            return EXIT_TROUBLE;
        }
    }
    console.Line("device: " + o.profile + " at " + o.root + ", package " +
                 Utf16ToUtf8(packagePath));
    if (o.freeStorage >= 0) {
        device.LimitStorage(static_cast<std::uint64_t>(o.freeStorage));
        console.Line("free storage: " + std::to_string(o.freeStorage) + " bytes");
    }

    zk::InstallerSession session(device);
    Progress progress(console);
    session.observer = &progress;

    session.state.firstSectionOffset = static_cast<std::uint32_t>(o.stubLength);
    auto finishLines = [&] {
        progress.PrintSummary(zk::CabinetCount(*session.state.project));
        console.Line("log: " + Utf16ToUtf8(session.log.Path()));
        if (session.state.damage.OnlyWantOfRoom()) {
            console.Line("not enough storage to unpack the package: see the log");
        } else if (!session.state.damage.whole) {
            console.Line("the package is damaged: see the log");
        }
    };

    // The SystemInfo tool: the facts a device of the profile reports.
    device.SetProgram(zk::SYSTEM_INFO_TOOL, [&](std::u16string_view, std::uint32_t*) {
        std::uint32_t attributes = 0;
        if (!device.GetAttributes(zk::SYSTEM_INFO_TOOL, &attributes)) return false;
        unsigned char bytes[zk::SYSTEM_INFO_RECORD_SIZE];
        zk::EncodeSystemInfoRecord(zk::ClassifyDevice(facts), bytes);
        if (auto file = device.OpenFile(zk::SYSTEM_INFO_OUTPUT, zk::DeviceOpenMode::CreateWrite)) {
            file->Write(bytes, sizeof bytes);
            file->Close();
        }
        console.Line("SystemInfo.exe: " + Utf16ToUtf8(facts.platformType) + " " +
                     std::to_string(facts.majorVersion) + "." + std::to_string(facts.minorVersion) +
                     ", " + Utf16ToUtf8(facts.processorCore) + " " +
                     Utf16ToUtf8(facts.processorName) + " " + Utf16ToUtf8(facts.processorVendor));
        return true;
    });

    zk::PosixInstallRegistry installRegistry(device);
    zk::EmulatedWceload wceload(device, installRegistry);
    device.SetProgram(zk::WCELOAD_PROGRAM,
                      [&](std::u16string_view commandLine, std::uint32_t* code) {
                          *code = wceload.Run(commandLine);
                          return true;
                      });
    if (o.resetWhileUnpacking > 0) {
        device.onCreateWrite = [&](std::u16string_view path) {
            const zk::Project& project = *session.state.project;
            const int index = static_cast<int>(o.resetWhileUnpacking) - 1;
            if (index >= zk::CabinetCount(project)) return;
            const std::u16string cabinet =
                u"\\Temp\\" + Utf8ToUtf16(zk::TextOf(project.cabinets[index].fileName));
            if (zk::EqualsIgnoringCase(path, cabinet)) device.ResetDevice();
        };
    }
    wceload.afterInstall = [&](const zk::WceloadInstall& install) {
        progress.Installed(install);
        if (o.resetAfter > 0 && progress.Current() + 1 == o.resetAfter) device.ResetDevice();
    };
    device.SetResetHandler([&] {
        console.Line(
            "device reset: the installer stops here; the state file and the restart "
            "shortcut stay for the next start");
        finishLines();
        std::_Exit(zk::CheckedExit("zk-device", 0, EXIT_TROUBLE));
        return true;
    });

    zk::Preferences& prefs = session.state.preferences;
    if (o.overrideFolder) {
        prefs.overrideInstallPath = true;
        prefs.overrideFolder = zk::KeptOverrideFolder(BrowsedFolder(o.overrideFolder));
    }
    prefs.silentInstall = o.silent;
    prefs.resetWhenFinished = o.resetWhenFinished;

    zk::HostUnpackingWindow unpackingWindow(console);
    int code = 0;
    {
        zk::InstallerWorkers workers(session, packagePath, &unpackingWindow,
                                     static_cast<std::uint32_t>(o.stubLength));
        zk::HostShellOptions shellOptions;
        shellOptions.cardAnswer = o.cardAnswer;
        shellOptions.modulePath = packagePath;
        zk::HostShell shell(console, device, session, workers, shellOptions);
        code = zk::RunInstaller(shell, session, workers, Utf8ToUtf16(o.commandLine));
    }
    if (!session.state.project->deviceAdvancedSettings &&
        (o.overrideFolder || o.silent || o.resetWhenFinished)) {
        console.Line(
            "note: the project shows no preferences page; the preferences were applied as given");
    }
    finishLines();
    return code;
}

int main(int argc, char** argv) {
    const int code = Run(argc, argv);
    // What was printed must have reached its reader: a summary lost into a
    // full disk is no success.
    return zk::CheckedExit("zk-device", code, code != 0 ? code : EXIT_TROUBLE);
}
