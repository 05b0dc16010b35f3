#include "device/sysinfo/cabinet_compatibility.h"

namespace zk {

bool IsCabinetCompatible(const CabEntry& cabinet, const SystemInfoRecord& systemInfo,
                         bool processorFilterOn) {
    auto both = [](std::uint8_t a, std::uint8_t b) { return a != 0 && b != 0; };
    bool platform = both(cabinet.forPocketPC, systemInfo.isPocketPC) ||
                    both(cabinet.forSmartphone, systemInfo.isSmartPhone);
    bool os = both(cabinet.forOs2002, systemInfo.isOs2002) ||
              both(cabinet.forOs2003, systemInfo.isOs2003) ||
              both(cabinet.forOs2003SE, systemInfo.isOs2003SE) ||
              both(cabinet.forOs2005, systemInfo.isOs2005);
    bool processor = !processorFilterOn || both(cabinet.forIntel, systemInfo.isIntel) ||
                     both(cabinet.forTI, systemInfo.isTI) ||
                     both(cabinet.forSamsung, systemInfo.isSamsung);
    return platform && os && processor;
}

}  // namespace zk
