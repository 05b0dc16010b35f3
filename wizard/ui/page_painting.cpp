#include "wizard/ui/page_painting.h"

#include "common/fixed_text.h"
#include "common/project_record.h"

namespace zk {
namespace {

constexpr int NORMAL = 200;
constexpr int BOLD = 700;

}  // namespace

std::string DeployText(const Project& project) {
    // The format's two %s filled by hand: names with '%' in them stay as typed.
    const std::string format = DEPLOY_TEXT_FORMAT;
    const std::string company = TextOf(project.company);
    const std::string title = TextOf(project.title);
    const std::size_t first = format.find("%s");
    const std::size_t second = format.find("%s", first + 2);
    return format.substr(0, first) + company + format.substr(first + 2, second - first - 2) +
           title + format.substr(second + 2);
}

PaintedPage PaintingOf(int step, const Project& project) {
    switch (step) {
    case 0:
        return {{20, 120, 220, 320},
                {{30, 130, SHORT_DESCRIPTION_TEXT, NORMAL},
                 {130, 230, STEP1_TEXT, NORMAL},
                 {230, 330, STEP2_TEXT, NORMAL},
                 {330, 430, STEP3_TEXT, NORMAL}}};
    case 1: return {{12, 150, 284}, {}};
    case 2: return {{12, 376}, {}};
    case 3: return {{16, 242, 316}, {}};
    case 4:
        return {{16, 116},
                {{24, 84, DeployText(project), NORMAL}, {124, 144, BROWSE_FOR_FOLDER_TEXT, BOLD}}};
    default: return {};
    }
}

}  // namespace zk
