#include "emulator/wceload/device_mspack_system.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "common/utf16_text.h"
#include "device/platform/device_platform.h"

namespace zk {
namespace {

struct PortFile {
    std::unique_ptr<DeviceFile> file;
    bool writing;
    bool* writeFailed;
};

PortFile* Unwrap(mspack_file* file) { return reinterpret_cast<PortFile*>(file); }

}  // namespace

DeviceMspackSystem::DeviceMspackSystem(DevicePlatform& device) : device_(device) {
    table_.base.open = &Open;
    table_.base.close = &Close;
    table_.base.read = &Read;
    table_.base.write = &Write;
    table_.base.seek = &Seek;
    table_.base.tell = &Tell;
    table_.base.message = &Message;
    table_.base.alloc = &Alloc;
    table_.base.free = &Free;
    table_.base.copy = &Copy;
    table_.base.null_ptr = nullptr;
    table_.owner = this;
}

mspack_file* DeviceMspackSystem::Open(mspack_system* self, const char* filename, int mode) {
    DeviceMspackSystem& owner = *reinterpret_cast<PortTable*>(self)->owner;
    if (!filename) return nullptr;
    // The cabinet decompressor reads cabinets and writes whole members only.
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE;
    if (!writing && mode != MSPACK_SYS_OPEN_READ) return nullptr;
    std::unique_ptr<DeviceFile> file = owner.device_.OpenFile(
        Utf8ToUtf16(filename), writing ? DeviceOpenMode::CreateWrite : DeviceOpenMode::Read);
    if (!file) {
        if (writing) owner.writeFailed_ = true;
        return nullptr;
    }
    auto* port = new (std::nothrow) PortFile{std::move(file), writing, &owner.writeFailed_};
    return reinterpret_cast<mspack_file*>(port);
}

void DeviceMspackSystem::Close(mspack_file* file) {
    if (!file) return;
    std::unique_ptr<PortFile> owned(Unwrap(file));
    if (!owned->file->Close() && owned->writing) *owned->writeFailed = true;
}

int DeviceMspackSystem::Read(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    if (bytes == 0) return 0;
    return static_cast<int>(Unwrap(file)->file->Read(buffer, static_cast<std::size_t>(bytes)));
}

int DeviceMspackSystem::Write(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    PortFile& port = *Unwrap(file);
    const std::size_t wanted = static_cast<std::size_t>(bytes);
    const std::size_t written = wanted ? port.file->Write(buffer, wanted) : 0;
    if (written != wanted) *port.writeFailed = true;
    return static_cast<int>(written);
}

int DeviceMspackSystem::Seek(mspack_file* file, off_t offset, int mode) {
    if (!file) return -1;
    DeviceSeek origin = DeviceSeek::Start;
    switch (mode) {
        case MSPACK_SYS_SEEK_START:
            break;
        case MSPACK_SYS_SEEK_CUR:
            origin = DeviceSeek::Current;
            break;
        case MSPACK_SYS_SEEK_END:
            origin = DeviceSeek::End;
            break;
        default:
            return -1;
    }
    return Unwrap(file)->file->Seek(static_cast<std::int64_t>(offset), origin) ? 0 : -1;
}

off_t DeviceMspackSystem::Tell(mspack_file* file) {
    std::uint64_t position = 0;
    if (!file || !Unwrap(file)->file->Tell(&position)) return -1;
    return static_cast<off_t>(position);
}

// The installer has no console; the outcome of each call says enough.
void DeviceMspackSystem::Message(mspack_file*, const char*, ...) {}

void* DeviceMspackSystem::Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void DeviceMspackSystem::Free(void* pointer) { std::free(pointer); }

void DeviceMspackSystem::Copy(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}

}  // namespace zk
