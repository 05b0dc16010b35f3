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
    MobileBuild(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome)
        : ctx_(ctx), log_(log), outcome_(outcome), sep_(ctx.platform.PathSeparator()),
          workPath_(TextOf(ctx.state.workPath)) {}

    bool Run();

private:
    bool Fail(const std::string& file, const std::string& what) {
        outcome_.Fail(what + " " + file);
        log_.AddLine(file + ":\t- status: failed");
        installer_.reset();
        if (!partialPath_.empty()) ctx_.platform.RemoveFile(partialPath_);
        return false;
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
    const char sep_;
    const std::string workPath_;
    std::string installerPath_;
    std::string partialPath_;
    std::unique_ptr<FileHandle> installer_;
    std::uint64_t sourceTotal_ = 0;
    std::uint64_t archiveTotal_ = 0;
};

bool MobileBuild::AppendFile(const std::string& path) {
    BuildOutcome section;
    if (AppendSection(ctx_.platform, *installer_, path, section)) return true;
    const bool readFailed = section.failure.rfind("cannot read", 0) == 0;
    return readFailed ? Fail(path, "cannot read") : Fail(installerPath_, "cannot write");
}

bool MobileBuild::PackSection(const std::string& source, const std::string& member, int* figure) {
    bool opened = false;
    const std::uint64_t sourceSize = FileSizeOf(ctx_.platform, source, &opened);
    if (!opened) return Fail(source, "cannot read");
    // The archive is written straight into the installer after a byte count
    // that is filled in once the archive's length is known.
    FileHandle& out = *installer_;
    unsigned char count[SECTION_HEADER_SIZE] = {};
    if (!out.SeekToEnd()) return Fail(installerPath_, "cannot write");
    const std::uint64_t countAt = out.Tell();
    if (out.Write(count, sizeof count) != sizeof count) return Fail(installerPath_, "cannot write");
    ZipWriter* zip = ZipCreateOn(ctx_.platform, out);
    const std::uint32_t added = ZipAddFile(zip, member.c_str(), source.c_str());
    const std::uint32_t closed = ZipClose(zip);
    if (added != ZIP_OK || closed != ZIP_OK)
        return added == ZIP_ERR_OPEN || added == ZIP_ERR_READ ? Fail(source, "cannot read")
                                                              : Fail(installerPath_, "cannot write");
    const std::uint64_t end = out.Tell();
    const std::uint64_t archiveSize = end - countAt - sizeof count;
    if (archiveSize > 0xFFFFFFFFULL) return Fail(installerPath_, "cannot write");
    PutU32(count, static_cast<std::uint32_t>(archiveSize));
    if (!out.Seek(countAt) || out.Write(count, sizeof count) != sizeof count || !out.Seek(end))
        return Fail(installerPath_, "cannot write");
    sourceTotal_ += sourceSize;
    archiveTotal_ += archiveSize;
    *figure = CompressionFigure(sourceSize, archiveSize);
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

    // A failed build must not leave an earlier build's installers looking like
    // its result; the desktop one carries the mobile one, so it goes too.
    ctx_.platform.RemoveFile(installerPath);
    ctx_.platform.RemoveFile(InOutput(TextOf(s.title) + ".[DESKTOP].exe"));

    // The device finds the first section at a fixed offset: a stub of any
    // other length (empty, cut, another program) gives installers every
    // device rejects.
    bool stubOpened = false;
    const std::uint64_t stubLength = FileSizeOf(ctx_.platform, stubPath, &stubOpened);
    if (!stubOpened) return Fail(stubPath, "cannot read");
    if (stubLength != MOBILE_STUB_FIRST_SECTION_OFFSET) {
        outcome_.Fail(stubPath + " is " + std::to_string(stubLength) +
                      " bytes long; the device stub must be " +
                      std::to_string(MOBILE_STUB_FIRST_SECTION_OFFSET) + " bytes");
        log_.AddLine(stubPath + ":\t- status: failed");
        return false;
    }
    const std::string partial = PartialName(installerPath);
    BuildOutcome copy;
    installer_ = StartFileWith(ctx_.platform, stubPath, partial, copy);
    if (!installer_) {
        const bool stubMissing = copy.failure.rfind("cannot read", 0) == 0;
        return stubMissing ? Fail(stubPath, "cannot read") : Fail(installerPath, "cannot write");
    }
    partialPath_ = partial;

    if (!AppendFile(systemInfoPath)) return false;

    // The project file is written into the output folder and packed from there.
    const std::string projectFile = TextOf(s.projectName) + ".paw";
    const std::string projectPath = InOutput(projectFile);
    if (!ReplaceProjectFile(ctx_.platform, p, projectPath.c_str()))
        return Fail(projectPath, "cannot write");
    int figure = 0;
    if (!PackSection(projectPath, projectFile, &figure)) return false;
    log_.AddLine(PackedLine("Project file packed:", figure, true));
    log_.StepProgress();

    if (s.splashEnabled) {
        if (!PackSection(TextOf(s.splashPath), TextOf(s.splashFileName), &figure))
            return false;
        log_.AddLine(PackedLine("Splash file packed:", figure, true));
    }
    log_.StepProgress();

    if (s.eulaEnabled) {
        if (!PackSection(TextOf(s.eulaPath), TextOf(s.eulaFileName), &figure))
            return false;
        log_.AddLine(PackedLine("Eula file packed:", figure, true));
    }
    log_.StepProgress();

    if (s.readmeEnabled) {
        if (!PackSection(TextOf(s.readmePath), TextOf(s.readmeFileName), &figure))
            return false;
        log_.AddLine(PackedLine("ReadMe file packed:", figure, true));
    }

    for (int i = 0; i < cabinets; ++i) {
        const CabEntry& cab = p.cabinets[i];
        const std::string fileName = TextOf(cab.fileName);
        log_.StepProgress();
        if (!PackSection(TextOf(cab.path), fileName, &figure)) return false;
        log_.AddLine(PackedLine(fileName + " file packed:", figure, false));
    }

    const bool closed = installer_->Close();
    installer_.reset();
    if (!closed || !ctx_.platform.RenameFile(partialPath_, installerPath))
        return Fail(installerPath, "cannot write");
    partialPath_.clear();
    log_.AddLine(PackedLine("Mobile installer:", CompressionFigure(sourceTotal_, archiveTotal_),
                            false));

    if (s.removableCardOutput) {
        const std::string autorun = InOutput("autorun.exe");
        BuildOutcome card;
        if (!CopyWholeFile(ctx_.platform, installerPath, autorun, card))
            return Fail(autorun, "cannot write");
    }
    return true;
}

}  // namespace

std::string ProgramFolder(WizardContext& ctx) { return FolderPart(ctx.platform.ProgramPath()); }

bool BuildMobileInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome) {
    MobileBuild build(ctx, log, outcome);
    return build.Run();
}

}  // namespace zk
