// Writes the sample project: a .paw naming the sample's EULA, read-me, splash
// image and cabinets, with the output folder given. Each cabinet line is
// PATH:OSFLAGS, where OSFLAGS lists the OS points it suits (2002, 2003,
// 2003SE, 5, comma-separated); it is marked for Pocket PC and every processor.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform_posix.h"
#include "platform/path_text.h"
#include "wizard/project/project_file.h"

namespace {

int Usage() {
    std::fputs(
        "usage: zk-sample-project OUT.paw --title T --company C --output DIR\n"
        "         [--eula FILE] [--readme FILE] [--splash FILE] [--removable-card]\n"
        "         [--overview] CAB:OSPOINTS...\n"
        "OSPOINTS: comma-separated among 2002, 2003, 2003SE, 5.\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    zk::PosixDesktopPlatform platform(argv[0]);
    auto project = std::make_unique<zk::Project>();
    std::memset(project.get(), 0, sizeof(zk::Project));
    zk::Project& p = *project;
    p.addDateToPath = 1;
    p.addTitleSubfolder = 1;
    p.saveProjectFile = 1;
    const std::string out = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](char* field, std::size_t size) {
            if (i + 1 >= argc) return false;
            zk::CopyText(field, size, argv[++i]);
            return true;
        };
        bool ok = true;
        if (arg == "--title") ok = value(p.title, sizeof p.title);
        else if (arg == "--company") ok = value(p.company, sizeof p.company);
        else if (arg == "--output") ok = value(p.outputFolder, sizeof p.outputFolder);
        else if (arg == "--eula") { p.eulaEnabled = 1; ok = value(p.eulaPath, sizeof p.eulaPath); }
        else if (arg == "--readme") { p.readmeEnabled = 1; ok = value(p.readmePath, sizeof p.readmePath); }
        else if (arg == "--splash") { p.splashEnabled = 1; ok = value(p.splashPath, sizeof p.splashPath); }
        else if (arg == "--removable-card") p.removableCardOutput = 1;
        else if (arg == "--overview") p.showBuildOverview = 1;
        else if (arg.rfind("--", 0) == 0) return Usage();
        else {
            const std::size_t colon = arg.rfind(':');
            if (colon == std::string::npos) return Usage();
            const std::string path = arg.substr(0, colon);
            const std::string points = "," + arg.substr(colon + 1) + ",";
            zk::CabEntry e{};
            zk::CopyText(e.path, path);
            zk::CopyText(e.fileName, zk::FileNamePart(path));
            zk::CopyText(e.appName, zk::FileNamePart(path));
            e.forPocketPC = 1;
            e.forOs2002 = points.find(",2002,") != std::string::npos;
            e.forOs2003 = points.find(",2003,") != std::string::npos;
            e.forOs2003SE = points.find(",2003SE,") != std::string::npos;
            e.forOs2005 = points.find(",5,") != std::string::npos;
            e.forTI = e.forIntel = e.forSamsung = 1;
            if (!zk::AppendCabinetEntry(p, e)) {
                std::fprintf(stderr, "zk-sample-project: more than %d cabinets\n", zk::MAX_CABINETS);
                return 1;
            }
        }
        if (!ok) return Usage();
    }
    if (!zk::WriteProjectFile(platform, p, out.c_str())) {
        std::fprintf(stderr, "zk-sample-project: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
