#include "wizard/ui/shell/command_line_build.h"

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "common/fixed_text.h"
#include "common/package_layout.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "platform/interruption.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_run.h"
#include "wizard/build/installer_build.h"
#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/project/file_name_rules.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

// The share of a section's source that packing saved, in whole percent, as
// Info-ZIP's zip prints it ("deflated 57%"): rounded half up, 0 for a
// section that did not shrink.
int ShareSaved(std::uint64_t source, std::uint64_t packed) {
    while (source > 0xFFFFFF) {  // keeps 200 * (source - packed) in range
        source = (source + 0x80) >> 8;
        packed = (packed + 0x80) >> 8;
    }
    return source > packed ? static_cast<int>((1 + 200 * (source - packed) / source) / 2) : 0;
}

// Keeps the share saved of every section the build packs, in order.
class FigureLog : public BuildLog {
public:
    void AddLine(const std::string&) override {}
    void SetProgressCaption(const std::string&) override {}
    void SetProgressRange(int, int) override {}
    void StepProgress() override {}
    void SectionPacked(std::uint64_t sourceSize, std::uint64_t packedSize) override {
        figures.push_back(ShareSaved(sourceSize, packedSize));
    }

    std::vector<int> figures;
};

class Build {
public:
    Build(WizardContext& ctx, std::ostream& out, std::ostream& err)
        : ctx_(ctx), out_(out), err_(err) {}

    int Run(const std::string& projectPath, const CommandLineBuildOptions& options,
            InstallerSigner* signer);

private:
    int Say(const std::string& file, const std::string& text, int code) {
        err_ << "zephyrkit-project: " << file << ": " << text << "\n";
        return code;
    }
    int CheckProject(const std::string& projectPath);
    int CheckInputs();
    int PrepareOutput(const std::string& output);
    int Failed(const BuildOutcome& outcome);
    void PrintSections(const std::vector<int>& figures, bool signedOutputs);

    WizardContext& ctx_;
    std::ostream& out_;
    std::ostream& err_;
    std::string projectPath_;
};

int Build::CheckProject(const std::string& projectPath) {
    if (!IsFilePresent(ctx_.platform, projectPath.c_str()))
        return Say(projectPath, "no such project file", BUILD_MISSING_FILE);
    if (!ReadProjectFile(ctx_.platform, ctx_.project, projectPath.c_str()))
        return Say(projectPath, "not a project file (not one project record long)", BUILD_REFUSED);
    ApplyProjectToWizard(ctx_, DeriveProjectName(projectPath).c_str());

    const WizardState& s = ctx_.state;
    if (s.title[0] == '\0') return Say(projectPath, "the project has no title", BUILD_REFUSED);
    // The title names the installers and a folder: one Windows reads as
    // another place would put them outside the output folder.
    if (!IsUsableFileName(s.title))
        return Say(projectPath,
                   std::string("the title \"") + s.title + "\" is not a usable file name",
                   BUILD_REFUSED);
    const Project& p = ctx_.project;
    const int count = CabinetCount(p);
    if (count == 0) return Say(projectPath, "the project has no cabinet", BUILD_REFUSED);
    for (int i = 0; i < count; ++i)
        for (const FilterGroupSwitch& g : FILTER_GROUPS)
            if (EntryFailsGroup(p, p.cabinets[i], g.group))
                return Say(projectPath,
                           "cabinet " + std::to_string(i) + " (" + TextOf(p.cabinets[i].fileName) +
                               ") is flagged for none of the " + g.name +
                               " filter's selected options: no device would install it",
                           BUILD_REFUSED);
    return BUILD_DONE;
}

