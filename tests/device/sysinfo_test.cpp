// The device facts: classification, the record's bytes, reading it back, and
// the compatibility rule the installer applies to each cabinet.
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "common/utf16_text.h"
#include "device/sysinfo/cabinet_compatibility.h"
#include "device/sysinfo/device_classification.h"
#include "device/sysinfo/system_info_file.h"
#include "tests/support/native_device_platform.h"
#include "tests/support/temp_folder.h"

namespace zk {
namespace {

RawDeviceFacts Facts(int major, int minor, std::u16string platform = u"PocketPC",
                     std::u16string name = u"", std::u16string vendor = u"",
                     std::u16string core = u"ARM") {
    RawDeviceFacts facts;
    facts.versionKnown = true;
    facts.majorVersion = major;
    facts.minorVersion = minor;
    facts.platformTypeKnown = true;
    facts.platformType = platform;
    facts.processorKnown = true;
    facts.processorName = name;
    facts.processorVendor = vendor;
    facts.processorCore = core;
    facts.clockSpeed = 416;
    return facts;
}

std::string Os(const SystemInfoRecord& r) {
    std::string flags;
    if (r.isOs2002) flags += "2002 ";
    if (r.isOs2003) flags += "2003 ";
    if (r.isOs2003SE) flags += "2003SE ";
    if (r.isOs2005) flags += "WM5 ";
    return flags;
}

std::string Family(const SystemInfoRecord& r) {
    return std::string(r.isIntel ? "Intel " : "") + (r.isTI ? "TI " : "") +
           (r.isSamsung ? "Samsung " : "");
}

TEST(ClassifyDeviceTest, VersionPicksAtMostOneOsFlag) {
    EXPECT_EQ(Os(ClassifyDevice(Facts(3, 0))), "2002 ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 0))), "2003 ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 2))), "2003 ");
    // Windows Mobile 2003 reports 4.20 and its Second Edition 4.21.
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 20))), "2003 ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 21))), "2003SE ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 99))), "2003SE ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, 100))), "");
    EXPECT_EQ(Os(ClassifyDevice(Facts(4, -1))), "");
    EXPECT_EQ(Os(ClassifyDevice(Facts(3, 99))), "2002 ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(5, 1))), "WM5 ");
    EXPECT_EQ(Os(ClassifyDevice(Facts(5, 2))), "WM5 ");  // Windows Mobile 6 and 6.5
    EXPECT_EQ(Os(ClassifyDevice(Facts(6, 0))), "");
    EXPECT_EQ(Os(ClassifyDevice(Facts(2, 12))), "");
    RawDeviceFacts unknown = Facts(4, 20);
    unknown.versionKnown = false;
    SystemInfoRecord r = ClassifyDevice(unknown);
    EXPECT_EQ(Os(r), "");
    EXPECT_EQ(r.majorVersion, 0);
}

TEST(ClassifyDeviceTest, PlatformTypeNamesPocketPcOrSmartphone) {
    SystemInfoRecord r = ClassifyDevice(Facts(4, 20, u"PocketPC"));
    EXPECT_TRUE(r.isPocketPC);
    EXPECT_FALSE(r.isSmartPhone);
    r = ClassifyDevice(Facts(4, 20, u"SmartPhone"));
    EXPECT_FALSE(r.isPocketPC);
    EXPECT_TRUE(r.isSmartPhone);
    EXPECT_TRUE(ClassifyDevice(Facts(4, 20, u"smartphone")).isSmartPhone);
    r = ClassifyDevice(Facts(4, 20, u"PocketPC2003"));
    EXPECT_FALSE(r.isPocketPC || r.isSmartPhone);
    RawDeviceFacts failed = Facts(4, 20, u"PocketPC");
    failed.platformTypeKnown = false;
    r = ClassifyDevice(failed);
    EXPECT_FALSE(r.isPocketPC);
    EXPECT_EQ(r.platformType[0], 0);
}

