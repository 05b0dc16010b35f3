// SystemInfo.exe on the emulated device: a profile in the registry of the
// emulation layer, the tool started the way the installer starts it (no
// arguments, the current folder on the device's drive), and the 512-byte
// record it leaves in "\Temp\SystemInfo.dat" read back field by field.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "emulator/ce/emulated_device_profile.h"
#include "tests/support/temp_folder.h"

namespace {

struct Profile {
    const char* label;
    // Null: the value is not in the profile.
    const DWORD* major;
    const DWORD* minor;
    const wchar_t* platform;
    const wchar_t* core;
    const wchar_t* name;
    const wchar_t* vendor;
    DWORD clock;
    const wchar_t* fail;
};

struct Expected {
    std::int32_t major, minor;
    int os2002, os2003, os2003SE, os2005;
    std::u16string platform;
    int pocketPC, smartPhone;
    std::u16string core, name, vendor;
    std::uint32_t clock;
    int intel, ti, samsung;
};

std::string ToolPath() {
    char full[MAX_PATH];
    GetFullPathNameA(ZK_SYSTEM_INFO_EXE, MAX_PATH, full, nullptr);
    return full;
}

class SystemInfoToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY);
        CreateDirectoryA("C:\\Temp", nullptr);
        DeleteFileA(recordPath_);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY);
        DeleteFileA(recordPath_);
    }

    void Store(const Profile& p) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, zk::ce::EMULATED_DEVICE_KEY, 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        auto text = [&](const wchar_t* value, const wchar_t* data) {
            if (data)
                RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                               static_cast<DWORD>((wcslen(data) + 1) * sizeof(wchar_t)));
        };
        auto number = [&](const wchar_t* value, const DWORD* data) {
            if (data)
                RegSetValueExW(key, value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(data),
                               sizeof *data);
        };
        number(L"MajorVersion", p.major);
        number(L"MinorVersion", p.minor);
        text(L"PlatformType", p.platform);
        text(L"ProcessorCore", p.core);
        text(L"ProcessorName", p.name);
        text(L"ProcessorVendor", p.vendor);
        number(L"ClockSpeed", &p.clock);
        text(L"Fail", p.fail);
        RegCloseKey(key);
    }

    // Runs the tool from the device's drive and returns its exit code.
    int RunTool() { return zk::test::RunProgramIn(ToolPath(), "C:\\"); }

    std::string Record() {
        std::ifstream in(recordPath_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    const char* recordPath_ = "C:\\Temp\\SystemInfo.dat";
};

std::uint32_t U32(const std::string& b, std::size_t o) {
    std::uint32_t v;
    std::memcpy(&v, b.data() + o, 4);
    return v;
}

// The text of a zero-terminated UTF-16 field; every unit after the
// terminator must be zero too.
std::u16string Text(const std::string& b, std::size_t offset, std::size_t units) {
    std::u16string text;
    std::size_t i = 0;
    for (; i < units; ++i) {
        char16_t c = static_cast<char16_t>(static_cast<unsigned char>(b[offset + 2 * i]) |
                                           static_cast<unsigned char>(b[offset + 2 * i + 1]) << 8);
        if (c == 0) break;
        text += c;
    }
    EXPECT_LT(i, units) << "no terminator in the field at " << offset;
    for (std::size_t z = offset + 2 * i; z < offset + 2 * units; ++z)
        EXPECT_EQ(b[z], 0) << "byte " << z << " after the text at " << offset;
    return text;
}

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

void ExpectRecord(const std::string& b, const Expected& e) {
    ASSERT_EQ(b.size(), 512u);
    EXPECT_EQ(static_cast<std::int32_t>(U32(b, 0)), e.major);
    EXPECT_EQ(static_cast<std::int32_t>(U32(b, 4)), e.minor);
    EXPECT_EQ(b[8], e.os2002) << "isOs2002";
    EXPECT_EQ(b[9], e.os2003) << "isOs2003";
    EXPECT_EQ(b[10], e.os2003SE) << "isOs2003SE";
    EXPECT_EQ(b[11], e.os2005) << "isOs2005";
    EXPECT_EQ(Narrow(Text(b, 12, 64)), Narrow(e.platform)) << "platformType";
    EXPECT_EQ(b[140], e.pocketPC) << "isPocketPC";
    EXPECT_EQ(b[141], e.smartPhone) << "isSmartPhone";
    EXPECT_EQ(Narrow(Text(b, 142, 40)), Narrow(e.core)) << "processorCore";
    EXPECT_EQ(Narrow(Text(b, 222, 40)), Narrow(e.name)) << "processorName";
    EXPECT_EQ(Narrow(Text(b, 302, 100)), Narrow(e.vendor)) << "processorVendor";
    EXPECT_EQ(b[502], 0);
    EXPECT_EQ(b[503], 0);
    EXPECT_EQ(U32(b, 504), e.clock) << "clockSpeed";
    EXPECT_EQ(b[508], e.intel) << "isIntel";
    EXPECT_EQ(b[509], e.ti) << "isTI";
    EXPECT_EQ(b[510], e.samsung) << "isSamsung";
    EXPECT_EQ(b[511], 0);
}

const DWORD V0 = 0, V1 = 1, V2 = 2, V3 = 3, V4 = 4, V5 = 5, V6 = 6, V20 = 20, V21 = 21;

TEST_F(SystemInfoToolTest, ClassifiesTheProfilesOfTheDeviceRange) {
    struct Case {
        Profile profile;
        Expected expected;
    };
    const Case cases[] = {
        {{"Pocket PC 2002, TI OMAP", &V3, &V0, L"PocketPC", L"ARM925T", L"OMAP710",
          L"Texas Instruments", 168, nullptr},
         {3, 0, 1, 0, 0, 0, u"PocketPC", 1, 0, u"ARM925T", u"OMAP710", u"Texas Instruments", 168, 0,
          1, 0}},
        {{"Smartphone 2003, vendor TI on a PXA255: Intel wins", &V4, &V2, L"SmartPhone", L"ARMV4",
          L"PXA255", L"TI", 200, nullptr},
         {4, 2, 0, 1, 0, 0, u"SmartPhone", 0, 1, u"ARMV4", u"PXA255", u"TI", 200, 1, 0, 0}},
        {{"Pocket PC 2003 (4.20), Samsung S3C2440", &V4, &V20, L"PocketPC", L"ARM920T", L"S3C2440",
          L"SAMSUNG", 400, nullptr},
         {4, 20, 0, 1, 0, 0, u"PocketPC", 1, 0, u"ARM920T", u"S3C2440", u"SAMSUNG", 400, 0, 0, 1}},
        {{"Windows Mobile 5 (5.1), Intel Corporation PXA270", &V5, &V1, L"PocketPC", L"ARMV5TE",
          L"PXA270", L"Intel Corporation", 624, nullptr},
         {5, 1, 0, 0, 0, 1, u"PocketPC", 1, 0, u"ARMV5TE", u"PXA270", u"Intel Corporation", 624, 1,
          0, 0}},
        {{"WM 5 Smartphone, Samsung by the core name SC3", &V5, &V2, L"SmartPhone", L"SC32442",
          L"ARM920T", L"Unknown", 300, nullptr},
         {5, 2, 0, 0, 0, 1, u"SmartPhone", 0, 1, u"SC32442", u"ARM920T", u"Unknown", 300, 0, 0, 1}},
        {{"version 6.0 and an unknown processor: no flags", &V6, &V0, L"Unknown", L"ARMV6",
          L"MSM7200", L"Qualcomm", 400, nullptr},
         {6, 0, 0, 0, 0, 0, u"Unknown", 0, 0, u"ARMV6", u"MSM7200", u"Qualcomm", 400, 0, 0, 0}},
        {{"names are matched exactly: lower-case pxa is no Intel", &V4, &V21, L"pocketpc", L"arm",
          L"pxa270", L"Acme", 1, nullptr},
         {4, 21, 0, 0, 1, 0, u"pocketpc", 1, 0, u"arm", u"pxa270", u"Acme", 1, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile.label);
        SetUp();
        Store(c.profile);
        EXPECT_EQ(RunTool(), 0);
        ExpectRecord(Record(), c.expected);
    }
}

TEST_F(SystemInfoToolTest, WithoutAProfileTheDefaultDeviceIsReported) {
    EXPECT_EQ(RunTool(), 0);
    ExpectRecord(Record(), {4, 21, 0, 0, 1, 0, u"PocketPC", 1, 0, u"ARMV5TE", u"PXA270", u"Intel",
                            520, 1, 0, 0});
}

TEST_F(SystemInfoToolTest, FailedCallsLeaveTheirFieldsZero) {
    Store({"every call fails", &V5, &V1, L"PocketPC", L"ARMV5TE", L"PXA270", L"Intel", 624,
           L"Version, PlatformType,Processor"});
    EXPECT_EQ(RunTool(), 0);
    ExpectRecord(Record(), {0, 0, 0, 0, 0, 0, u"", 0, 0, u"", u"", u"", 0, 0, 0, 0});

    // Only the processor: the version and the platform still arrive.
    Store({"the processor call fails", &V5, &V1, L"PocketPC", L"ARMV5TE", L"PXA270", L"Intel", 624,
           L"Processor"});
    EXPECT_EQ(RunTool(), 0);
    ExpectRecord(Record(), {5, 1, 0, 0, 0, 1, u"PocketPC", 1, 0, u"", u"", u"", 0, 0, 0, 0});
}

TEST_F(SystemInfoToolTest, WithoutTheTempFolderNothingIsWritten) {
    RemoveDirectoryA("C:\\Temp");
    if (GetFileAttributesA("C:\\Temp") != INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "C:\\Temp holds other files";
    EXPECT_EQ(RunTool(), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\Temp"), INVALID_FILE_ATTRIBUTES);
    CreateDirectoryA("C:\\Temp", nullptr);
}

}  // namespace
