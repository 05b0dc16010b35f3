#include "delivery/device_words.h"

#include <cstdint>

#include "common/fixed_text.h"
#include "device/sysinfo/device_matrix.h"

namespace zk {
namespace {

// DeviceKinds() varies the processor fastest, then the OS, then the platform.
constexpr std::size_t PROCESSOR_COUNT = 4;

std::string CabinetWords(const CabEntry& entry) {
    const std::string app = TextOf(entry.appName);
    return app.empty() ? TextOf(entry.fileName) : app;
}

}  // namespace

std::vector<DeviceLine> WhatDevicesGet(const Project& project) {
    const DeviceMatrix matrix = MakeDeviceMatrix(project);
    const std::vector<DeviceKind>& kinds = DeviceKinds();
    std::vector<DeviceLine> lines;
    for (std::size_t first = 0; first + PROCESSOR_COUNT <= kinds.size(); first += PROCESSOR_COUNT) {
        const std::string devices = std::string(kinds[first].platform) + " " + kinds[first].os;
        std::vector<std::string> processors;  // of each line below, in the matrix's order
        std::vector<DeviceLine> same;
        for (std::size_t k = first; k < first + PROCESSOR_COUNT; ++k) {
            DeviceLine line{devices, {}};
            for (int c = 0; c < CabinetCount(project); ++c)
                if (matrix.installs[c][k])
                    line.cabinets.push_back(CabinetWords(project.cabinets[c]));
            std::size_t at = 0;
            while (at < same.size() && same[at].cabinets != line.cabinets) ++at;
            if (at == same.size()) {
                same.push_back(std::move(line));
                processors.push_back(kinds[k].processor);
            } else {
                processors[at] += std::string(", ") + kinds[k].processor;
            }
        }
        for (std::size_t i = 0; i < same.size(); ++i) {
            if (same.size() > 1) {
                const std::string& p = processors[i];
                const bool other = p.size() >= 5 && p.compare(p.size() - 5, 5, "other") == 0;
                same[i].devices += " (" + p + (other ? " processors)" : ")");
            }
            lines.push_back(std::move(same[i]));
        }
    }
    return lines;
}

std::string InWords(const DeviceLine& line, std::size_t most) {
    const std::size_t count = line.cabinets.size();
    std::string words = line.devices + ": ";
    if (count == 0) return words + "nothing";
    if (most == 0) return words + std::to_string(count) + (count == 1 ? " program" : " programs");
    for (std::size_t i = 0; i < count && i < most; ++i) words += (i ? ", " : "") + line.cabinets[i];
    if (count > most) words += " and " + std::to_string(count - most) + " more";
    return words;
}

}  // namespace zk
