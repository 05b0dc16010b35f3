// Cabinet member extraction through libmspack, and the admission that reads
// the set-up information it took out. The input is the cabinet.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/cabinet/setup_files.h"
#include "common/project_record.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_desktop_platform.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/wizard_context.h"
#include "wizard/project/wizard_state.h"

using namespace zk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryDesktopPlatform platform;
    const std::string cabinet = "/work/Viewer.cab";
    platform.PutFile(cabinet, data, size);
    const SetupFilePaths files = SetupFilePathsOf(platform);

    // Only the two temporary files are ever written.
    ExtractSetupFiles(platform, cabinet);
    for (const std::string& written : platform.Written())
        ZK_FUZZ_CHECK(written == files.header || written == files.xml);

    // Kept from run to run: a fresh record costs a hundred page faults.
    static Project projectRecord, beforeRecord;
    Project* project = &projectRecord;
    Project* before = &beforeRecord;
    std::memset(project, 0, sizeof(Project));
    std::memcpy(before, project, sizeof(Project));
    WizardState state;
    InitialiseWizardState(state, platform);
    WizardContext ctx{*project, state, platform};

    SetupInfo learned{};
    const Admission admission = AdmitCabinet(ctx, cabinet, "Viewer.cab", &learned);
    ZK_FUZZ_CHECK(!platform.HasFile(files.header) && !platform.HasFile(files.xml));
    for (const std::string& written : platform.Written())
        ZK_FUZZ_CHECK(written == files.header || written == files.xml);
    ZK_FUZZ_CHECK(fuzz::Terminated(learned.appName) && fuzz::Terminated(learned.provider));

    if (admission == Admission::Admitted || admission == Admission::AdmittedWithoutSetupInfo) {
        ZK_FUZZ_CHECK(project->cabinetCount == 1);
        const CabEntry& entry = project->cabinets[0];
        ZK_FUZZ_CHECK(fuzz::Terminated(entry.appName) && fuzz::Terminated(entry.provider));
        ZK_FUZZ_CHECK(std::strcmp(entry.fileName, "Viewer.cab") == 0);
        ZK_FUZZ_CHECK(std::strncmp(entry.appName, learned.appName, 63) == 0);
    } else {
        ZK_FUZZ_CHECK(std::memcmp(project, before, sizeof(Project)) == 0);
    }
    // The cabinet is read, never changed.
    const std::string* kept = platform.FileBytes(cabinet);
    ZK_FUZZ_CHECK(kept && kept->size() == size &&
                  (size == 0 || std::memcmp(kept->data(), data, size) == 0));
    return 0;
}
