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
#include "wizard/build/installer_build.h"
#include "wizard/build/package_section.h"
#include "wizard/project/wizard_context.h"

namespace zk {

bool BuildDesktopInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome,
                           BuildOutputs& outputs) {
    WizardState& s = ctx.state;
    DesktopPlatform& platform = ctx.platform;
    log.AddLine("\t***Desktop installer overview***");
    log.AddLine("");
    log.SetProgressCaption(" Desktop installer progress");
    log.SetProgressRange(3, 1);

    const std::string stubPath = ProgramFolder(ctx) + DESKTOP_STUB_FILE_NAME;
    const std::string installerPath =
        JoinPath(TextOf(s.workPath), platform.PathSeparator(), TextOf(s.title) + ".[DESKTOP].exe");
    // The mobile installer of this build, still under its temporary name.
    const std::string mobilePath = outputs.Current(TextOf(s.mobileInstallerPath));
    CopyText(s.desktopInstallerPath, installerPath);

    std::unique_ptr<FileHandle> out;
    std::unique_ptr<FileHandle> mobile;
    auto failed = [&]() {
        // Closed first: Windows keeps an open file.
        out.reset();
        mobile.reset();
        log.AddLine(outcome.file + ":\t- status: failed");
        return false;
    };

    out = StartFileWith(platform, stubPath, outputs.Add(installerPath), installerPath, outcome);
    if (!out) return failed();
    log.StepProgress();

    mobile = platform.OpenFile(mobilePath, FileMode::Read);
    if (!mobile || !mobile->SeekToEnd()) return FailRead(platform, outcome, mobilePath) || failed();
    const std::uint64_t size = mobile->Tell();
    if (size > 0xFFFFFFFFULL) {
        outcome.Fail(BuildFault::InputUnusable, mobilePath, "is too large to carry");
        return failed();
    }
    unsigned char count[SECTION_HEADER_SIZE];
    PutU32(count, static_cast<std::uint32_t>(size));
    if (!mobile->Seek(0)) return FailRead(platform, outcome, mobilePath) || failed();
    if (out->Write(count, sizeof count) != sizeof count)
        return FailWrite(platform, outcome, installerPath) || failed();
    log.StepProgress();

    const std::int64_t copied = CopyBlocks(*mobile, *out);
    mobile.reset();
    if (copied < 0 || !out->Close()) return FailWrite(platform, outcome, installerPath) || failed();
    out.reset();
    if (static_cast<std::uint64_t>(copied) != size)
        return FailRead(platform, outcome, mobilePath) || failed();
    log.StepProgress();

    log.AddLine("Desktop installer:\t- status: done");
    return true;
}

}  // namespace zk