int Build::CheckInputs() {
    const WizardState& s = ctx_.state;
    struct Document {
        bool enabled;
        const char* path;
        const char* what;
    };
    for (const Document& d :
         {Document{s.eulaEnabled != 0, s.eulaPath, "the EULA file is missing"},
          Document{s.readmeEnabled != 0, s.readmePath, "the read-me file is missing"},
          Document{s.splashEnabled != 0, s.splashPath, "the splash image is missing"}})
        if (d.enabled && !IsFilePresent(ctx_.platform, d.path))
            return Say(d.path, d.what, BUILD_MISSING_FILE);
    const Project& p = ctx_.project;
    for (int i = 0; i < CabinetCount(p); ++i) {
        const std::string path = TextOf(p.cabinets[i].path);
        if (!IsFilePresent(ctx_.platform, path.c_str()))
            return Say(path,
                       "cabinet " + std::to_string(i) + " (" + TextOf(p.cabinets[i].fileName) +
                           ") is missing",
                       BUILD_MISSING_FILE);
    }
    const std::string folder = ProgramFolder(ctx_);
    for (const char* input :
         {MOBILE_STUB_FILE_NAME, DESKTOP_STUB_FILE_NAME, SYSTEM_INFO_SECTION_FILE_NAME})
        if (!IsFilePresent(ctx_.platform, (folder + input).c_str()))
            return Say(folder + input, "missing: the build takes it from the program's folder",
                       BUILD_MISSING_FILE);
    return BUILD_DONE;
}

int Build::PrepareOutput(const std::string& output) {
    WizardState& s = ctx_.state;
    if (!output.empty()) {
        if (output.size() >= sizeof s.workPath)
            return Say(output,
                       "longer than the " + std::to_string(sizeof s.workPath - 1) +
                           " characters of an output folder",
                       BUILD_USAGE);
        CopyText(s.workPath, output);
    }
    // The wizard would have offered the folder the build was started from.
    if (s.workPath[0] == '\0') CopyText(s.workPath, ctx_.platform.CurrentDirectory());
    std::string reason;
    if (!MakeFolders(ctx_.platform, TextOf(s.workPath), &reason))
        return Say(TextOf(s.workPath),
                   "cannot make the output folder" + (reason.empty() ? "" : ": " + reason),
                   BUILD_WRITE_FAILED);
    return BUILD_DONE;
}

// The installer's sections as the device will find them, each with its size
// and, for those the build packed, the share packing saved; then each
// installer's length, and whether it was signed.
void Build::PrintSections(const std::vector<int>& figures, bool signedOutputs) {
    const WizardState& s = ctx_.state;
    std::vector<std::string> names = {SYSTEM_INFO_SECTION_FILE_NAME,
                                      TextOf(s.projectName) + ".paw"};
    if (s.splashEnabled) names.push_back(TextOf(s.splashFileName));
    if (s.eulaEnabled) names.push_back(TextOf(s.eulaFileName));
    if (s.readmeEnabled) names.push_back(TextOf(s.readmeFileName));
    for (int i = 0; i < CabinetCount(ctx_.project); ++i)
        names.push_back(TextOf(ctx_.project.cabinets[i].fileName));

    const std::string installer = TextOf(s.mobileInstallerPath);
    std::unique_ptr<FileHandle> in = ctx_.platform.OpenFile(installer, FileMode::Read);
    if (!in) return;
    std::uint64_t offset = MOBILE_STUB_FIRST_SECTION_OFFSET;
    out_ << installer << "\n";
    for (std::size_t i = 0; i < names.size(); ++i) {
        unsigned char count[4];
        if (!in->Seek(offset) || in->Read(count, 4) != 4) break;
        const std::uint32_t size =
            count[0] | count[1] << 8 | count[2] << 16 | static_cast<std::uint32_t>(count[3]) << 24;
        char line[64];
        std::snprintf(line, sizeof line, "%12u bytes", size);
        out_ << "  " << names[i] << "\t" << line;
        // The system information is copied as it is; the rest is packed.
        if (i >= 1 && i - 1 < figures.size()) out_ << "\tdeflated " << figures[i - 1] << "%";
        out_ << "\n";
        offset += 4 + size;
    }
    in->Close();
    for (const std::string& path : {installer, TextOf(s.desktopInstallerPath)}) {
        std::unique_ptr<FileHandle> file = ctx_.platform.OpenFile(path, FileMode::Read);
        if (!file || !file->SeekToEnd()) continue;
        out_ << path << "\t" << file->Tell() << " bytes" << (signedOutputs ? "\tsigned" : "")
             << "\n";
        file->Close();
    }
}

