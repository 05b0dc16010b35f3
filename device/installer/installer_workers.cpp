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

void InstallerWorkers::Unpack(void* workers) {
    auto* self = static_cast<InstallerWorkers*>(workers);
    SystemInfo(self->session_, self->packagePath_, self->window_, self->offset_);
}

void InstallerWorkers::Install(void* workers) {
    InstallerThread(static_cast<InstallerWorkers*>(workers)->session_);
}

void InstallerWorkers::StartUnpacking() {
    if (unpacking_.Started() || unpackingEnded_) return;
    // Without a thread the package is unpacked here: the pages need it.
    if (!unpacking_.Start(Unpack, this)) Unpack(this);
}

void InstallerWorkers::WaitForUnpacking() {
    if (unpacking_.Started()) {
        unpacking_.Join();
        unpackingEnded_ = true;
    }
}

void InstallerWorkers::StartInstallation() {
    if (installation_.Started() || installationStarted_) return;
    WaitForUnpacking();
    installationStarted_ = true;
    if (!installation_.Start(Install, this)) Install(this);
}

void InstallerWorkers::WaitForInstallation() { installation_.Join(); }

}  // namespace zk
