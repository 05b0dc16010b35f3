// A remote device whose file system is a folder of the host: the device path
// "\A\B" is <root>/A/B, found the way common/device_path.h finds
// device paths (letter case ignored for existing names, ".." stopping at the
// root). Levels that no device name may hold (\ / : * ? " < > |, control
// characters, a trailing dot or space) are refused, so no path reaches
// outside the root on any host; neither does a path through a symbolic link.
//
// How CeRapiInit answers is set by the test or by the emulated set-up: at
// once with a given result, when a clock reaches a given time, or never
// (as with no device plugged in, until CeRapiUninit abandons the attempt).
// Files and searches need an open connection, as over ActiveSync; ending the
// connection closes what was left open. CeCreateProcess starts nothing on
// the host by itself: it records the program and its command line and asks
// an optional handler. Sharing modes are not enforced.
//
// Every method may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "activesync/remote_device.h"

namespace zk {

class FolderRemoteDevice : public RemoteDevice {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Decides whether a started program runs; given its host path.
    using ProgramHandler =
        std::function<bool(const std::filesystem::path& program, std::u16string_view commandLine)>;

    struct StartedProgram {
        std::u16string program;
        std::u16string commandLine;
    };

    // root: an existing host folder. clock: the time CeRapiInit answers by
    // (the steady clock when empty).
    explicit FolderRemoteDevice(std::filesystem::path root, Clock clock = {});
    ~FolderRemoteDevice() override;
    FolderRemoteDevice(const FolderRemoteDevice&) = delete;
    FolderRemoteDevice& operator=(const FolderRemoteDevice&) = delete;

    // How later CeRapiInit calls answer (the default: at once, S_OK). A
    // non-negative result opens the connection.
    void AnswerAtOnce(HResult result = REMOTE_S_OK);
    void AnswerAt(std::chrono::steady_clock::time_point when, HResult result = REMOTE_S_OK);
    void AnswerNever();
    // A hand-moved clock was moved: waiting CeRapiInit calls look again.
    void ClockMoved();
    // CeRapiInit calls now blocked whose answer is not yet due.
    int WaitingInitCalls();

    // CeCreateProcess fails whatever the program.
    void FailProgramStarts(bool fail);
    void SetProgramHandler(ProgramHandler handler);
    std::vector<StartedProgram> StartedPrograms();

    // Bytes the device may still store; writes beyond them come up short.
    // Unlimited when empty.
    void SetFreeSpace(std::optional<std::uint64_t> bytes);
    // Searches also report "." and ".." first, as desktop Windows does; a
    // Windows CE device does not.
    void ListDotEntries(bool list);

    bool connected();
    // The host path a device path stands for; empty when the path names
    // nothing the device could hold.
    std::filesystem::path HostPath(std::u16string_view devicePath);

    HResult CeRapiInit() override;
    HResult CeRapiUninit() override;
    RemoteHandle CeCreateFile(std::u16string_view path, std::uint32_t access,
                              std::uint32_t shareMode, std::uint32_t creation,
                              std::uint32_t attributes) override;
    bool CeWriteFile(RemoteHandle file, const void* buffer, std::uint32_t bytes,
                     std::uint32_t* written) override;
    bool CeCloseHandle(RemoteHandle handle) override;
    bool CeCreateProcess(std::u16string_view program, std::u16string_view commandLine,
                         RemoteProcessInfo* info) override;
    RemoteHandle CeFindFirstFile(std::u16string_view pattern, RemoteFindData* data) override;
    bool CeFindNextFile(RemoteHandle search, RemoteFindData* data) override;
    bool CeFindClose(RemoteHandle search) override;

private:
    enum class Answer { AtOnce, AtTime, Never };
    struct OpenFile {
        std::fstream stream;
        bool writable = false;
    };
    struct Search {
        std::vector<RemoteFindData> entries;
        std::size_t next = 0;
    };

    std::chrono::steady_clock::time_point Now() const;
    bool AnswerDue() const;
    std::filesystem::path HostPathLocked(std::u16string_view devicePath, bool lastIsPattern,
                                         std::u16string* pattern);
    RemoteHandle NewHandle();
    void CloseEverything();

    const std::filesystem::path root_;
    const Clock clock_;

    std::mutex lock_;
    std::condition_variable answerChanged_;
    Answer answer_ = Answer::AtOnce;
    HResult answerResult_ = REMOTE_S_OK;
    std::chrono::steady_clock::time_point answerTime_{};
    std::uint64_t uninitCount_ = 0;  // a changed count abandons waiting attempts
    int waitingCalls_ = 0;           // blocked calls of the current count
    bool connected_ = false;

    bool failProgramStarts_ = false;
    ProgramHandler programHandler_;
    std::vector<StartedProgram> started_;
    std::optional<std::uint64_t> freeSpace_;
    bool listDotEntries_ = false;

    RemoteHandle nextHandle_ = 1;
    std::map<RemoteHandle, std::unique_ptr<OpenFile>> files_;
    std::map<RemoteHandle, Search> searches_;
    std::set<RemoteHandle> processHandles_;
    std::uint32_t nextProcessId_ = 0x100;
};

}  // namespace zk
