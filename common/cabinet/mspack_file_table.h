// libmspack's I/O table (mspack_system) over a file port of ours, so the
// cabinet decompressor never calls the OS itself and tests see every file it
// touches. The table's plumbing, the seek arithmetic and the bookkeeping of
// failed writes are here; a port says only how a file is opened.
#pragma once

#include <mspack.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace zk {

// An open file as the table sees it.
class MspackStream {
public:
    virtual ~MspackStream() = default;
    virtual std::size_t Read(void* buffer, std::size_t bytes) = 0;
    virtual std::size_t Write(const void* buffer, std::size_t bytes) = 0;
    // To an absolute position; false when it cannot be reached.
    virtual bool SeekTo(std::uint64_t position) = 0;
    virtual bool SeekToEnd() = 0;
    // Negative when the position is unknown.
    virtual std::int64_t Tell() = 0;
    virtual bool Close() = 0;
};

class MspackFileTable {
public:
    MspackFileTable(const MspackFileTable&) = delete;
    MspackFileTable& operator=(const MspackFileTable&) = delete;
    virtual ~MspackFileTable() = default;

    // The table to hand to mspack_create_cab_decompressor.
    mspack_system* Table() { return &table_.base; }

    // What happened to the files opened for writing since the last reset:
    // one could not be created, or a write or its final flush came up short.
    // libmspack reports a short write itself, but not a failed close.
    void ResetWriteState() {
        createFailed_ = false;
        writeFailed_ = false;
    }
    bool CreateFailed() const { return createFailed_; }
    bool WriteFailed() const { return writeFailed_; }

protected:
    MspackFileTable();

    // Opens `filename`, as libmspack was given it, for reading, or creates
    // it for writing. Null when it cannot.
    virtual std::unique_ptr<MspackStream> OpenStream(const char* filename, bool writing) = 0;

private:
    struct PortTable {
        mspack_system base;
        MspackFileTable* owner;
    };

    static mspack_file* Open(mspack_system* self, const char* filename, int mode);
    static void Close(mspack_file* file);
    static int Read(mspack_file* file, void* buffer, int bytes);
    static int Write(mspack_file* file, void* buffer, int bytes);
    static int Seek(mspack_file* file, off_t offset, int mode);
    static off_t Tell(mspack_file* file);
    static void Message(mspack_file* file, const char* format, ...);
    static void* Alloc(mspack_system* self, size_t bytes);
    static void Free(void* pointer);
    static void Copy(void* source, void* destination, size_t bytes);

    PortTable table_;
    bool createFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace zk
