// libmspack's I/O table over the device platform port, so that the emulated
// platform installer reads cabinets and writes their members as device
// files, on whichever platform plays the device. The file names libmspack is
// given are device paths in UTF-8 ("\Temp\App.cab").
#pragma once

#include <mspack.h>

namespace zk {

class DevicePlatform;

class DeviceMspackSystem {
public:
    explicit DeviceMspackSystem(DevicePlatform& device);
    DeviceMspackSystem(const DeviceMspackSystem&) = delete;
    DeviceMspackSystem& operator=(const DeviceMspackSystem&) = delete;

    // The table to hand to mspack_create_cab_decompressor.
    mspack_system* Table() { return &table_.base; }

    // Whether a file written since the last reset lost data on its way:
    // libmspack reports a short write itself, but not a failed close.
    void ResetWriteState() { writeFailed_ = false; }
    bool WriteFailed() const { return writeFailed_; }

private:
    struct PortTable {
        mspack_system base;
        DeviceMspackSystem* owner;
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
    DevicePlatform& device_;
    bool writeFailed_ = false;
};

}  // namespace zk
