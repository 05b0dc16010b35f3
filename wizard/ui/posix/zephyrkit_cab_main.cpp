// zephyrkit-cab: what the wizard's cabinet admission learns from cabinets,
// one line each, without a window. The cabinets are admitted in the order
// given into one empty project with all filters off, exactly as the wizard's
// cabinet list would take them, so a repeated file name is a double entry
// here too.
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/checked_output.h"
#include "common/ansi_text.h"
#include "common/cabinet/setup_header.h"
#include "common/product_version.h"
#include "common/fixed_text.h"
#include "platform/desktop_platform_posix.h"
#include "platform/host_text.h"
#include "platform/path_text.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/wizard_context.h"

namespace {

constexpr const char* USAGE =
    "Usage: zephyrkit-cab FILE.cab...\n"
    "\n"
    "Shows what the Zephyrkit wizard learns when it adds each cabinet to a\n"
    "project's list. The cabinets are added in the order given to one empty\n"
    "project with every compatibility filter off, so a file name given twice is\n"
    "refused the second time, as the wizard would refuse it.\n"
    "\n"
    "One line per cabinet, the fields separated by tabs:\n"
    "  file name      the name the list shows (the path without its folder)\n"
    "  outcome        ok, or the exact text of the message the wizard would show\n"
    "  appName        application name from the set-up header or set-up XML\n"
    "  provider       provider name\n"
    "  lowest OS      major.minor (0.0: not given)\n"
    "  highest OS     major.minor (0.0: no limit)\n"
    "  2002 2003 2003SE WM 5\n"
    "                 Yes or No: whether the cabinet's range meets each OS's span\n"
    "                 (3.0-3.99, 4.0-4.20, 4.21-4.99, 5.0-5.99)\n"
    "The fields after the outcome are empty when the cabinet was refused before\n"
    "its set-up information was taken (not a cabinet, or a bad set-up header).\n"
    "\n"
    "`zephyrkit-cab --version` prints the version.\n"
    "\n"
    "Exit code: 0 when every cabinet would be admitted (also with the message\n"
    "that a cabinet has no set-up information), 1 otherwise.\n";

// The host platform, with message boxes caught instead of printed and the
// set-up members written to a folder of this run's own.
class CapturingPlatform : public zk::PosixDesktopPlatform {
public:
    using PosixDesktopPlatform::PosixDesktopPlatform;
    void ShowMessage(const std::string& text, const std::string&, zk::MessageIcon, bool) override {
        lastMessage = text;
    }
    std::string TemporaryFolder() override { return folder; }

    std::string lastMessage;
    std::string folder;
};

const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

}  // namespace

namespace {

int Run(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zephyrkit-cab %s\n", zk::PRODUCT_VERSION);
        return 0;
    }
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc < 2) {
        std::fputs(USAGE, stderr);
        return 1;
    }

    // The cabinets' paths, the names shown and the set-up texts are the
    // record's code page inside, UTF-8 on the command line and the console.
    CapturingPlatform platform(argv[0]);
    std::vector<std::string> paths;
    std::string problem;
    if (!zk::RecordArguments(std::vector<std::string>(argv + 1, argv + argc), &paths, &problem) ||
        !platform.FolderFitsCodePage(CapturingPlatform::HostFolder::Temporary, &problem)) {
        std::fprintf(stderr, "zephyrkit-cab: %s\n", problem.c_str());
        return 1;
    }
    const std::string temporary = zk::AnsiToUtf8(zk::PosixDesktopPlatform().TemporaryFolder());
    std::string pattern = temporary + "/zephyrkit-cab-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) {
        std::fprintf(stderr, "zephyrkit-cab: cannot make a temporary folder in %s\n",
                     temporary.c_str());
        return 1;
    }
    platform.folder = zk::AnsiFromUtf8(buffer.data());

    auto project = std::make_unique<zk::Project>();
    std::memset(project.get(), 0, sizeof(zk::Project));
    zk::WizardState state;
    zk::InitialiseWizardState(state, platform);
    zk::WizardContext ctx{*project, state, platform};

    bool allAdmitted = true;
    for (const std::string& path : paths) {
        const std::string name = zk::FileNamePart(path);
        platform.lastMessage.clear();
        zk::SetupInfo info{};
        const zk::Admission result = zk::AdmitCabinet(ctx, path, name, &info);
        const bool admitted =
            result == zk::Admission::Admitted || result == zk::Admission::AdmittedWithoutSetupInfo;
        allAdmitted = allAdmitted && admitted;
        const std::string shownName = zk::AnsiToUtf8(name);
        const std::string outcome =
            zk::AnsiToUtf8(platform.lastMessage.empty() ? "ok" : platform.lastMessage);
        if (result == zk::Admission::NotACabinet || result == zk::Admission::BadHeader ||
            result == zk::Admission::BadName) {
            std::printf("%s\t%s\t\t\t\t\t\t\t\t\n", shownName.c_str(), outcome.c_str());
            continue;
        }
        std::printf("%s\t%s\t%s\t%s\t%d.%d\t%d.%d\t%s\t%s\t%s\t%s\n", shownName.c_str(),
                    outcome.c_str(), zk::AnsiToUtf8(zk::TextOf(info.appName)).c_str(),
                    zk::AnsiToUtf8(zk::TextOf(info.provider)).c_str(), info.osMinMajor,
                    info.osMinMinor, info.osMaxMajor, info.osMaxMinor,
                    YesNo(zk::CabinetSupportsOs(info, zk::OS_SPAN_2002)),
                    YesNo(zk::CabinetSupportsOs(info, zk::OS_SPAN_2003)),
                    YesNo(zk::CabinetSupportsOs(info, zk::OS_SPAN_2003SE)),
                    YesNo(zk::CabinetSupportsOs(info, zk::OS_SPAN_WM5)));
    }
    rmdir(buffer.data());
    return allAdmitted ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) { return zk::CheckedExit("zephyrkit-cab", Run(argc, argv), 1); }
