// The .paw reader and what the shell runs on a loaded record: show, check
// or export, chosen by the input's last byte. The input is the project file.
//
// A fresh 339 536-byte record costs a hundred page faults, which dominate a
// run: the target's own records are kept from run to run, and one shell
// command runs per input.
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "common/project_record.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_desktop_platform.h"
#include "wizard/project/project_file.h"
#include "wizard/project/project_json.h"
#include "wizard/ui/shell/project_shell.h"

using namespace zk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Project project;
    static Project before;
    static Project again;
    fuzz::MemoryDesktopPlatform platform;
    const std::string path = "/work/Demo.paw";
    platform.PutFile(path, data, size);

    // Refused: the record is as it was. Loaded: it is the file, byte for byte.
    std::memset(&project, 0xA5, sizeof(Project));
    std::memcpy(&before, &project, sizeof(Project));
    const bool loaded = ReadProjectFile(platform, project, path.c_str());
    ZK_FUZZ_CHECK(loaded == (size == PROJECT_RECORD_SIZE));
    ZK_FUZZ_CHECK(std::memcmp(&project, loaded ? static_cast<const void*>(data) : &before,
                              sizeof(Project)) == 0);

    const char* commands[] = {"show", "check", "export"};
    const char* command = commands[size ? data[size - 1] % 3 : 0];
    std::istringstream in;
    std::ostringstream out, err;
    const int code = RunProjectShell(platform, {command, path}, in, out, err);
    ZK_FUZZ_CHECK(code == SHELL_DONE || code == SHELL_REFUSED);
    if (!loaded) ZK_FUZZ_CHECK(code == SHELL_REFUSED && out.str().empty());
    // An exported record that imports reads back as the same document.
    if (loaded && code == SHELL_DONE && std::strcmp(command, "export") == 0) {
        std::memset(&again, 0, sizeof(Project));
        std::string error;
        if (ImportProjectJson(out.str(), again, &error))
            ZK_FUZZ_CHECK(ExportProjectJson(again) == out.str());
    }
    // Reading never writes, and the file is left as it was.
    ZK_FUZZ_CHECK(platform.Written().empty());
    const std::string* kept = platform.FileBytes(path);
    ZK_FUZZ_CHECK(kept && kept->size() == size && (size == 0 || std::memcmp(kept->data(), data, size) == 0));
    return 0;
}
