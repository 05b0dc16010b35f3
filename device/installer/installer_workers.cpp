#include "device/installer/installer_workers.h"

#include "device/installer/installer_engine.h"

namespace zk {

InstallerWorkers::InstallerWorkers(InstallerSession& session, std::u16string packagePath,
                                   UnpackingWindow* window, std::uint32_t firstSectionOffset)
    : session_(session),
      packagePath_(std::move(packagePath)),
      window_(window),
      offset_(firstSectionOffset) {}

InstallerWorkers::~InstallerWorkers() {
    WaitForUnpacking();
    WaitForInstallation();
}

void InstallerWorkers::StartUnpacking() {
    if (unpacking_.joinable()) return;
    unpacking_ = std::thread([this] { SystemInfo(session_, packagePath_, window_, offset_); });
}

void InstallerWorkers::WaitForUnpacking() {
    if (unpacking_.joinable()) unpacking_.join();
}

void InstallerWorkers::StartInstallation() {
    if (installation_.joinable()) return;
    WaitForUnpacking();
    installation_ = std::thread([this] { InstallerThread(session_); });
}

void InstallerWorkers::WaitForInstallation() {
    if (installation_.joinable()) installation_.join();
}

}  // namespace zk
