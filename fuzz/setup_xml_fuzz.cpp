// The set-up XML reader, from memory and through a file of the platform.
// The input is the document.
#include <cstdint>
#include <cstring>

#include "common/cabinet/setup_xml.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_desktop_platform.h"

using namespace zk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetupInfo info;
    std::memset(&info, 0, sizeof info);
    std::strcpy(info.appName, "Before");
    info.osMaxMinor = 77;
    SetupInfo before = info;

    const SetupXmlResult result = ParseSetupXml(reinterpret_cast<const char*>(data), size, info);
    ZK_FUZZ_CHECK(fuzz::Terminated(info.appName) && fuzz::Terminated(info.provider));
    // A document that does not load is refused before anything is set.
    if (result == SetupXmlResult::NotADocument)
        ZK_FUZZ_CHECK(std::memcmp(&info, &before, sizeof info) == 0);

    // The file reader walks the same way and shows a message exactly when a
    // parm is incomplete.
    fuzz::MemoryDesktopPlatform platform;
    platform.PutFile("/tmp/info.xml", data, size);
    SetupInfo fromFile = before;
    const bool walked = ReadSetupXml(platform, "/tmp/info.xml", fromFile);
    ZK_FUZZ_CHECK(walked == (result == SetupXmlResult::Walked));
    ZK_FUZZ_CHECK(platform.messages() == (result == SetupXmlResult::ParmIncomplete ? 1 : 0));
    ZK_FUZZ_CHECK(std::memcmp(&info, &fromFile, sizeof info) == 0);
    ZK_FUZZ_CHECK(platform.Written().empty());
    return 0;
}
