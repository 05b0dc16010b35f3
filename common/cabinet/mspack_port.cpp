#include "common/cabinet/mspack_port.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "platform/desktop_platform.h"

namespace zk {
namespace {

// What libmspack holds as an mspack_file: our open file and its system.
struct PortFile {
    std::unique_ptr<FileHandle> handle;
    bool writing;
    bool* writeFailed;
};

PortFile* Unwrap(mspack_file* file) { return reinterpret_cast<PortFile*>(file); }

}  // namespace

MspackPortSystem::MspackPortSystem(DesktopPlatform& platform) : platform_(platform) {
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

mspack_file* MspackPortSystem::Open(mspack_system* self, const char* filename, int mode) {
    MspackPortSystem& owner = *reinterpret_cast<PortTable*>(self)->owner;
    if (!filename) return nullptr;
    // The cabinet decompressor only reads cabinets and writes whole members.
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE;
    if (!writing && mode != MSPACK_SYS_OPEN_READ) return nullptr;
    std::unique_ptr<FileHandle> handle =
        owner.platform_.OpenFile(filename, writing ? FileMode::CreateWrite : FileMode::Read);
    if (!handle) {
        if (writing) owner.createFailed_ = true;
        return nullptr;
    }
    auto* file = new (std::nothrow) PortFile{std::move(handle), writing, &owner.writeFailed_};
    if (!file) return nullptr;
    return reinterpret_cast<mspack_file*>(file);
}

void MspackPortSystem::Close(mspack_file* file) {
    if (!file) return;
    std::unique_ptr<PortFile> owned(Unwrap(file));
    if (!owned->handle->Close() && owned->writing) *owned->writeFailed = true;
}

int MspackPortSystem::Read(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    if (bytes == 0) return 0;
    return static_cast<int>(Unwrap(file)->handle->Read(buffer, static_cast<std::size_t>(bytes)));
}

int MspackPortSystem::Write(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    PortFile& f = *Unwrap(file);
    const std::size_t wanted = static_cast<std::size_t>(bytes);
    const std::size_t written = wanted ? f.handle->Write(buffer, wanted) : 0;
    if (written != wanted) *f.writeFailed = true;
    return static_cast<int>(written);
}

int MspackPortSystem::Seek(mspack_file* file, off_t offset, int mode) {
    if (!file) return -1;
    FileHandle& h = *Unwrap(file)->handle;
    std::int64_t base = 0;
    switch (mode) {
        case MSPACK_SYS_SEEK_START:
            break;
        case MSPACK_SYS_SEEK_CUR:
            base = static_cast<std::int64_t>(h.Tell());
            break;
        case MSPACK_SYS_SEEK_END:
            if (!h.SeekToEnd()) return -1;
            if (offset == 0) return 0;
            base = static_cast<std::int64_t>(h.Tell());
            break;
        default:
            return -1;
    }
    const std::int64_t target = base + static_cast<std::int64_t>(offset);
    if (target < 0) return -1;
    return h.Seek(static_cast<std::uint64_t>(target)) ? 0 : -1;
}

off_t MspackPortSystem::Tell(mspack_file* file) {
    if (!file) return -1;
    return static_cast<off_t>(Unwrap(file)->handle->Tell());
}

// libmspack's warnings (extra bytes after a cabinet, bad checksums in
// salvage mode) would go to a console the wizard does not have; the outcome
// of each call says all the wizard needs.
void MspackPortSystem::Message(mspack_file*, const char*, ...) {}

void* MspackPortSystem::Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void MspackPortSystem::Free(void* pointer) { std::free(pointer); }

void MspackPortSystem::Copy(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}

}  // namespace zk
