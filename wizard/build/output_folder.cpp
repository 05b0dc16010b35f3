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

void PrepareOutputFolder(WizardContext& ctx) {
    WizardState& s = ctx.state;
    std::string path = TextOf(s.workPath);
    if (s.addDateToPath) {
        path += DateSubfolderText(ctx);
        ctx.platform.MakeFolder(path);
    }
    if (s.addTitleSubfolder) {
        path += ctx.platform.PathSeparator();
        path += TextOf(s.title);
        ctx.platform.MakeFolder(path);
    }
    CopyText(s.workPath, path);
}

}  // namespace zk
