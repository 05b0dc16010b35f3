#include <memory>
#include <string>

#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/installer_build.h"
#include "wizard/build/package_section.h"
#include "wizard/project/wizard_context.h"

namespace zk {

bool BuildDesktopInstaller(WizardContext& ctx, BuildLog& log, BuildOutcome& outcome) {
    WizardState& s = ctx.state;
    DesktopPlatform& platform = ctx.platform;
    log.AddLine("\t***Desktop installer overview***");
    log.AddLine("");
    log.SetProgressCaption(" Desktop installer progress");
    log.SetProgressRange(3, 1);

    const std::string stubPath = ProgramFolder(ctx) + DESKTOP_STUB_FILE_NAME;
    const std::string installerPath = JoinPath(TextOf(s.workPath), platform.PathSeparator(),
                                               TextOf(s.title) + ".[DESKTOP].exe");
    const std::string mobilePath = TextOf(s.mobileInstallerPath);
    CopyText(s.desktopInstallerPath, installerPath);
    const std::string partial = PartialName(installerPath);

    std::unique_ptr<FileHandle> out;
    std::unique_ptr<FileHandle> mobile;
    auto fail = [&](const std::string& file, const std::string& what) {
        // Closed first: Windows keeps an open file.
        out.reset();
        mobile.reset();
        platform.RemoveFile(partial);
        outcome.Fail(what + " " + file);
        log.AddLine(file + ":\t- status: failed");
        return false;
    };

    platform.RemoveFile(installerPath);
    BuildOutcome copy;
    out = StartFileWith(platform, stubPath, partial, copy);
    if (!out)
        return copy.failure.rfind("cannot read", 0) == 0 ? fail(stubPath, "cannot read")
                                                          : fail(installerPath, "cannot write");
    log.StepProgress();

    mobile = platform.OpenFile(mobilePath, FileMode::Read);
    if (!mobile || !mobile->SeekToEnd()) return fail(mobilePath, "cannot read");
    const std::uint64_t size = mobile->Tell();
    if (size > 0xFFFFFFFFULL) return fail(mobilePath, "too large to carry:");
    unsigned char count[SECTION_HEADER_SIZE];
    PutU32(count, static_cast<std::uint32_t>(size));
    if (!mobile->Seek(0) || out->Write(count, sizeof count) != sizeof count)
        return fail(installerPath, "cannot write");
    log.StepProgress();

    const std::int64_t copied = CopyBlocks(*mobile, *out);
    mobile.reset();
    const bool closed = out->Close();
    out.reset();
    if (copied < 0 || !closed) return fail(installerPath, "cannot write");
    if (static_cast<std::uint64_t>(copied) != size) return fail(mobilePath, "cannot read");
    if (!platform.RenameFile(partial, installerPath)) return fail(installerPath, "cannot write");
    log.StepProgress();

    log.AddLine("Desktop installer:\t- status: done");
    return true;
}

}  // namespace zk
