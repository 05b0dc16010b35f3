// The device platform over an in-memory file table: the device installer's
// readers take a fuzz input as a device file and write what they unpack into
// memory, where the target can look at every path they made.
//
// Paths resolve as on the device ('\' and '/', "." and "..", a drive
// dropped, letter case ignored). A file or folder can be made only in a
// folder that exists; "\", "\Temp" and "\Windows" exist from the start. No
// file grows past a fixed capacity, so a decoder that expands without end
// meets a full store rather than exhausting memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "device/platform/device_platform.h"

namespace zk::fuzz {

class MemoryDevicePlatform : public DevicePlatform {
public:
    MemoryDevicePlatform();

    // The key a device path is kept under: its levels in lower case joined
    // by '\', "" for the root. False when the path cannot name anything.
    static bool Key(std::u16string_view path, std::u16string* key);

    void PutFile(std::u16string_view path, const void* bytes, std::size_t length);
    const std::string* FileBytes(std::u16string_view path) const;
    bool HasFolder(std::u16string_view path) const;

    // The keys of every file opened for writing and every folder made.
    const std::vector<std::u16string>& Written() const { return written_; }

    // Programs answer through this; without it a start fails.
    std::function<bool(std::u16string_view program, std::u16string_view commandLine)> onStart;
    int starts = 0;
    int registryWrites = 0;
    // What the volume has room for; unknown when absent.
    std::optional<std::uint64_t> freeStorage;

    std::unique_ptr<DeviceFile> OpenFile(std::u16string_view path, DeviceOpenMode mode,
                                         std::uint32_t attributes = DEVICE_ATTR_NORMAL) override;
    bool RemoveFile(std::u16string_view path) override;
    bool CreateFolder(std::u16string_view path) override;
    bool GetAttributes(std::u16string_view path, std::uint32_t* attributes) override;
    std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) override { return localTime; }
    bool SetAttributes(std::u16string_view path, std::uint32_t attributes) override;
    bool RenameFile(std::u16string_view from, std::u16string_view to) override;
    bool StartProgramAndWait(std::u16string_view program, std::u16string_view commandLine,
                             std::uint32_t* exitCode = nullptr) override;
    bool WriteRegistryText(std::u16string_view, std::u16string_view, std::u16string_view) override {
        ++registryWrites;
        return true;
    }
    // DWORD values are kept, under the key and the name in lower case.
    bool WriteRegistryNumber(std::u16string_view key, std::u16string_view name,
                             std::uint32_t value) override;
    bool ReadRegistryNumber(std::u16string_view key, std::u16string_view name,
                            std::uint32_t* value) override;
    bool FreeStorage(std::u16string_view, std::uint64_t* bytes) override {
        if (freeStorage) *bytes = *freeStorage;
        return freeStorage.has_value();
    }
    std::uint32_t TickCount() override { return ticks_ += 10; }

private:
    struct Entry {
        std::shared_ptr<std::string> bytes;
        std::uint32_t attributes = DEVICE_ATTR_ARCHIVE;
    };
    bool ParentExists(const std::u16string& key) const;

    std::map<std::u16string, Entry> files_;
    std::map<std::u16string, std::uint32_t> numbers_;
    std::set<std::u16string> folders_;
    std::vector<std::u16string> written_;
    std::uint32_t ticks_ = 0;
};

}  // namespace zk::fuzz
