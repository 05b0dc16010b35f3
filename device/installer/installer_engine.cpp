#include "device/installer/installer_engine.h"

#include <algorithm>

#include "common/fixed_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_resume.h"
#include "device/installer/installer_texts.h"
#include "device/installer/package_sections.h"
#include "device/sysinfo/cabinet_compatibility.h"

namespace zk {
namespace {

constexpr char16_t ROUTINE[] = u"InstallerThread";

std::u16string Kilobytes(std::uint64_t bytes, bool roundUp) {
    return NumberText(static_cast<std::int64_t>(roundUp ? (bytes + 1023) / 1024 : bytes / 1024));
}

bool Exists(DevicePlatform& platform, std::u16string_view path) {
    std::uint32_t attributes = 0;
    return platform.GetAttributes(path, &attributes);
}

class CabinetRun {
public:
    CabinetRun(InstallerSession& session, PackageSections& sections, int index)
        : session_(session),
          state_(session.state),
          sections_(sections),
          index_(index),
          entry_(session.state.project->cabinets[index]),
          name_(AnsiToUtf16(TextOf(entry_.fileName))),
          cabinetPath_(std::u16string(UNPACK_FOLDER) + u"\\" + name_) {}

    void Report(InstallObserver::Outcome outcome, std::u16string_view commandLine = {}) {
        if (session_.observer) session_.observer->OnCabinet(index_, name_, outcome, commandLine);
    }

    void Install();
    // A reset came while the platform installer ran: what the device shows
    // says whether it got there.
    void JudgeInterrupted();
    void Skip();
    void Unjudged() { Fail(u"the device's facts could not be read (\\Temp\\SystemInfo.dat)"); }

private:
    void Record(CabinetOutcome outcome) {
        state_.outcomes[static_cast<std::size_t>(index_)] = static_cast<char>(outcome);
    }
    bool Save() {
        if (!state_.preferences.resumeOnReset) return true;
        return SaveProgress(session_, PAGE_INSTALLATION, index_);
    }
    void Fail(std::u16string_view why);
    void Succeed();
    // The application is recorded as installed.
    bool Recorded();
    bool Installed(bool recordedBefore, std::uint32_t exitCode);
    std::u16string CommandLine();

