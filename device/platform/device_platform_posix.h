// The device platform on POSIX systems: a folder of the host plays the
// device's file system. The device path "\A\B" is <root>/A/B; each level is
// matched against the names already in the folder without regard to letter
// case (an exact match wins), so the device's habit of writing "\windows" and
// "\Windows" for one folder works on a case-sensitive host. Nothing below the
// device path ever leaves the root: ".." stops there.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/platform/device_platform.h"

namespace zk {

class PosixDevicePlatform : public DevicePlatform {
public:
    // root: an existing host folder, without a trailing separator.
    explicit PosixDevicePlatform(std::string root);

    std::unique_ptr<DeviceFile> OpenFile(std::u16string_view path, DeviceOpenMode mode,
                                         std::uint32_t attributes = DEVICE_ATTR_NORMAL) override;
    bool RemoveFile(std::u16string_view path) override;
    bool CreateFolder(std::u16string_view path) override;
    bool GetAttributes(std::u16string_view path, std::uint32_t* attributes) override;
    std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) override;
    bool SetAttributes(std::u16string_view path, std::uint32_t attributes) override;
    bool RenameFile(std::u16string_view from, std::u16string_view to) override;

    // Plays a device with `bytes` of free storage from now on: what the
    // files below the root hold now is the storage in use, and a write that
    // would grow them past the rest fails as on a full device (the bytes
    // that fit are written). FreeStorage reports what is left. Without a
    // call the host's free space is reported and nothing is limited.
    void LimitStorage(std::uint64_t bytes);
    bool FreeStorage(std::u16string_view path, std::uint64_t* bytes) override;

    // Called with every path opened to be written anew, before it is
    // opened: the emulated device plays a reset at a chosen moment from here.
    std::function<void(std::u16string_view path)> onCreateWrite;

    // The host path a device path stands for; empty when the path cannot
    // name anything (it holds a NUL).
    std::string HostPath(std::u16string_view devicePath) const;

    const std::string& root() const { return root_; }

    // ---- Programs, registry, reset, time (device_services_posix.cpp) ----
    //
    // No device program runs on the host: a program is a handler given here
    // for its device path (compared without regard to case), and starting a
    // path that has none fails. The registry is the text file
    // "\Windows\Registry.reg" below the root, in the REGEDIT4 format. A reset
    // calls the reset handler; without one the platform refuses it.

    // A handler returns whether the program ran, and sets its exit code
    // (0 unless it says otherwise).
    using ProgramHandler =
        std::function<bool(std::u16string_view commandLine, std::uint32_t* exitCode)>;
    void SetProgram(std::u16string_view devicePath, ProgramHandler handler);
    void SetResetHandler(std::function<bool()> handler);

    bool StartProgramAndWait(std::u16string_view program, std::u16string_view commandLine,
                             std::uint32_t* exitCode = nullptr) override;
    bool WriteRegistryText(std::u16string_view key, std::u16string_view name,
                           std::u16string_view value) override;
    bool WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                             std::uint32_t value) override;
    bool ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                            std::uint32_t* value) override;
    bool ResetDevice() override;
    std::uint32_t TickCount() override;

    // The values of a key, in the order they were first written; empty when
    // the key is missing.
    std::vector<std::pair<std::u16string, std::u16string>> ReadRegistryValues(
        std::u16string_view key);
    // False when there was no such value.
    bool DeleteRegistryValue(std::u16string_view key, std::u16string_view name);

    // What a limited storage holds; shared with the open files.
    struct StorageMeter {
        std::mutex lock;
        std::uint64_t capacity = 0;
        std::uint64_t used = 0;
    };

private:
    bool WriteRegistryEntry(std::u16string_view key, std::u16string_view name,
                            std::u16string_view text, bool isNumber, std::uint32_t number);

    std::string root_;
    std::shared_ptr<StorageMeter> storage_;
    std::vector<std::pair<std::u16string, ProgramHandler>> programs_;
    std::function<bool()> resetHandler_;
    std::mutex registryLock_;
};

}  // namespace zk
