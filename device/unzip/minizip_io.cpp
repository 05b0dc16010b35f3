#include "device/unzip/minizip_io.h"

#include "device/unzip/byte_source.h"

namespace zk {
namespace {

voidpf ZCALLBACK OpenSource(voidpf, const void* name, int mode) {
    if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
    return const_cast<void*>(name);
}

uLong ZCALLBACK ReadSource(voidpf, voidpf stream, void* buffer, uLong size) {
    return static_cast<uLong>(static_cast<ByteSource*>(stream)->Read(buffer, size));
}

uLong ZCALLBACK WriteSource(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellSource(voidpf, voidpf stream) {
    return static_cast<ByteSource*>(stream)->Tell();
}

long ZCALLBACK SeekSource(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    DeviceSeek from;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: from = DeviceSeek::Start; break;
    case ZLIB_FILEFUNC_SEEK_CUR: from = DeviceSeek::Current; break;
    case ZLIB_FILEFUNC_SEEK_END: from = DeviceSeek::End; break;
    default: return -1;
    }
    // Offsets from the current position or the end travel as unsigned
    // values; two's complement brings a negative one back.
    bool done = static_cast<ByteSource*>(stream)->Seek(static_cast<std::int64_t>(offset), from);
    return done ? 0 : -1;
}

int ZCALLBACK CloseSource(voidpf, voidpf) { return 0; }

int ZCALLBACK SourceError(voidpf, voidpf stream) {
    return static_cast<ByteSource*>(stream)->lastReadShort() ? 1 : 0;
}

}  // namespace

void FillByteSourceFunctions(zlib_filefunc64_def* functions) {
    functions->zopen64_file = OpenSource;
    functions->zread_file = ReadSource;
    functions->zwrite_file = WriteSource;
    functions->ztell64_file = TellSource;
    functions->zseek64_file = SeekSource;
    functions->zclose_file = CloseSource;
    functions->zerror_file = SourceError;
    functions->opaque = nullptr;
}

}  // namespace zk
