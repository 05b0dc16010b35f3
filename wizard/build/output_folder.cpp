#include "wizard/build/output_folder.h"

#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/utc_time.h"
#include "wizard/build/build_outcome.h"
#include "wizard/project/wizard_context.h"

namespace zk {

std::string DateSubfolderText(WizardContext& ctx) {
    const CalendarTime now = UtcCalendarTime(ctx.platform.CurrentUnixTime());
    return std::string(1, ctx.platform.PathSeparator()) + std::to_string(now.day) + "-" +
           std::to_string(now.month) + "-" + std::to_string(now.year);
}

bool PrepareOutputFolder(WizardContext& ctx, BuildOutcome& outcome) {
    WizardState& s = ctx.state;
    std::string path = TextOf(s.workPath);
    FileFacts facts;
    // Named as the user chose it, rather than as the first subfolder that
    // could not be made below it.
    if (!ctx.platform.GetFileFacts(path, &facts)) {
        outcome.Fail(BuildFault::FolderMissing, path);
        return false;
    }
    bool made = true;
    if (s.addDateToPath) {
        path += DateSubfolderText(ctx);
        made = ctx.platform.MakeFolder(path);
    }
    if (s.addTitleSubfolder) {
        path += ctx.platform.PathSeparator();
        path += TextOf(s.title);
        made = made && ctx.platform.MakeFolder(path);
    }
    CopyText(s.workPath, path);
    std::string why;
    if (!made)
        why = ctx.platform.LastFailureReason();
    else if (!ctx.platform.GetFileFacts(path, &facts))
        why = "no such folder";
    else if (!(facts.attributes & FILE_ATTR_DIRECTORY))
        why = "not a folder";
    else
        return true;
    outcome.Fail(BuildFault::CannotMakeFolder, path, {}, why);
    return false;
}

}  // namespace zk
