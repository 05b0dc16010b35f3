#include "common/cabinet/mspack_file_table.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace zk {
namespace {

// What libmspack holds as an mspack_file: our open file and where its
// failures are told.
struct OpenFile {
    std::unique_ptr<MspackStream> stream;
    bool writing;
    bool* writeFailed;
};

OpenFile* Unwrap(mspack_file* file) { return reinterpret_cast<OpenFile*>(file); }

}  // namespace

MspackFileTable::MspackFileTable() {
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

mspack_file* MspackFileTable::Open(mspack_system* self, const char* filename, int mode) {
    MspackFileTable& owner = *reinterpret_cast<PortTable*>(self)->owner;
    if (!filename) return nullptr;
    // The cabinet decompressor only reads cabinets and writes whole members.
    const bool writing = mode == MSPACK_SYS_OPEN_WRITE;
    if (!writing && mode != MSPACK_SYS_OPEN_READ) return nullptr;
    std::unique_ptr<MspackStream> stream = owner.OpenStream(filename, writing);
    if (!stream) {
        if (writing) owner.createFailed_ = true;
        return nullptr;
    }
    auto* file = new (std::nothrow) OpenFile{std::move(stream), writing, &owner.writeFailed_};
    return reinterpret_cast<mspack_file*>(file);
}

void MspackFileTable::Close(mspack_file* file) {
    if (!file) return;
    std::unique_ptr<OpenFile> owned(Unwrap(file));
    if (!owned->stream->Close() && owned->writing) *owned->writeFailed = true;
}

int MspackFileTable::Read(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    if (bytes == 0) return 0;
    return static_cast<int>(Unwrap(file)->stream->Read(buffer, static_cast<std::size_t>(bytes)));
}

int MspackFileTable::Write(mspack_file* file, void* buffer, int bytes) {
    if (!file || bytes < 0) return -1;
    OpenFile& f = *Unwrap(file);
    const std::size_t wanted = static_cast<std::size_t>(bytes);
    const std::size_t written = wanted ? f.stream->Write(buffer, wanted) : 0;
    if (written != wanted) *f.writeFailed = true;
    return static_cast<int>(written);
}

int MspackFileTable::Seek(mspack_file* file, off_t offset, int mode) {
    if (!file) return -1;
    MspackStream& s = *Unwrap(file)->stream;
    std::int64_t base = 0;
    switch (mode) {
    case MSPACK_SYS_SEEK_START: break;
    case MSPACK_SYS_SEEK_CUR: base = s.Tell(); break;
    case MSPACK_SYS_SEEK_END:
        if (!s.SeekToEnd()) return -1;
        if (offset == 0) return 0;
        base = s.Tell();
        break;
    default: return -1;
    }
    if (base < 0) return -1;
    const std::int64_t target = base + static_cast<std::int64_t>(offset);
    if (target < 0) return -1;
    return s.SeekTo(static_cast<std::uint64_t>(target)) ? 0 : -1;
}

off_t MspackFileTable::Tell(mspack_file* file) {
    if (!file) return -1;
    return static_cast<off_t>(Unwrap(file)->stream->Tell());
}

// libmspack's warnings (extra bytes after a cabinet, bad checksums in
// salvage mode) would go to a console neither the wizard nor the device has;
// the outcome of each call says all they need.
void MspackFileTable::Message(mspack_file*, const char*, ...) {}

void* MspackFileTable::Alloc(mspack_system*, size_t bytes) { return std::malloc(bytes); }

void MspackFileTable::Free(void* pointer) { std::free(pointer); }

void MspackFileTable::Copy(void* source, void* destination, size_t bytes) {
    std::memmove(destination, source, bytes);
}

}  // namespace zk
