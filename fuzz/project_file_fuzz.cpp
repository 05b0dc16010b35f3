// The .paw reader and what the shell runs on a loaded record: show, check
// or export, chosen by the input's last byte.
//
// The input itself goes through the reader, which takes it only when it is
// exactly a record long. The shell then runs on the input laid over a record
// of zeros: the seeds are projects without their trailing zeros, so that
// mutations land in the fields rather than in hundreds of unused cabinet
// slots. A fresh 339 536-byte record costs a hundred page faults, and a pass
// over one costs more than most inputs take to read: the target's own
// records are kept from run to run, and touched only where an input reaches.
#include <algorithm>
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
    static Project project, before, again;
    static bool filled = false;
    if (!filled) {
        std::memset(&before, 0xA5, sizeof(Project));
        std::memcpy(&project, &before, sizeof(Project));
        filled = true;
    }
    // The input laid over zeros: the bytes of the previous one past this
    // one's end are cleared.
    static std::string record(PROJECT_RECORD_SIZE, '\0');
    static std::size_t laid = 0;
    fuzz::MemoryDesktopPlatform platform;

    // The input as a file: refused unless exactly a record long, and then the
    // record is as it was; loaded, it is the file byte for byte.
    const std::string input = "/work/Input.paw";
    platform.PutFile(input, data, size);
    const bool loaded = ReadProjectFile(platform, project, input.c_str());
    ZK_FUZZ_CHECK(loaded == (size == PROJECT_RECORD_SIZE));
    ZK_FUZZ_CHECK(std::memcmp(&project, loaded ? static_cast<const void*>(data) : &before,
                              sizeof(Project)) == 0);
    if (loaded) std::memcpy(&project, &before, sizeof(Project));
    platform.RemoveFile(input);

    const std::string path = "/work/Demo.paw";
    const std::size_t take = std::min(size, PROJECT_RECORD_SIZE);
    if (take) std::memcpy(record.data(), data, take);
    if (laid > take) std::memset(record.data() + take, 0, laid - take);
    laid = take;
    platform.ShareFile(path, record);

    const char* commands[] = {"show", "check", "export"};
    const std::uint8_t last = size ? data[size - 1] : 0;
    const char* command = commands[last % 3];
    // The files the project names are there when the last byte's bit 6 is
    // set, so that a check gets past them to the cabinets' set-up
    // information; the cabinets hold none.
    if (last & 0x40) {
        const Project& named = *reinterpret_cast<const Project*>(record.data());
        auto put = [&platform](const char* field, std::size_t length) {
            const std::string name(field, strnlen(field, length));
            if (!name.empty()) platform.PutFile(name, "MSCF", 4);
        };
        put(named.eulaPath, sizeof named.eulaPath);
        put(named.readmePath, sizeof named.readmePath);
        put(named.splashPath, sizeof named.splashPath);
        for (int i = 0; i < CabinetCount(named); ++i)
            put(named.cabinets[i].path, sizeof named.cabinets[i].path);
    }
    std::istringstream in;
    std::ostringstream out, err;
    const int code = RunProjectShell(platform, {command, path}, in, out, err);
    ZK_FUZZ_CHECK(code == SHELL_DONE || code == SHELL_REFUSED);
    // An exported record that imports reads back as the same document.
    if (code == SHELL_DONE && std::strcmp(command, "export") == 0) {
        ZK_FUZZ_CHECK(!out.str().empty());
        std::memset(&again, 0, sizeof(Project));
        std::string error;
        if (ImportProjectJson(out.str(), again, &error))
            ZK_FUZZ_CHECK(ExportProjectJson(again) == out.str());
    }
    // Reading never writes, and the file is left as it was.
    ZK_FUZZ_CHECK(platform.Written().empty());
    ZK_FUZZ_CHECK(record.size() == PROJECT_RECORD_SIZE &&
                  (take == 0 || std::memcmp(record.data(), data, take) == 0));
    return 0;
}
