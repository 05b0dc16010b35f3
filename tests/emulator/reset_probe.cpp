// A device program that resets the device halfway through a file: the
// part written before the reset stays, the rest never comes.
#include <windows.h>

#include "device/ce/ce_api.h"

int main() {
    HANDLE file = CreateFileW(L"\\Temp\\zk_reset_probe.txt", GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "before", 6, &written, nullptr);
    zk::ce::DeviceKernelIoControl(zk::ce::CE_IOCTL_HAL_REBOOT, nullptr, 0, nullptr, 0, nullptr);
    WriteFile(file, " after", 6, &written, nullptr);
    CloseHandle(file);
    return 3;
}
