// A device program that resets the device ends there, with the reset's exit
// code, its files as they were, and one more line in the reset log.
#include "device/ce/ce_api.h"

#include <string>

#include "tests/emulator/emulated_device_fixture.h"

namespace {

using zk::test::ReadFileBytes;

// Runs the probe from the device's root, as Wine names it: the build's host
// path on drive Z:. Its exit code.
int RunProbe() {
    std::string path = "Z:";
    for (const char* c = ZK_RESET_PROBE_EXE; *c; ++c) path += *c == '/' ? '\\' : *c;
    return zk::test::RunProgramIn(path, "C:\\");
}

class EmulatedResetTest : public zk::test::EmulatedDeviceTest {};

TEST_F(EmulatedResetTest, RebootEndsTheProgramAtOnceAndLogsTheReset) {
    DeleteFileW(L"\\Temp\\zk_reset_probe.txt");
    std::string log = ReadFileBytes("\\Windows\\reset.log");

    EXPECT_EQ(RunProbe(), 206);
    EXPECT_EQ(ReadFileBytes("\\Temp\\zk_reset_probe.txt"), "before");
    EXPECT_EQ(ReadFileBytes("\\Windows\\reset.log"), log + "reset\n");

    EXPECT_EQ(RunProbe(), 206);
    EXPECT_EQ(ReadFileBytes("\\Windows\\reset.log"), log + "reset\nreset\n");
    DeleteFileW(L"\\Temp\\zk_reset_probe.txt");
}

TEST_F(EmulatedResetTest, OtherKernelCodesAreRefused) {
    EXPECT_FALSE(zk::ce::DeviceKernelIoControl(0x01010000, nullptr, 0, nullptr, 0, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

}  // namespace
