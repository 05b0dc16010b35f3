// The project record: the wizard's whole knowledge of one installer.
//
// The same bytes are the in-memory record, the .paw file (a raw dump, recognised
// by its size alone) and the project section of every device package, so the
// layout is fixed and shared by the desktop wizard and the device installer.
// Integers are little-endian, text is ANSI in NUL-terminated fixed buffers,
// booleans are one byte. Booleans are kept as uint8_t, not bool: a loaded file
// may carry any byte there, and reading such a byte through a bool is undefined.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

inline constexpr std::size_t PROJECT_RECORD_SIZE = 339536;
inline constexpr std::size_t CAB_ENTRY_SIZE = 1316;
inline constexpr int MAX_CABINETS = 256;

#pragma pack(push, 1)

struct CabEntry {
    char path[520];
    char fileName[260];
    char appName[260];
    char provider[260];
    std::uint8_t forPocketPC;
    std::uint8_t forSmartphone;
    std::uint8_t forOs2002;
    std::uint8_t forOs2003;
    std::uint8_t forOs2003SE;
    std::uint8_t forOs2005;
    std::uint8_t forTI;
    std::uint8_t forIntel;
    std::uint8_t forSamsung;
    std::uint8_t reserved[7];
};

struct Project {
    char title[260];
    char company[260];
    std::uint8_t eulaEnabled;
    std::uint8_t readmeEnabled;
    std::uint8_t reserved1[10];
    char eulaPath[520];
    char readmePath[520];
    std::uint8_t showBuildOverview;
    std::uint8_t removableCardOutput;
    std::uint8_t deployDesktopWhenDone;
    std::uint8_t deployMobileWhenDone;
    std::uint8_t platformFilterOn;
    std::uint8_t filterPocketPC;
    std::uint8_t filterSmartphone;
    std::uint8_t osFilterOn;
    std::uint8_t filterOs2002;
    std::uint8_t filterOs2003;
    std::uint8_t filterOs2003SE;
    std::uint8_t filterOs2005;
    std::uint8_t processorFilterOn;
    std::uint8_t filterTI;
    std::uint8_t filterIntel;
    std::uint8_t filterSamsung;
    std::uint8_t addDateToPath;
    std::uint8_t addTitleSubfolder;
    std::uint8_t saveProjectFile;
    char outputFolder[520];
    std::uint8_t splashEnabled;
    char splashPath[520];
    std::uint8_t deviceAdvancedSettings;
    std::uint8_t reserved2[3];
    std::int32_t cabinetCount;
    CabEntry cabinets[MAX_CABINETS];
};

#pragma pack(pop)

static_assert(sizeof(CabEntry) == CAB_ENTRY_SIZE);
static_assert(offsetof(CabEntry, path) == 0);
static_assert(offsetof(CabEntry, fileName) == 520);
static_assert(offsetof(CabEntry, appName) == 780);
static_assert(offsetof(CabEntry, provider) == 1040);
static_assert(offsetof(CabEntry, forPocketPC) == 1300);
static_assert(offsetof(CabEntry, forSmartphone) == 1301);
static_assert(offsetof(CabEntry, forOs2002) == 1302);
static_assert(offsetof(CabEntry, forOs2003) == 1303);
static_assert(offsetof(CabEntry, forOs2003SE) == 1304);
static_assert(offsetof(CabEntry, forOs2005) == 1305);
static_assert(offsetof(CabEntry, forTI) == 1306);
static_assert(offsetof(CabEntry, forIntel) == 1307);
static_assert(offsetof(CabEntry, forSamsung) == 1308);
static_assert(offsetof(CabEntry, reserved) == 1309);

static_assert(sizeof(Project) == PROJECT_RECORD_SIZE);
static_assert(offsetof(Project, title) == 0);
static_assert(offsetof(Project, company) == 260);
static_assert(offsetof(Project, eulaEnabled) == 520);
static_assert(offsetof(Project, readmeEnabled) == 521);
static_assert(offsetof(Project, reserved1) == 522);
static_assert(offsetof(Project, eulaPath) == 532);
static_assert(offsetof(Project, readmePath) == 1052);
static_assert(offsetof(Project, showBuildOverview) == 1572);
static_assert(offsetof(Project, removableCardOutput) == 1573);
static_assert(offsetof(Project, deployDesktopWhenDone) == 1574);
static_assert(offsetof(Project, deployMobileWhenDone) == 1575);
static_assert(offsetof(Project, platformFilterOn) == 1576);
static_assert(offsetof(Project, filterPocketPC) == 1577);
static_assert(offsetof(Project, filterSmartphone) == 1578);
static_assert(offsetof(Project, osFilterOn) == 1579);
static_assert(offsetof(Project, filterOs2002) == 1580);
static_assert(offsetof(Project, filterOs2003) == 1581);
static_assert(offsetof(Project, filterOs2003SE) == 1582);
static_assert(offsetof(Project, filterOs2005) == 1583);
static_assert(offsetof(Project, processorFilterOn) == 1584);
static_assert(offsetof(Project, filterTI) == 1585);
static_assert(offsetof(Project, filterIntel) == 1586);
static_assert(offsetof(Project, filterSamsung) == 1587);
static_assert(offsetof(Project, addDateToPath) == 1588);
static_assert(offsetof(Project, addTitleSubfolder) == 1589);
static_assert(offsetof(Project, saveProjectFile) == 1590);
static_assert(offsetof(Project, outputFolder) == 1591);
static_assert(offsetof(Project, splashEnabled) == 2111);
static_assert(offsetof(Project, splashPath) == 2112);
static_assert(offsetof(Project, deviceAdvancedSettings) == 2632);
static_assert(offsetof(Project, reserved2) == 2633);
static_assert(offsetof(Project, cabinetCount) == 2636);
static_assert(offsetof(Project, cabinets) == 2640);

// The record is written byte for byte, so it only works on a little-endian host.
static_assert(sizeof(std::int32_t) == 4);

// The slots in use. A loaded file is taken as it stands, so its count may lie;
// every loop over the list goes through this bound instead of the raw field.
inline int CabinetCount(const Project& project) {
    if (project.cabinetCount < 0) return 0;
    if (project.cabinetCount > MAX_CABINETS) return MAX_CABINETS;
    return project.cabinetCount;
}

}  // namespace zk
