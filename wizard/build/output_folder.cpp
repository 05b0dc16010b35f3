#include "wizard/build/output_folder.h"

#include <string>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/utc_time.h"
#include "wizard/project/wizard_context.h"

namespace zk {

std::string DateSubfolderText(WizardContext& ctx) {
    const CalendarTime now = UtcCalendarTime(ctx.platform.CurrentUnixTime());
    return std::string(1, ctx.platform.PathSeparator()) + std::to_string(now.day) + "-" +
           std::to_string(now.month) + "-" + std::to_string(now.year);
}

bool PrepareOutputFolder(WizardContext& ctx, std::string* reason) {
    WizardState& s = ctx.state;
    std::string path = TextOf(s.workPath);
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
    FileFacts facts;
    if (!made)
        why = ctx.platform.LastFailureReason();
    else if (!ctx.platform.GetFileFacts(path, &facts))
        why = "no such folder";  // the "Save to" folder itself is not made here
    else if (!(facts.attributes & FILE_ATTR_DIRECTORY))
        why = "not a folder";
    else
        return true;
    if (reason) *reason = why;
    return false;
}

}  // namespace zk
