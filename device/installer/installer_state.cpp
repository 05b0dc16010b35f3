#include "device/installer/installer_state.h"

#include <cstring>

namespace zk {

void InstallStatus::SetText(std::u16string text) {
    DeviceLockHold hold(lock_);
    text_.swap(text);
}

std::u16string InstallStatus::Text() const {
    DeviceLockHold hold(lock_);
    return text_;
}

// make_unique value-initialises: the record comes zeroed, padding and all.
InstallerState::InstallerState() : project(std::make_unique<Project>()) {
    std::memset(&systemInfo, 0, sizeof systemInfo);
}

int InstallerState::CompatibleCount() const {
    int count = 0;
    for (char c : outcomes) count += c != static_cast<char>(CabinetOutcome::Skipped);
    return count;
}

int InstallerState::FailedCount() const {
    int count = 0;
    for (char c : outcomes) count += c == static_cast<char>(CabinetOutcome::Failed);
    return count;
}

bool InstallerState::CabinetsRemain() const {
    for (char c : outcomes) {
        if (c != static_cast<char>(CabinetOutcome::Installed) &&
            c != static_cast<char>(CabinetOutcome::Skipped))
            return true;
    }
    return false;
}

}  // namespace zk