int Build::Failed(const BuildOutcome& outcome) {
    err_ << BuildFailureLine(outcome, projectPath_) << "\n";
    return BuildFailureExitCode(outcome.fault, InterruptionSignal());
}

int Build::Run(const std::string& projectPath, const CommandLineBuildOptions& options,
               InstallerSigner* signer) {
    projectPath_ = projectPath;
    if (options.signing.enabled() && !signer)
        return Say("--sign", "this program cannot sign installers", BUILD_USAGE);
    if (int code = CheckProject(projectPath)) return code;
    if (!options.subfolders) {
        ctx_.state.addDateToPath = 0;
        ctx_.state.addTitleSubfolder = 0;
    }
    if (int code = CheckInputs()) return code;
    if (int code = PrepareOutput(options.output)) return code;

    FigureLog log;
    BuildOutcome outcome;
    BuildRunOptions run;
    run.interrupted = [] { return InterruptionSignal() != 0; };
    run.signing = options.signing;
    run.signer = signer;
    if (!RunInstallerBuild(ctx_, log, outcome, run)) return Failed(outcome);
    if (!options.quiet) PrintSections(log.figures, options.signing.enabled());
    return BUILD_DONE;
}

}  // namespace

const char* const BUILD_OPTIONS_HELP =
    "  --output DIR        the output folder instead of the project's own\n"
    "  -q, --quiet         print nothing on success\n"
    "  --sign CERT.pfx     sign the installers (Authenticode) with the certificate\n"
    "                      and key of this PKCS#12 file, through osslsigncode: the\n"
    "                      mobile installer first, so that the desktop installer\n"
    "                      carries the signed copy to the device, then the desktop\n"
    "                      installer and autorun.exe. The signature names the\n"
    "                      project's title as the product; its time is the build's\n"
    "                      (SOURCE_DATE_EPOCH when set: the same key gives the same\n"
    "                      bytes)\n"
    "  --sign-password-file FILE\n"
    "                      FILE holds the certificate's password, alone (a line\n"
    "                      end after it is no part of it); a password is never\n"
    "                      given on a command line. Without it the certificate\n"
    "                      is opened without a password\n"
    "  --sign-url URL      the publisher's address the signature carries\n";

const char* const BUILD_EXIT_CODES_HELP =
    "Exit codes:\n"
    "  0  built\n"
    "  1  the project is refused: not a project file, no title or one that is no\n"
    "     usable file name, no cabinet, a cabinet no selected filter option\n"
    "     lets through, a name a device cannot keep, or two names (EULA,\n"
    "     read-me, splash, cabinets) that differ only in case\n"
    "  2  bad usage\n"
    "  3  an input is missing, cannot be read or cannot be used: the project\n"
    "     file, the EULA, read-me or splash file, a cabinet, or a build input\n"
    "     beside the program (a device stub of the wrong length too); a splash\n"
    "     that is no BMP, a EULA or read-me that is no text; with --sign: the\n"
    "     certificate or password file, a certificate the password does not\n"
    "     open, or osslsigncode not installed\n"
    "  4  the output folder cannot be made, an output cannot be written or\n"
    "     signed, or another build is writing into the folder\n"
    "  130, 143  interrupted by SIGINT (Ctrl+C) or SIGTERM\n";

