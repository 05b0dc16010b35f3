// libmspack's I/O table over the desktop platform port: the cabinet
// decompressor opens, reads and writes files only through FileHandle, so it
// never calls the OS itself, and tests see every file it touches.
#pragma once

#include <mspack.h>

namespace zk {

class DesktopPlatform;

class MspackPortSystem {
public:
    explicit MspackPortSystem(DesktopPlatform& platform);
    MspackPortSystem(const MspackPortSystem&) = delete;
    MspackPortSystem& operator=(const MspackPortSystem&) = delete;

    // The table to hand to mspack_create_cab_decompressor.
    mspack_system* Table() { return &table_.base; }

    // What happened to the files opened for writing since the last Reset:
    // one could not be created, or a write or its final flush came up short.
    // libmspack reports a short write itself, but not a failed close.
    void ResetWriteState() {
        createFailed_ = false;
        writeFailed_ = false;
    }
    bool CreateFailed() const { return createFailed_; }
    bool WriteFailed() const { return writeFailed_; }

private:
    struct PortTable {
        mspack_system base;
        MspackPortSystem* owner;
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
    DesktopPlatform& platform_;
    bool createFailed_ = false;
    bool writeFailed_ = false;
};

}  // namespace zk
