#include "device/installer/package_unpacking.h"

#include <cstring>

#include "common/fixed_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_check.h"
#include "device/installer/package_sections.h"
#include "device/sysinfo/system_info_file.h"

namespace zk {
namespace {

constexpr char16_t ROUTINE[] = u"SystemInfo";

void LoadProject(InstallerSession& session, std::u16string_view path) {
    std::unique_ptr<DeviceFile> file = session.platform.OpenFile(path, DeviceOpenMode::Read);
    if (!file) return;
    Project& project = *session.state.project;
    std::memset(&project, 0, sizeof project);
    unsigned char* bytes = reinterpret_cast<unsigned char*>(&project);
    std::size_t length = 0;
    while (length < sizeof project) {
        std::size_t n = file->Read(bytes + length, sizeof project - length);
        if (n == 0) break;
        length += n;
    }
    file->Close();
    session.platform.RemoveFile(path);
    if (length < sizeof project) {
        session.state.damage.sections.fetch_add(1);
        session.log.LogLine(FormatText(u"[%s] Damaged package: the project holds %d of %d bytes",
                                       {ROUTINE, NumberText(static_cast<std::int64_t>(length)),
                                        NumberText(static_cast<std::int64_t>(sizeof project))}));
    }
}

// Nothing is installed from a package whose own files the device cannot
// hold: the cabinets need far more room than these.
void EndForWantOfRoom(InstallerSession& session) {
    session.state.damage.whole = false;
    session.log.LogLine(FormatText(
        u"[%s] Not enough storage to unpack the package: nothing is installed", {ROUTINE}));
}

// The leading sections are read; the rest is walked without unpacking it,
// and the stream put back where it stood.
void CheckTheRest(InstallerSession& session, std::uint64_t length) {
    InstallerState& state = session.state;
    std::uint64_t at = 0;
    if (state.damage.OnlyWantOfRoom()) return EndForWantOfRoom(session);
    const bool leadWhole = !state.damage.unreadable && state.damage.sections == 0;
    if (leadWhole && state.packageStream->Tell(&at)) {
        const PackageCheck check = CheckPackage(session.platform, *state.packageStream, at, length,
                                                *state.project, state.sectionsTaken + 1);
        state.packageStream->Seek(static_cast<std::int64_t>(at), DeviceSeek::Start);
        if (check.whole) {
            state.cabinetSections = check.cabinets;
            if (check.signatureBytes > 0 && state.preferences.debugLog) {
                session.log.LogLine(FormatText(
                    u"[%s] Signed: %d bytes of certificate table",
                    {ROUTINE, NumberText(static_cast<std::int64_t>(check.signatureBytes))}));
            }
            return;
        }
        session.log.LogLine(FormatText(u"[%s] Damaged package: %s", {ROUTINE, check.fault}));
    }
    state.damage.whole = false;
    session.log.LogLine(
        FormatText(u"[%s] The package is incomplete or damaged: nothing is installed", {ROUTINE}));
}

}  // namespace

void BuildProjectTexts(InstallerState& state) {
    const std::u16string company = AnsiToUtf16(TextOf(state.project->company));
    const std::u16string title = AnsiToUtf16(TextOf(state.project->title));
    state.readyText = CutText(FormatText(READY_PATTERN, {company, title}), DEVICE_TEXT_UNITS);
    state.doneText = CutText(FormatText(DONE_PATTERN, {company, title}), DEVICE_TEXT_UNITS);
    state.windowTitle = CutText(FormatText(TITLE_PATTERN, {company, title}), DEVICE_TEXT_UNITS);
}

int SystemInfo(InstallerSession& session, std::u16string_view packagePath, UnpackingWindow* window,
               std::uint32_t firstSectionOffset) {
    InstallerState& state = session.state;
    DevicePlatform& platform = session.platform;

    state.packageStream = platform.OpenFile(packagePath, DeviceOpenMode::Read);
    if (!state.packageStream) {
        state.damage.unreadable = true;
        state.damage.whole = false;
        session.log.LogLine(
            FormatText(u"[%s] Cannot open the package [%s]", {ROUTINE, packagePath}));
        if (window) window->UnpackingEnded();
        return 1;
    }
    std::uint64_t length = 0;
    if (!state.packageStream->Seek(0, DeviceSeek::End) || !state.packageStream->Tell(&length) ||
        !state.packageStream->Seek(firstSectionOffset, DeviceSeek::Start)) {
        length = 0;
    }
    if (length <= firstSectionOffset) {
        // Shorter than the stub itself: no section can follow. Reading on
        // reports each one as missing.
        state.damage.unreadable = true;
        session.log.LogLine(
            FormatText(u"[%s] Damaged package: [%s] is %d bytes, no longer than its program",
                       {ROUTINE, packagePath, NumberText(static_cast<std::int64_t>(length))}));
    }

    PackageSections sections(session, ROUTINE);

    // Each leading section taken and unpacked; whether the storage took it.
    auto take = [&](std::u16string_view zip, std::u16string_view role) {
        sections.Take(zip, role);
        UnpackedSection unpacked = sections.Unpack(zip);
        if (sections.Unwritten()) state.damage.noRoom = true;
        return unpacked;
    };

    take(SYSTEM_INFO_ZIP, u"system information");
    platform.StartProgramAndWait(SYSTEM_INFO_TOOL, u"");
    platform.RemoveFile(SYSTEM_INFO_TOOL);

    bool whole = false;
    if (ReadSystemInfoFile(platform, SYSTEM_INFO_OUTPUT, &state.systemInfo, &whole)) {
        platform.RemoveFile(SYSTEM_INFO_OUTPUT);
    }
    state.systemInfoKnown = whole;
    session.log.LogLine(SystemInfoLogLine(state.systemInfo));

    const UnpackedSection projectSection = take(PROJECT_ZIP, u"project");
    if (!projectSection.paths.empty()) LoadProject(session, projectSection.paths.back());

    BuildProjectTexts(state);
    if (window) window->SetTitle(state.windowTitle);

    const Project& project = *state.project;
    CheckTheRest(session, length);
    if (!state.damage.whole) {
        // Nothing of a damaged package is shown or installed.
        if (window) window->UnpackingEnded();
        return 1;
    }
    if (project.splashEnabled) {
        state.splashFilePath = take(SPLASH_ZIP, u"splash").lastPath;
        if (window && !state.splashFilePath.empty()) window->ShowSplash(state.splashFilePath);
    }
    if (project.eulaEnabled) state.eulaFilePath = take(EULA_ZIP, u"EULA").lastPath;
    if (project.readmeEnabled) state.readMeFilePath = take(README_ZIP, u"read-me").lastPath;
    // Without its EULA or read-me the installer cannot show what it must.
    if (state.damage.noRoom) EndForWantOfRoom(session);
    if (window) window->UnpackingEnded();
    return 1;
}

}  // namespace zk