TEST(ClassifyDeviceTest, ProcessorFamilyFirstMatchWins) {
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"PXA270", u"Intel Corporation"))),
              "Intel ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"PXA255", u"TI"))), "Intel ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"ARM920T", u"Intel"))), "Intel ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"x", u"x", u"XScale PXA"))),
              "Intel ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"OMAP850", u""))), "TI ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"ARM926", u"ti"))), "TI ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"S3C2440", u""))), "Samsung ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"SC32442", u""))), "Samsung ");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"a", u"Samsung", u"ARM"))),
              "Samsung ");
    // The fragments are case-sensitive; only whole vendor words ignore case.
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"pxa270", u"Marvell"))), "");
    EXPECT_EQ(Family(ClassifyDevice(Facts(5, 1, u"PocketPC", u"MSM7200", u"Qualcomm"))), "");
}

TEST(SystemInfoRecordTest, WrittenBytesFollowTheLayout) {
    RawDeviceFacts facts = Facts(4, 21, u"PocketPC", u"PXA270", u"Intel", u"ARMv5");
    facts.clockSpeed = 0x01020304;
    unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
    EncodeSystemInfoRecord(ClassifyDevice(facts), bytes);
    auto u32 = [&](std::size_t o) {
        return static_cast<std::uint32_t>(bytes[o] | bytes[o + 1] << 8 | bytes[o + 2] << 16 |
                                          bytes[o + 3] << 24);
    };
    auto text = [&](std::size_t o, std::size_t units) {
        std::u16string t;
        for (std::size_t i = 0; i < units && (bytes[o + 2 * i] | bytes[o + 2 * i + 1]); ++i)
            t += static_cast<char16_t>(bytes[o + 2 * i] | bytes[o + 2 * i + 1] << 8);
        return Utf16ToUtf8(t);
    };
    EXPECT_EQ(u32(0), 4u);
    EXPECT_EQ(u32(4), 21u);
    EXPECT_EQ(std::string(bytes + 8, bytes + 12), std::string("\0\0\1\0", 4));
    EXPECT_EQ(text(12, 64), "PocketPC");
    EXPECT_EQ(bytes[140], 1);
    EXPECT_EQ(bytes[141], 0);
    EXPECT_EQ(text(142, 40), "ARMv5");
    EXPECT_EQ(text(222, 40), "PXA270");
    EXPECT_EQ(text(302, 100), "Intel");
    EXPECT_EQ(u32(504), 0x01020304u);
    EXPECT_EQ(std::string(bytes + 508, bytes + 512), std::string("\1\0\0\0", 4));
    // Every byte past the texts' terminators is zero.
    for (std::size_t o = 12 + 2 * 8; o < 140; ++o) EXPECT_EQ(bytes[o], 0) << o;
    for (std::size_t o = 302 + 2 * 5; o < 504; ++o) EXPECT_EQ(bytes[o], 0) << o;

    // Long texts are cut to their buffers, still terminated.
    facts.processorVendor = std::u16string(150, u'V');
    EncodeSystemInfoRecord(ClassifyDevice(facts), bytes);
    EXPECT_EQ(text(302, 100), std::string(99, 'V'));
    EXPECT_EQ(bytes[500] | bytes[501], 0);
}

