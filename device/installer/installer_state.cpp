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

InstallerState::InstallerState() : project(std::make_unique<Project>()) {
    std::memset(project.get(), 0, sizeof(Project));
    std::memset(&systemInfo, 0, sizeof systemInfo);
}

}  // namespace zk
