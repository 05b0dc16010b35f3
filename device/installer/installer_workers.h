// The installer's two worker threads. The unpacking thread starts with the
// main window; the installation thread starts from Start and must not touch
// the package stream, the project or the device facts before the unpacking
// has ended. Start waits for it: the pages after the welcome page need the
// unpacked files too, so Next and Start both wait (a moment on a healthy
// package) rather than going on with empty paths.
#pragma once

#include <cstdint>
#include <string>

#include "common/package_layout.h"
#include "device/installer/installer_state.h"
#include "device/installer/package_unpacking.h"
#include "device/platform/device_threads.h"

namespace zk {

// What the page flow asks of the workers; tests give a double.
class InstallerWork {
public:
    virtual ~InstallerWork() = default;
    virtual void StartUnpacking() = 0;
    // Returns once the unpacking thread has ended (at once when it never
    // started).
    virtual void WaitForUnpacking() = 0;
    // Starts the installation thread once unpacking has ended. It runs once
    // per run: a second call does nothing.
    virtual void StartInstallation() = 0;
    // Returns once the installation thread has ended (at once when it never
    // started).
    virtual void WaitForInstallation() = 0;
};

class InstallerWorkers : public InstallerWork {
public:
    InstallerWorkers(InstallerSession& session, std::u16string packagePath, UnpackingWindow* window,
                     std::uint32_t firstSectionOffset = MOBILE_STUB_FIRST_SECTION_OFFSET);
    // Waits for both threads.
    ~InstallerWorkers() override;
    InstallerWorkers(const InstallerWorkers&) = delete;
    InstallerWorkers& operator=(const InstallerWorkers&) = delete;

    // The window the unpacking tells, when it is made after the workers.
    void SetWindow(UnpackingWindow* window) { window_ = window; }

    void StartUnpacking() override;
    void WaitForUnpacking() override;
    void StartInstallation() override;
    void WaitForInstallation() override;

private:
    InstallerSession& session_;
    std::u16string packagePath_;
    UnpackingWindow* window_;
    std::uint32_t offset_;
    static void Unpack(void* workers);
    static void Install(void* workers);

    DeviceThread unpacking_;
    DeviceThread installation_;
    bool unpackingEnded_ = false;
    bool installationStarted_ = false;
};

}  // namespace zk
