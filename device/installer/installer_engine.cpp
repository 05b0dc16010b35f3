#include "device/installer/installer_engine.h"

#include "common/fixed_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_sections.h"
#include "device/sysinfo/cabinet_compatibility.h"

namespace zk {
namespace {

constexpr char16_t ROUTINE[] = u"InstallerThread";

void Report(InstallerSession& session, int index, std::u16string_view name,
            InstallObserver::Outcome outcome, std::u16string_view commandLine = {}) {
    if (session.observer) session.observer->OnCabinet(index, name, outcome, commandLine);
}

}  // namespace

std::u16string InstallOptions(bool isOs2005, bool overrideInstallPath, bool silentInstall) {
    if (silentInstall) return OPTION_NOUI;
    if (isOs2005) return u"";
    return overrideInstallPath ? OPTION_NOASKDEST : OPTION_ASKDEST;
}

std::u16string QuotedCabinetPath(std::u16string_view name) {
    return u"\"" + std::u16string(UNPACK_FOLDER) + u"\\" + std::u16string(name) + u"\"";
}

void RegistryEntry(InstallerSession& session, std::u16string_view valueName,
                   std::u16string_view folder, std::u16string_view subfolder) {
    const std::u16string joined = FormatText(u"%s%s", {folder, subfolder});
    session.platform.WriteRegistryText(INSTALL_REGISTRY_KEY, valueName, joined);
    session.log.LogLine(FormatText(LOG_REGISTRY, {valueName, joined}));
}

int InstallerThread(InstallerSession& session) {
    InstallerState& state = session.state;
    const Project& project = *state.project;
    const int count = CabinetCount(project);
    if (count <= 0) {
        // Nothing to install (or no project could be loaded): the page must
        // still offer Finish, or the user could not leave it.
        state.installDone = true;
        return 1;
    }

    PackageSections sections(session, ROUTINE);
    for (int i = 0; i < count; ++i) {
        const CabEntry& entry = project.cabinets[i];
        state.status.SetText(STATUS_UNPACKING);
        const std::u16string name = AnsiToUtf16(TextOf(entry.fileName));
        sections.Take(CABINET_ZIP, FormatText(u"cabinet [%s]", {name}));
        // Without "Resume install on reset" nothing is kept to resume from.
        if (state.preferences.resumeOnReset) session.stateFile.SaveState(PAGE_INSTALLATION, i);

        if (i < state.resumeIndex) {
            session.platform.RemoveFile(CABINET_ZIP);
            Report(session, i, name, InstallObserver::Outcome::PassedOver);
        } else if (IsCabinetCompatible(entry, state.systemInfo)) {
            state.status.SetText(CutText(FormatText(STATUS_INSTALLING, {name}), DEVICE_TEXT_UNITS));
            sections.Unpack(CABINET_ZIP);

            const Preferences& prefs = state.preferences;
            const std::u16string options = InstallOptions(
                state.systemInfo.isOs2005 != 0, prefs.overrideInstallPath, prefs.silentInstall);
            const std::u16string quoted = QuotedCabinetPath(name);
            std::u16string commandLine;
            if (prefs.overrideInstallPath) {
                RegistryEntry(session, quoted, prefs.overrideFolder,
                              AnsiToUtf16(TextOf(entry.provider)));
                commandLine = options;
            } else {
                commandLine = options + quoted;
            }
            session.log.LogLine(FormatText(LOG_INSTALLING, {name}));
            session.log.LogLine(FormatText(LOG_COMMAND, {commandLine}));
            Report(session, i, name, InstallObserver::Outcome::Installing, commandLine);
            std::uint32_t exitCode = 0;
            const bool started =
                session.platform.StartProgramAndWait(WCELOAD_PROGRAM, commandLine, &exitCode);
            if (prefs.debugLog) {
                session.log.LogLine(started ? FormatText(LOG_INSTALLER_EXIT, {NumberText(exitCode)})
                                            : std::u16string(LOG_INSTALLER_NOT_STARTED));
            }
            if (session.observer) session.observer->OnCabinetDone(i, started);
        } else {
            const std::u16string status = CutText(FormatText(STATUS_SKIPPING, {name}), DEVICE_TEXT_UNITS);
            state.status.SetText(status);
            session.log.LogLine(FormatText(LOG_SKIPPING, {status}));
            session.platform.RemoveFile(CABINET_ZIP);
            Report(session, i, name, InstallObserver::Outcome::Skipped);
        }
        if (i == count - 1) state.installDone = true;
    }
    return 1;
}

}  // namespace zk
