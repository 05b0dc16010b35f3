// libmspack's I/O table over the desktop platform port: cabinets are read and
// members written through FileHandle.
#pragma once

#include "common/cabinet/mspack_file_table.h"

namespace zk {

class DesktopPlatform;

class MspackPortSystem : public MspackFileTable {
public:
    explicit MspackPortSystem(DesktopPlatform& platform) : platform_(platform) {}

protected:
    std::unique_ptr<MspackStream> OpenStream(const char* filename, bool writing) override;

private:
    DesktopPlatform& platform_;
};

}  // namespace zk
