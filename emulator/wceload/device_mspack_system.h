// libmspack's I/O table over the device platform port, so that the emulated
// platform installer reads cabinets and writes their members as device
// files, on whichever platform plays the device. The file names libmspack is
// given are device paths in UTF-8 ("\Temp\App.cab").
#pragma once

#include "common/cabinet/mspack_file_table.h"

namespace zk {

class DevicePlatform;

class DeviceMspackSystem : public MspackFileTable {
public:
    explicit DeviceMspackSystem(DevicePlatform& device) : device_(device) {}

protected:
    std::unique_ptr<MspackStream> OpenStream(const char* filename, bool writing) override;

private:
    DevicePlatform& device_;
};

}  // namespace zk
