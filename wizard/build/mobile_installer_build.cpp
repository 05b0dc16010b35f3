#include <cstdio>
#include <memory>
#include <string>

#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_outputs.h"
#include "wizard/build/compression_figure.h"
#include "wizard/build/installer_build.h"
#include "wizard/build/package_section.h"
#include "wizard/build/zip_writer.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"

namespace zk {
namespace {

// "<label>\t- compression: NN %\t- status: done"; the fixed sections pad the
// figure to two digits, the cabinets and the total do not.
std::string PackedLine(const std::string& label, int figure, bool twoDigits) {
    char text[32];
    std::snprintf(text, sizeof text, twoDigits ? "%02d" : "%d", figure);
    return label + "\t- compression: " + text + " %\t- status: done";
}

// Everything one mobile build carries from step to step.
class MobileBuild {
public:
    MobileBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome, BuildOutputs& outputs)
        : ctx_(ctx),
          log_(log),
          outcome_(outcome),
          outputs_(outputs),
          sep_(ctx.platform.PathSeparator()),
          workPath_(TextOf(ctx.state.workPath)) {}

    bool Run();

private:
    // Every failure ends the build; the installer is closed so that its
    // temporary can go.
    bool Failed() {
        log_.AddLine(outcome_.file + ":\t- status: failed");
        installer_.reset();
        return false;
    }
    bool FailRead(const std::string& file) {
        zk::FailRead(ctx_.platform, outcome_, file);
        return Failed();
    }
    bool FailWrite(const std::string& file) {
        zk::FailWrite(ctx_.platform, outcome_, file);
        return Failed();
    }
    std::string InOutput(const std::string& name) const { return JoinPath(workPath_, sep_, name); }
    // Appends a section holding a zip archive whose one member `member` is
    // `source`. Adds the sizes to the run's totals and gives the section's
    // figure.
    bool PackSection(const std::string& source, const std::string& member, int* figure);
    bool AppendFile(const std::string& path);

