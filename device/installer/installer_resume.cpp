#include "device/installer/installer_resume.h"

#include <zlib.h>

#include <vector>

#include "common/little_endian.h"
#include "common/package_layout.h"
#include "device/installer/installer_texts.h"

namespace zk {

PackageIdentity ReadPackageIdentity(DevicePlatform& platform, std::u16string_view packagePath,
                                    std::uint32_t firstSectionOffset) {
    PackageIdentity identity;
    std::unique_ptr<DeviceFile> file = platform.OpenFile(packagePath, DeviceOpenMode::Read);
    std::uint64_t length = 0;
    if (!file || !file->Seek(0, DeviceSeek::End) || !file->Tell(&length)) return identity;
    // The system-information section, then the project's.
    unsigned char count[SECTION_HEADER_SIZE];
    if (!file->Seek(firstSectionOffset, DeviceSeek::Start) ||
        file->Read(count, sizeof count) != sizeof count ||
        !file->Seek(GetU32(count), DeviceSeek::Current) ||
        file->Read(count, sizeof count) != sizeof count)
        return identity;
    std::uint64_t left = GetU32(count);
    uLong crc = crc32(0L, Z_NULL, 0);
    std::vector<unsigned char> block(16 * 1024);
    while (left > 0) {
        const std::size_t want =
            left < block.size() ? static_cast<std::size_t>(left) : block.size();
        const std::size_t got = file->Read(block.data(), want);
        if (got == 0) return identity;
        crc = crc32(crc, block.data(), static_cast<uInt>(got));
        left -= got;
    }
    identity.length = length;
    identity.projectCrc = static_cast<std::uint32_t>(crc);
    return identity;
}

void RestoreState(InstallerSession& session) {
    InstallerState& state = session.state;
    state.page = PAGE_WELCOME;
    state.resumeIndex = 0;
    SavedState saved;
    if (!session.stateFile.Load(&saved)) return;
    if (saved.full && !(saved.package == state.package)) {
        // Left by another package (or by this one before it was damaged):
        // nothing of it applies here.
        session.stateFile.Remove();
        return;
    }
    if (saved.page != PAGE_INSTALLATION) return;
    state.page = PAGE_INSTALLATION;
    if (!saved.full) {
        state.resumeIndex = saved.index < 0            ? 0
                            : saved.index == INT32_MAX ? INT32_MAX
                                                       : saved.index + 1;
        return;
    }
    state.outcomes = saved.cabinets;
    state.preferences = saved.preferences;
    if (!saved.preferences.logPath.empty()) session.log.SetPath(saved.preferences.logPath);
}

void BeginInstallation(InstallerSession& session) {
    InstallerState& state = session.state;
    state.installationStarted = true;
    if (state.preferences.resumeOnReset) {
        SaveProgress(session, PAGE_INSTALLATION, state.resumeIndex);
        return;
    }
    session.stateFile.Remove();
    if (!state.startupShortcutPath.empty()) session.platform.RemoveFile(state.startupShortcutPath);
}

bool SaveProgress(InstallerSession& session, int page, int index) {
    const InstallerState& state = session.state;
    SavedState saved;
    saved.page = page;
    saved.index = index;
    saved.package = state.package;
    saved.cabinets = state.outcomes;
    static_cast<Preferences&>(saved.preferences) = state.preferences;
    saved.preferences.logPath = session.log.Path();
    return session.stateFile.Save(saved);
}

}  // namespace zk
