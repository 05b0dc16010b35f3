// The JSON import of a project. The input is the document.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/project_record.h"
#include "fuzz/support/fuzz_check.h"
#include "wizard/project/project_json.h"

using namespace zk;

namespace {

bool AllTerminated(const Project& p) {
    if (!fuzz::Terminated(p.title) || !fuzz::Terminated(p.company) ||
        !fuzz::Terminated(p.eulaPath) || !fuzz::Terminated(p.readmePath) ||
        !fuzz::Terminated(p.outputFolder) || !fuzz::Terminated(p.splashPath))
        return false;
    for (int i = 0; i < CabinetCount(p); ++i) {
        const CabEntry& c = p.cabinets[i];
        if (!fuzz::Terminated(c.path) || !fuzz::Terminated(c.fileName) ||
            !fuzz::Terminated(c.appName) || !fuzz::Terminated(c.provider))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string document(reinterpret_cast<const char*>(data), size);
    // Kept from run to run: a fresh record costs a hundred page faults.
    static Project projectRecord, beforeRecord, againRecord;
    Project* project = &projectRecord;
    Project* before = &beforeRecord;
    std::memset(project, 0x5A, sizeof(Project));
    std::memcpy(before, project, sizeof(Project));

    std::string error;
    if (!ImportProjectJson(document, *project, &error)) {
        ZK_FUZZ_CHECK(!error.empty());
        ZK_FUZZ_CHECK(std::memcmp(project, before, sizeof(Project)) == 0);
        return 0;
    }
    ZK_FUZZ_CHECK(AllTerminated(*project));
    ZK_FUZZ_CHECK(project->cabinetCount >= 0 && project->cabinetCount <= MAX_CABINETS);

    // What was taken in goes out and back unchanged.
    const std::string exported = ExportProjectJson(*project);
    Project* again = &againRecord;
    std::memset(again, 0, sizeof(Project));
    ZK_FUZZ_CHECK(ImportProjectJson(exported, *again, &error));
    ZK_FUZZ_CHECK(ExportProjectJson(*again) == exported);
    return 0;
}