    WizardContext& ctx_;
    BuildLog& log_;
    BuildOutcome& outcome_;
    BuildOutputs& outputs_;
    const char sep_;
    const std::string workPath_;
    std::string installerPath_;
    std::unique_ptr<FileHandle> installer_;
    std::uint64_t sourceTotal_ = 0;
    std::uint64_t archiveTotal_ = 0;
};

bool MobileBuild::AppendFile(const std::string& path) {
    return AppendSection(ctx_.platform, *installer_, installerPath_, path, outcome_) || Failed();
}

bool MobileBuild::PackSection(const std::string& source, const std::string& member, int* figure) {
    // The archive is written straight into the installer after a byte count
    // that is filled in once the archive's length is known.
    FileHandle& out = *installer_;
    unsigned char count[SECTION_HEADER_SIZE] = {};
    if (!out.SeekToEnd()) return FailWrite(installerPath_);
    const std::uint64_t countAt = out.Tell();
    if (out.Write(count, sizeof count) != sizeof count) return FailWrite(installerPath_);
    ZipWriter* zip = ZipCreateOn(ctx_.platform, out);
    // The writer opens the source once and says how much it read.
    std::uint64_t sourceSize = 0;
    const std::uint32_t added = ZipAddFile(zip, member.c_str(), source.c_str(), &sourceSize);
    const std::uint32_t closed = ZipClose(zip);
    if (added != ZIP_OK || closed != ZIP_OK)
        return added == ZIP_ERR_OPEN || added == ZIP_ERR_READ ? FailRead(source)
                                                              : FailWrite(installerPath_);
    const std::uint64_t end = out.Tell();
    const std::uint64_t archiveSize = end - countAt - sizeof count;
    if (archiveSize > 0xFFFFFFFFULL) {
        outcome_.Fail(BuildFault::InputUnusable, source, "is too large for a section");
        return Failed();
    }
    PutU32(count, static_cast<std::uint32_t>(archiveSize));
    if (!out.Seek(countAt) || out.Write(count, sizeof count) != sizeof count || !out.Seek(end))
        return FailWrite(installerPath_);
    sourceTotal_ += sourceSize;
    archiveTotal_ += archiveSize;
    *figure = CompressionFigure(sourceSize, archiveSize);
    log_.SectionPacked(sourceSize, archiveSize);
    return true;
}

bool MobileBuild::Run() {
    WizardState& s = ctx_.state;
    const Project& p = ctx_.project;
    const int cabinets = CabinetCount(p);

    log_.AddLine("\t***Mobile installer overview***");
    log_.AddLine("");
    log_.SetProgressCaption(" Mobile installer progress");
    log_.SetProgressRange(cabinets + 3, 1);

    const std::string folder = ProgramFolder(ctx_);
    const std::string stubPath = folder + MOBILE_STUB_FILE_NAME;
    const std::string systemInfoPath = folder + SYSTEM_INFO_SECTION_FILE_NAME;

    const std::string installerName = TextOf(s.title) + ".[MOBILE].exe";
    const std::string installerPath = InOutput(installerName);
    installerPath_ = installerPath;
    CopyText(s.mobileInstallerPath, installerPath);
    CopyText(s.mobileInstallerName, installerName);

    // The device finds the first section at a fixed offset: a stub of any
    // other length (empty, cut, another program) gives installers every
    // device rejects.
    bool stubOpened = false;
    const std::uint64_t stubLength = FileSizeOf(ctx_.platform, stubPath, &stubOpened);
    if (!stubOpened) return FailRead(stubPath);
    if (stubLength != MOBILE_STUB_FIRST_SECTION_OFFSET) {
        outcome_.Fail(BuildFault::InputUnusable, stubPath,
                      "is " + std::to_string(stubLength) + " bytes long; the device stub must be " +
                          std::to_string(MOBILE_STUB_FIRST_SECTION_OFFSET) + " bytes");
        return Failed();
    }
    // The project file, then the installer, then its copy for cards, each
    // under its temporary name until the whole build is done.
    const std::string projectFile = TextOf(s.projectName) + ".paw";
    const std::string projectPath = InOutput(projectFile);
    const std::string projectTemporary = outputs_.Add(projectPath);
    const std::string installerTemporary = outputs_.Add(installerPath);
    installer_ =
        StartFileWith(ctx_.platform, stubPath, installerTemporary, installerPath, outcome_);
    if (!installer_) return Failed();

    if (!AppendFile(systemInfoPath)) return false;

    // The project file is written into the output folder and packed from there.
    if (!WriteProjectFile(ctx_.platform, p, projectTemporary.c_str()))
        return FailWrite(projectPath);
    int figure = 0;
    if (!PackSection(projectTemporary, projectFile, &figure)) return false;
    log_.AddLine(PackedLine("Project file packed:", figure, true));
    log_.StepProgress();

    if (s.splashEnabled) {
        if (!PackSection(TextOf(s.splashPath), TextOf(s.splashFileName), &figure)) return false;
        log_.AddLine(PackedLine("Splash file packed:", figure, true));
    }
    log_.StepProgress();

    if (s.eulaEnabled) {
        if (!PackSection(TextOf(s.eulaPath), TextOf(s.eulaFileName), &figure)) return false;
        log_.AddLine(PackedLine("Eula file packed:", figure, true));
    }
    log_.StepProgress();

    if (s.readmeEnabled) {
        if (!PackSection(TextOf(s.readmePath), TextOf(s.readmeFileName), &figure)) return false;
        log_.AddLine(PackedLine("ReadMe file packed:", figure, true));
    }

    for (int i = 0; i < cabinets; ++i) {
        const CabEntry& cab = p.cabinets[i];
        const std::string fileName = TextOf(cab.fileName);
        log_.StepProgress();
        if (!PackSection(TextOf(cab.path), fileName, &figure)) return false;
        log_.AddLine(PackedLine(fileName + " file packed:", figure, false));
    }

    if (!installer_->Close()) return FailWrite(installerPath);
    installer_.reset();
    log_.AddLine(
        PackedLine("Mobile installer:", CompressionFigure(sourceTotal_, archiveTotal_), false));

    // A card copy of an earlier build would no longer match the installer
    // beside it; it goes only when this build is complete.
    const std::string autorun = InOutput("autorun.exe");
    if (!s.removableCardOutput) {
        outputs_.RemoveOnCommit(autorun);
        return true;
    }
    std::unique_ptr<FileHandle> card =
        StartFileWith(ctx_.platform, installerTemporary, outputs_.Add(autorun), autorun, outcome_);
    if (!card) return Failed();
    if (!card->Close()) return FailWrite(autorun);
    return true;
}

}  // namespace

std::string ProgramFolder(WizardContext& ctx) { return FolderPart(ctx.platform.ProgramPath()); }

bool BuildMobileInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                          BuildOutputs& outputs) {
    MobileBuild build(ctx, log, outcome, outputs);
    return build.Run();
}

}  // namespace zk