    InstallerSession& session_;
    InstallerState& state_;
    PackageSections& sections_;
    int index_;
    const CabEntry& entry_;
    std::u16string name_;
    std::u16string cabinetPath_;
    std::vector<std::u16string> unpacked_;
};

void CabinetRun::Fail(std::u16string_view why) {
    DevicePlatform& platform = session_.platform;
    // Nothing of a failed cabinet stays behind; a later start unpacks it
    // again from the package.
    platform.RemoveFile(CABINET_ZIP);
    for (const std::u16string& path : unpacked_) platform.RemoveFile(path);
    platform.RemoveFile(cabinetPath_);
    Record(CabinetOutcome::Failed);
    state_.status.SetText(CutText(FormatText(STATUS_FAILED, {name_}), DEVICE_TEXT_UNITS));
    session_.log.LogLine(FormatText(LOG_FAILED, {name_, why}));
    Save();
    if (session_.observer) session_.observer->OnCabinetDone(index_, CabinetOutcome::Failed, why);
}

void CabinetRun::Succeed() {
    Record(CabinetOutcome::Installed);
    session_.log.LogLine(FormatText(LOG_INSTALLED, {name_}));
    Save();
    if (session_.observer) session_.observer->OnCabinetDone(index_, CabinetOutcome::Installed, {});
}

bool CabinetRun::Recorded() {
    std::uint32_t installed = 0;
    return entry_.appName[0] &&
           session_.platform.ReadRegistryNumber(InstalledAppKey(entry_), INSTALLED_VALUE,
                                                &installed) &&
           installed == 1;
}

bool CabinetRun::Installed(bool recordedBefore, std::uint32_t exitCode) {
    // The platform installer deletes a cabinet it installed: where an older
    // installation of the application had left it recorded already, only
    // that tells this installation from a refused one. Without a name to
    // look up there is nothing else to go by.
    const bool consumed = !Exists(session_.platform, cabinetPath_);
    if (!entry_.appName[0]) return consumed && exitCode == 0;
    return Recorded() && (!recordedBefore || consumed);
}

std::u16string CabinetRun::CommandLine() {
    const Preferences& prefs = state_.preferences;
    const std::u16string options = InstallOptions(state_.systemInfo.isOs2005 != 0,
                                                  prefs.overrideInstallPath, prefs.silentInstall);
    const std::u16string quoted = QuotedCabinetPath(name_);
    if (!prefs.overrideInstallPath) return options + quoted;
    RegistryEntry(session_, quoted, prefs.overrideFolder, AnsiToUtf16(TextOf(entry_.provider)));
    return options;
}

void CabinetRun::Install() {
    DevicePlatform& platform = session_.platform;
    state_.status.SetText(STATUS_UNPACKING);
    const CabinetSection* known = static_cast<std::size_t>(index_) < state_.cabinetSections.size()
                                      ? &state_.cabinetSections[static_cast<std::size_t>(index_)]
                                      : nullptr;
    if (!known) return Fail(u"the package is damaged");

    // Room for the unpacked cabinet, and for the platform installer to
    // install it (about as much again) or for the section's zip beside it.
    std::uint64_t free = 0;
    const std::uint64_t needed =
        known->unpackedBytes + std::max<std::uint64_t>(known->bytes, known->unpackedBytes);
    if (platform.FreeStorage(UNPACK_FOLDER, &free) && needed > free) {
        const std::u16string why =
            FormatText(STATUS_NO_STORAGE, {name_, Kilobytes(needed, true), Kilobytes(free, false)});
        Fail(why);
        state_.status.SetText(CutText(why, DEVICE_TEXT_UNITS));
        return;
    }

    Record(CabinetOutcome::Unpacking);
    Save();
    state_.packageStream->Seek(static_cast<std::int64_t>(known->offset), DeviceSeek::Start);
    if (!sections_.Take(CABINET_ZIP, FormatText(u"cabinet [%s]", {name_}))) {
        return Fail(u"its section cannot be read or written whole (is the storage full?)");
    }
    const UnpackedSection unpacked = sections_.Unpack(CABINET_ZIP);
    unpacked_ = unpacked.paths;
    if (!unpacked.Whole()) {
        const bool write = unpacked.firstFailureCode == UNZIP_WRITE_FAILED ||
                           unpacked.firstFailureCode == UNZIP_NO_FILE;
        return Fail(write ? u"it cannot be written into \\Temp (is the storage full?)"
                          : u"its section is damaged: " + (unpacked.firstFailure.empty()
                                                               ? std::u16string(u"it does not open")
                                                               : unpacked.firstFailure));
    }
    if (!Exists(platform, cabinetPath_)) return Fail(u"its section does not hold it");

    state_.status.SetText(CutText(FormatText(STATUS_INSTALLING, {name_}), DEVICE_TEXT_UNITS));
    const std::u16string commandLine = CommandLine();
    session_.log.LogLine(FormatText(LOG_INSTALLING, {name_}));
    session_.log.LogLine(FormatText(LOG_COMMAND, {commandLine}));
    // Once it is handed over, a reset must not hand it over again: without
    // that on record it is not handed over at all.
    Record(CabinetOutcome::Handed);
    if (!Save()) return Fail(u"its progress cannot be recorded (is the storage full?)");
    Report(InstallObserver::Outcome::Installing, commandLine);
    const bool recordedBefore = Recorded();
    std::uint32_t exitCode = 0;
    const bool started = platform.StartProgramAndWait(WCELOAD_PROGRAM, commandLine, &exitCode);
    if (state_.preferences.debugLog) {
        session_.log.LogLine(started ? FormatText(LOG_INSTALLER_EXIT, {NumberText(exitCode)})
                                     : std::u16string(LOG_INSTALLER_NOT_STARTED));
    }
    if (!started) return Fail(u"wceload.exe could not be started");
    if (!Installed(recordedBefore, exitCode)) {
        return Fail(FormatText(u"the platform installer did not install it (exit code %d)",
                               {NumberText(exitCode)}));
    }
    Succeed();
}

void CabinetRun::JudgeInterrupted() {
    Report(InstallObserver::Outcome::Resumed);
    // A cabinet that resets the device on purpose does so once it is
    // recorded; the cabinet file the reset kept from being deleted goes now.
    if (Recorded() || (!entry_.appName[0] && !Exists(session_.platform, cabinetPath_))) {
        session_.platform.RemoveFile(cabinetPath_);
        return Succeed();
    }
    Fail(u"the device was reset while it was installed");
}

void CabinetRun::Skip() {
    const std::u16string status = CutText(FormatText(STATUS_SKIPPING, {name_}), DEVICE_TEXT_UNITS);
    state_.status.SetText(status);
    session_.log.LogLine(FormatText(LOG_SKIPPING, {status}));
    Record(CabinetOutcome::Skipped);
    Report(InstallObserver::Outcome::Skipped);
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

std::u16string InstalledAppKey(const CabEntry& entry) {
    return std::u16string(INSTALLED_APPS_KEY) + AnsiToUtf16(TextOf(entry.provider)) + u" " +
           AnsiToUtf16(TextOf(entry.appName));
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
    state.outcomes.resize(static_cast<std::size_t>(count),
                          static_cast<char>(CabinetOutcome::NotReached));

    PackageSections sections(session, ROUTINE);
    const bool processorFilter = project.processorFilterOn != 0;
    const int firstCabinetNumber = 3 + (project.splashEnabled != 0) + (project.eulaEnabled != 0) +
                                   (project.readmeEnabled != 0);
    for (int i = 0; i < count && !state.stopRequested; ++i) {
        state.currentCabinet = i;
        CabinetRun run(session, sections, i);
        const auto saved = static_cast<CabinetOutcome>(state.outcomes[static_cast<std::size_t>(i)]);
        if (i < state.resumeIndex && saved == CabinetOutcome::NotReached) {
            // Handled before a reset, says a state of the two-number form.
            state.outcomes[static_cast<std::size_t>(i)] =
                static_cast<char>(CabinetOutcome::Installed);
            run.Report(InstallObserver::Outcome::PassedOver);
        } else if (saved == CabinetOutcome::Installed || saved == CabinetOutcome::Skipped) {
            run.Report(InstallObserver::Outcome::PassedOver);
        } else if (saved == CabinetOutcome::Handed) {
            run.JudgeInterrupted();
        } else if (!state.systemInfoKnown) {
            run.Unjudged();
        } else if (!IsCabinetCompatible(project.cabinets[i], state.systemInfo, processorFilter)) {
            run.Skip();
        } else {
            sections.SetNextNumber(firstCabinetNumber + i);
            run.Install();
        }
    }
    // Nothing to install (or no project could be loaded) ends the page too:
    // the user must be able to leave it.
    state.installDone = true;
    return 1;
}

}  // namespace zk