bool ParseBuildOptions(const std::vector<std::string>& options, CommandLineBuildOptions* build,
                       std::vector<std::string>* rest, std::string* problem) {
    SigningSettings& signing = build->signing;
    const std::pair<const char*, std::string*> valued[] = {
        {"--output", &build->output},
        {"--sign", &signing.certificate},
        {"--sign-password-file", &signing.passwordFile},
        {"--sign-url", &signing.url},
    };
    for (std::size_t i = 0; i < options.size(); ++i) {
        const std::string& option = options[i];
        if (option == "-q" || option == "--quiet") {
            build->quiet = true;
            continue;
        }
        bool taken = false;
        for (const auto& [name, value] : valued) {
            if (option != name) continue;
            if (i + 1 >= options.size() || options[i + 1].empty()) {
                *problem = option + " needs a value";
                return false;
            }
            *value = options[++i];
            taken = true;
            break;
        }
        if (!taken) rest->push_back(option);
    }
    if (!signing.enabled() && (!signing.passwordFile.empty() || !signing.url.empty())) {
        *problem = std::string(signing.url.empty() ? "--sign-password-file" : "--sign-url") +
                   " needs --sign";
        return false;
    }
    return true;
}

bool MakeFolders(DesktopPlatform& platform, const std::string& path, std::string* reason) {
    // Each level from the top; the first that cannot be made says why.
    const char sep = platform.PathSeparator();
    auto make = [&](const std::string& level) {
        if (!platform.MakeFolder(level) && reason->empty()) *reason = platform.LastFailureReason();
    };
    for (std::size_t at = path.find(sep, 1); at != std::string::npos; at = path.find(sep, at + 1))
        make(path.substr(0, at));
    make(path);
    FileFacts facts;
    return platform.GetFileFacts(path, &facts) && (facts.attributes & FILE_ATTR_DIRECTORY);
}

int BuildFailureExitCode(BuildFault fault, int signal) {
    switch (fault) {
    case BuildFault::None: return BUILD_DONE;
    case BuildFault::CannotRead:
    case BuildFault::InputUnusable:
    case BuildFault::SignerMissing: return BUILD_MISSING_FILE;
    case BuildFault::NameRefused:
    case BuildFault::NamesClash: return BUILD_REFUSED;
    case BuildFault::FolderMissing:
    case BuildFault::CannotMakeFolder:
    case BuildFault::CannotWriteInto:
    case BuildFault::CannotWrite:
    case BuildFault::CannotReplace:
    case BuildFault::Busy:
    case BuildFault::SigningFailed: return BUILD_WRITE_FAILED;
    case BuildFault::Interrupted: return InterruptedExitCode(signal);
    }
    return BUILD_WRITE_FAILED;
}

std::string BuildFailureLine(const BuildOutcome& o, const std::string& projectPath) {
    const std::string why = o.reason.empty() ? "" : ": " + o.reason;
    auto line = [](const std::string& file, const std::string& text) {
        return "zephyrkit-project: " + file + ": " + text;
    };
    switch (o.fault) {
    case BuildFault::None: return "";
    case BuildFault::CannotRead: return line(o.file, "cannot read" + why);
    case BuildFault::InputUnusable: return line(o.file, o.detail);
    case BuildFault::NameRefused:
    case BuildFault::NamesClash: return line(projectPath, BuildFailureText(o));
    case BuildFault::FolderMissing: return line(o.file, "no such folder");
    case BuildFault::CannotMakeFolder: return line(o.file, "cannot make the folder" + why);
    case BuildFault::CannotWriteInto: return line(o.file, "cannot write into the folder" + why);
    case BuildFault::CannotWrite: return line(o.file, "cannot write" + why);
    case BuildFault::CannotReplace: return line(o.file, "cannot replace" + why);
    case BuildFault::Busy: return "zephyrkit-project: " + BuildFailureText(o);
    case BuildFault::SignerMissing:
        return line(o.file, "cannot be started" + why + "; --sign needs it installed");
    case BuildFault::SigningFailed: return line(o.file, "cannot sign: " + o.detail);
    case BuildFault::Interrupted: return line(o.file, BuildFailureText(o));
    }
    return "";
}

int RunCommandLineBuild(WizardContext& ctx, const std::string& projectPath,
                        const CommandLineBuildOptions& options, InstallerSigner* signer,
                        std::ostream& out, std::ostream& err) {
    Build build(ctx, out, err);
    return build.Run(projectPath, options, signer);
}

}  // namespace zk
