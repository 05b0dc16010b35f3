#include "device/installer/installer_log.h"

#include "common/utf16_text.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"

namespace zk {

InstallerLog::InstallerLog(DevicePlatform& platform)
    : platform_(platform), path_(DEFAULT_LOG_PATH) {}

void InstallerLog::LogLine(std::u16string_view line) {
    const std::string bytes = Utf16ToUtf8(CutText(line, LOG_LINE_UNITS)) + "\n";
    DeviceLockHold hold(lock_);
    std::unique_ptr<DeviceFile> file = platform_.OpenFile(path_, DeviceOpenMode::Append);
    if (!file) return;
    file->Write(bytes.data(), bytes.size());
    file->Close();
}

void InstallerLog::SetPath(std::u16string_view path) {
    DeviceLockHold hold(lock_);
    path_ = CutText(path, DEVICE_TEXT_UNITS);
}

std::u16string InstallerLog::Path() const {
    DeviceLockHold hold(lock_);
    return path_;
}

}  // namespace zk
