#include "inspector/package_tool.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "common/package_layout.h"
#include "common/product_version.h"
#include "inspector/package_report.h"
#include "inspector/package_walk.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"

namespace zk {
namespace {

constexpr const char* USAGE =
    "Usage: zephyrkit-package COMMAND PACKAGE [OPTIONS]\n"
    "\n"
    "Shows and checks what a built installer holds: a <title>.[MOBILE].exe,\n"
    "autorun.exe, or a <title>.[DESKTOP].exe (the device installer it carries is\n"
    "found and read). Sections are read the way the device reads them.\n"
    "\n"
    "Commands:\n"
    "  list PACKAGE [--json]         the stub's length, each section with its role,\n"
    "                                offset and byte count, each zip member with\n"
    "                                its sizes, method and stored CRC, then the\n"
    "                                project's settings\n"
    "  test PACKAGE [--json]         unpack every member and check its CRC, and\n"
    "                                that the sections add up to the file and are\n"
    "                                what the device expects; prints OK or each\n"
    "                                fault with its offset, then whether a code\n"
    "                                signature follows the sections (\"signed: N\n"
    "                                bytes of certificate table\" or \"not signed\")\n"
    "  extract PACKAGE [-d DIR]      write the project file, the EULA, read-me,\n"
    "                                splash, each cabinet and the SystemInfo tool\n"
    "                                into DIR (default: the current folder), never\n"
    "                                outside it, under the names the device gives\n"
    "                                them\n"
    "  matrix PACKAGE [--json]       which cabinets, in install order, each kind of\n"
    "                                device installs (Pocket PC / Smartphone x 2002,\n"
    "                                2003, 2003 SE, WM 5 x Intel, TI, Samsung, other\n"
    "                                processor), by the installer's own rule; then\n"
    "                                each kind that would install nothing\n"
    "\n"
    "Options:\n"
    "  --stub-length N               the device stub's length, where its first\n"
    "                                section starts (default %MOBILE%; a Windows CE\n"
    "                                stub: %CE%)\n"
    "  --desktop-stub-length N       the desktop stub's length (default %DESKTOP%)\n"
    "  --json                        one JSON document on stdout\n"
    "  --help, --version\n"
    "Text is printed as UTF-8.\n"
    "\n"
    "Exit codes:\n"
    "  0  the package is whole (extract: every file written)\n"
    "  1  the package has faults: each is printed with its offset (what could be\n"
    "     read is still listed, tested or extracted)\n"
    "  2  bad usage\n"
    "  3  the package cannot be opened, or a folder cannot be made\n";

std::string UsageText() {
    std::string text = USAGE;
    auto put = [&](const std::string& key, std::uint32_t value) {
        text.replace(text.find(key), key.size(), std::to_string(value));
    };
    put("%MOBILE%", MOBILE_STUB_FIRST_SECTION_OFFSET);
    put("%CE%", WINDOWS_CE_STUB_FIRST_SECTION_OFFSET);
    put("%DESKTOP%", DESKTOP_STUB_FIRST_SECTION_OFFSET);
    return text;
}

struct Arguments {
    std::string command;
    std::string package;
    std::string folder;
    bool folderGiven = false;
    bool json = false;
    WalkOptions walk{MOBILE_STUB_FIRST_SECTION_OFFSET, DESKTOP_STUB_FIRST_SECTION_OFFSET};
};

bool ParseLength(const std::string& text, std::uint32_t* value) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long v = std::stoull(text);
    if (v > 0xFFFFFFFFULL) return false;
    *value = static_cast<std::uint32_t>(v);
    return true;
}

// An empty text when the arguments are sound, else what is wrong.
std::string Parse(const std::vector<std::string>& args, Arguments* a) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* v) {
            if (i + 1 >= args.size()) return false;
            *v = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--json") {
            a->json = true;
        } else if (arg == "--stub-length" || arg == "--desktop-stub-length") {
            std::uint32_t* target =
                arg == "--stub-length" ? &a->walk.stubLength : &a->walk.desktopStubLength;
            if (!value(&v) || !ParseLength(v, target)) return arg + " needs a number of bytes";
        } else if (arg == "-d") {
            if (!value(&v) || v.empty()) return "-d needs a folder";
            a->folder = v;
            a->folderGiven = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (a->command.empty()) {
            a->command = arg;
        } else if (a->package.empty()) {
            a->package = arg;
        } else {
            return "unexpected argument " + arg;
        }
    }
    if (a->command.empty()) return "no command";
    if (a->command != "list" && a->command != "test" && a->command != "extract" &&
        a->command != "matrix")
        return "unknown command " + a->command;
    if (a->package.empty()) return a->command + " needs a package";
    if (a->folderGiven && a->command != "extract") return "-d is for extract only";
    if (a->json && a->command == "extract") return "extract has no --json";
    return {};
}