TEST(SystemInfoRecordTest, ReaderTakesUpToTheRecordAndZeroesTheRest) {
    test::TempFolder root;
    test::NativeDevicePlatform platform(root.path());
    SystemInfoRecord record;
    std::memset(&record, 0x5A, sizeof record);
    EXPECT_FALSE(ReadSystemInfoFile(platform, SYSTEM_INFO_FILE_PATH, &record));
    EXPECT_EQ(record.isTI, 0x5A);  // left as it was

    unsigned char bytes[SYSTEM_INFO_RECORD_SIZE];
    EncodeSystemInfoRecord(ClassifyDevice(Facts(5, 1, u"SmartPhone", u"OMAP850", u"TI", u"ARM926")),
                           bytes);
    std::filesystem::create_directories(root / "Temp");
    test::WriteFileBytes(root / "Temp/SystemInfo.dat",
                         std::string(reinterpret_cast<char*>(bytes), sizeof bytes) + "extra");
    ASSERT_TRUE(ReadSystemInfoFile(platform, u"\\temp\\systeminfo.dat", &record));
    EXPECT_EQ(SystemInfoLogLine(record),
              u"[SystemInfo] Platform [SmartPhone] majorVersion [5] minorVersion[1] "
              u"Processor [ARM926 OMAP850 TI]");
    EXPECT_TRUE(record.isTI);

    // A short file: everything past its end counts as zero.
    test::WriteFileBytes(root / "Temp/SystemInfo.dat",
                         std::string(reinterpret_cast<char*>(bytes), 100));
    ASSERT_TRUE(ReadSystemInfoFile(platform, SYSTEM_INFO_FILE_PATH, &record));
    EXPECT_EQ(record.majorVersion, 5);
    EXPECT_TRUE(record.isOs2005);
    EXPECT_FALSE(record.isTI);
    EXPECT_EQ(record.processorVendor[0], 0);
}

CabEntry Cabinet(const std::string& flags) {
    CabEntry cabinet;
    std::memset(&cabinet, 0, sizeof cabinet);
    auto has = [&](const char* word) { return flags.find(word) != std::string::npos; };
    cabinet.forPocketPC = has("ppc");
    cabinet.forSmartphone = has("sp");
    cabinet.forOs2002 = has("2002");
    cabinet.forOs2003 = has("2003 ");
    cabinet.forOs2003SE = has("2003SE");
    cabinet.forOs2005 = has("wm5");
    cabinet.forTI = has("ti");
    cabinet.forIntel = has("intel");
    cabinet.forSamsung = has("samsung");
    return cabinet;
}

TEST(IsCabinetCompatibleTest, EveryGroupNeedsOneMatchingPair) {
    const SystemInfoRecord ppc2003se = ClassifyDevice(Facts(4, 21, u"PocketPC", u"PXA270", u""));
    const SystemInfoRecord smartphone = ClassifyDevice(Facts(5, 1, u"SmartPhone", u"S3C2442", u""));
    const SystemInfoRecord wm6 = ClassifyDevice(Facts(6, 0, u"PocketPC", u"PXA270", u""));
    const SystemInfoRecord msm = ClassifyDevice(Facts(5, 2, u"PocketPC", u"MSM7200", u"Qualcomm"));
    SystemInfoRecord unknown;
    std::memset(&unknown, 0, sizeof unknown);
    const char* every = "ppc sp 2002 2003 2003SE wm5 ti intel samsung";
    struct Case {
        const char* cabinet;
        const SystemInfoRecord* device;
        bool withFilter;     // the project's processor filter on
        bool withoutFilter;  // off
    } cases[] = {
        {"ppc 2003SE intel", &ppc2003se, true, true},
        {every, &ppc2003se, true, true},
        {"sp 2003SE intel", &ppc2003se, false, false},       // platform
        {"ppc 2003 wm5 intel", &ppc2003se, false, false},    // OS
        {"ppc 2003SE ti samsung", &ppc2003se, false, true},  // processor
        {"ppc 2003SE", &ppc2003se, false, true},
        {"ppc wm5 samsung", &smartphone, false, false},
        {"sp wm5 samsung", &smartphone, true, true},
        {every, &wm6, false, false},  // no OS flag for 6.0
        {every, &unknown, false, false},
        // A processor of none of the three families: only without the filter.
        {every, &msm, false, true},
        {"ppc wm5", &msm, false, true},
        {"sp wm5", &msm, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cabinet);
        EXPECT_EQ(IsCabinetCompatible(Cabinet(c.cabinet), *c.device, true), c.withFilter);
        EXPECT_EQ(IsCabinetCompatible(Cabinet(c.cabinet), *c.device, false), c.withoutFilter);
    }
}

}  // namespace
}  // namespace zk
