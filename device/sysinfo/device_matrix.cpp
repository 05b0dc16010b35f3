#include "device/sysinfo/device_matrix.h"

#include "device/sysinfo/cabinet_compatibility.h"

namespace zk {
namespace {

struct OsFacts {
    const char* name;
    std::int32_t major;
    std::int32_t minor;
};

struct ProcessorFacts {
    const char* family;
    const char16_t* core;
    const char16_t* name;
    const char16_t* vendor;
};

// Versions real devices of each OS report; 2003 is 4.20, its Second Edition
// 4.21, and Windows Mobile 5 devices report 5.1.
constexpr OsFacts OSES[] = {{"2002", 3, 0}, {"2003", 4, 20}, {"2003 SE", 4, 21}, {"WM 5", 5, 1}};

constexpr ProcessorFacts PROCESSORS[] = {
    {"Intel", u"ARMV5TE", u"PXA270", u"Intel Corporation"},
    {"TI", u"ARM926EJ-S", u"OMAP850", u"Texas Instruments"},
    {"Samsung", u"ARM920T", u"S3C2440", u"Samsung"},
    {"other", u"ARM1136EJ-S", u"MSM7200", u"Qualcomm"},
};

std::vector<DeviceKind> MakeKinds() {
    std::vector<DeviceKind> kinds;
    const std::pair<const char*, const char16_t*> platforms[] = {{"Pocket PC", u"PocketPC"},
                                                                 {"Smartphone", u"SmartPhone"}};
    for (const auto& platform : platforms) {
        for (const OsFacts& os : OSES) {
            for (const ProcessorFacts& cpu : PROCESSORS) {
                DeviceKind kind{platform.first, os.name, cpu.family, {}};
                kind.facts.versionKnown = true;
                kind.facts.majorVersion = os.major;
                kind.facts.minorVersion = os.minor;
                kind.facts.platformTypeKnown = true;
                kind.facts.platformType = platform.second;
                kind.facts.processorKnown = true;
                kind.facts.processorCore = cpu.core;
                kind.facts.processorName = cpu.name;
                kind.facts.processorVendor = cpu.vendor;
                kind.facts.clockSpeed = 400;
                kinds.push_back(kind);
            }
        }
    }
    return kinds;
}

}  // namespace

std::string DeviceKind::Label() const {
    return std::string(platform) + " " + os + ", " + processor +
           (std::string(processor) == "other" ? " processor" : "");
}

const std::vector<DeviceKind>& DeviceKinds() {
    static const std::vector<DeviceKind> kinds = MakeKinds();
    return kinds;
}

DeviceMatrix MakeDeviceMatrix(const Project& project) {
    DeviceMatrix matrix;
    const std::vector<DeviceKind>& kinds = DeviceKinds();
    std::vector<SystemInfoRecord> records;
    for (const DeviceKind& kind : kinds) records.push_back(ClassifyDevice(kind.facts));
    std::vector<bool> any(kinds.size(), false);
    for (int c = 0; c < CabinetCount(project); ++c) {
        std::vector<bool> row(kinds.size());
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            row[k] = IsCabinetCompatible(project.cabinets[c], records[k],
                                         project.processorFilterOn != 0);
            if (row[k]) any[k] = true;
        }
        matrix.installs.push_back(std::move(row));
    }
    for (std::size_t k = 0; k < kinds.size(); ++k)
        if (!any[k]) matrix.installsNothing.push_back(static_cast<int>(k));
    return matrix;
}

}  // namespace zk