// A fresh folder for the walk's scratch files, removed with this object.
class ScratchFolder {
public:
    ScratchFolder() {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        if (ec) return;
        std::random_device random;
        for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate =
                base / ("zephyrkit-package-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, ec) && !ec) path_ = candidate.string();
        }
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    return folder;
}

}  // namespace

int RunPackageTool(PackageToolPorts& ports, const std::vector<std::string>& arguments,
                   std::ostream& out, std::ostream& err) {
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        out << UsageText();
        return PACKAGE_OK;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        out << "zephyrkit-package " << PRODUCT_VERSION << "\n";
        return PACKAGE_OK;
    }
    Arguments a;
    const std::string problem = Parse(arguments, &a);
    if (!problem.empty()) {
        err << "zephyrkit-package: " << problem << "\nTry `zephyrkit-package --help`.\n";
        return PACKAGE_USAGE;
    }

    const std::string folder =
        FolderPart(a.package).empty() ? "." : WithoutTrailingSeparator(FolderPart(a.package));
    std::unique_ptr<DevicePlatform> packagePlace = ports.deviceAt(folder);
    std::unique_ptr<DeviceFile> package = packagePlace->OpenFile(
        u"\\" + ports.deviceName(FileNamePart(a.package)), DeviceOpenMode::Read);
    std::error_code ec;
    if (!package || std::filesystem::is_directory(a.package, ec)) {
        err << "zephyrkit-package: " << a.package << ": cannot be opened\n";
        return PACKAGE_CANNOT_RUN;
    }

    ScratchFolder scratchFolder;
    if (scratchFolder.path().empty()) {
        err << "zephyrkit-package: no scratch folder can be made in the temporary folder\n";
        return PACKAGE_CANNOT_RUN;
    }
    std::unique_ptr<DevicePlatform> scratchPlace = ports.deviceAt(scratchFolder.path());
    ScratchSpace scratch{*scratchPlace, scratchFolder.path()};

    std::unique_ptr<DevicePlatform> extractPlace;
    if (a.command == "extract") {
        const std::string target = WithoutTrailingSeparator(a.folderGiven ? a.folder : ".");
        std::filesystem::create_directories(target, ec);
        if (!std::filesystem::is_directory(target, ec)) {
            err << "zephyrkit-package: " << target << ": the folder cannot be made\n";
            return PACKAGE_CANNOT_RUN;
        }
        extractPlace = ports.deviceAt(target);
        a.walk.extractTo = extractPlace.get();
    }
    a.walk.testMembers = a.command == "test";

    const PackageFacts facts = WalkPackage(ports.desktop, scratch, *package, a.package, a.walk);
    if (!facts.readable) {
        err << "zephyrkit-package: " << a.package << ": cannot be read\n";
        return PACKAGE_CANNOT_RUN;
    }
    const int result = facts.faults.empty() ? PACKAGE_OK : PACKAGE_FAULTY;
    if (a.command == "list") {
        a.json ? PrintPackageListJson(facts, out) : PrintPackageList(ports.desktop, facts, out);
    } else if (a.command == "test") {
        a.json ? PrintPackageTestJson(facts, out) : PrintPackageTest(facts, out);
    } else if (a.command == "matrix") {
        if (!facts.projectLoaded) {
            for (const PackageFault& f : facts.faults) err << FaultLine(f) << "\n";
            err << "zephyrkit-package: " << a.package
                << ": no project record can be read, so no cabinet can be placed\n";
            return PACKAGE_FAULTY;
        }
        a.json ? PrintDeviceMatrixJson(facts, out) : PrintDeviceMatrix(facts, out);
        if (!a.json)
            for (const PackageFault& f : facts.faults) err << FaultLine(f) << "\n";
    } else {
        for (const SectionFacts& s : facts.sections)
            for (const MemberFacts& m : s.members)
                if (m.extracted && m.extractStatus == UNZIP_OK)
                    out << "  written: " << m.name << "\n";
        for (const PackageFault& f : facts.faults) err << FaultLine(f) << "\n";
    }
    return result;
}

}  // namespace zk
