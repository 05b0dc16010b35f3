#include "device/installer/page_flow.h"

#include "common/fixed_text.h"
#include "common/utf16_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/installer_resume.h"
#include "device/installer/device_reset.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"

namespace zk {

std::u16string KeptOverrideFolder(std::u16string_view chosen) {
    if (chosen.empty()) return {};
    return std::u16string(chosen.substr(1)) + u"\\";
}

std::u16string HtmlAddress(std::u16string_view path) {
    return std::u16string(HTML_ADDRESS_PREFIX) + std::u16string(path);
}

std::vector<std::u16string> ClosingLines(const InstallerSession& session) {
    const InstallerState& state = session.state;
    std::vector<std::u16string> lines;
    const int failed = state.FailedCount();
    if (failed == 0) {
        lines.push_back(state.doneText);
    } else {
        lines.push_back(
            FormatText(FAILED_PATTERN, {NumberText(failed), NumberText(state.CompatibleCount())}));
        const Project& project = *state.project;
        for (std::size_t i = 0; i < state.outcomes.size(); ++i) {
            if (state.outcomes[i] == static_cast<char>(CabinetOutcome::Failed))
                lines.push_back(AnsiToUtf16(TextOf(project.cabinets[i].fileName)));
        }
        lines.push_back(FormatText(SEE_LOG_PATTERN, {session.log.Path()}));
    }
    lines.push_back(FINISH_PROMPT);
    return lines;
}

bool ShortensForSoftKeyBar(bool platformTypeKnown, std::u16string_view platformType,
                           bool barExists) {
    if (!barExists) return false;
    return !platformTypeKnown || !EqualsIgnoringCase(platformType, SMARTPHONE_PLATFORM);
}

PageFlow::PageFlow(InstallerSession& session, InstallerWindow& window, InstallerWork& work)
    : session_(session), window_(window), work_(work) {}

void PageFlow::OnCreate() {
    bar_ = BAR_WELCOME;
    window_.CreateSoftKeyBar(BAR_WELCOME);
    work_.StartUnpacking();
}

void PageFlow::SwapBar(int bar) {
    if (bar_ == bar) return;
    if (bar_ != 0) window_.DestroySoftKeyBar(bar_);
    bar_ = bar;
    window_.CreateSoftKeyBar(bar);
}

void PageFlow::BuildPage() {
    InstallerState& state = session_.state;
    window_.PlaceHtmlView();
    switch (state.page) {
    case PAGE_EULA: window_.ShowEula(HtmlAddress(state.eulaFilePath)); break;
    case PAGE_PREFERENCES:
        window_.CreatePreferenceControls(state.preferences, session_.log.Path());
        break;
    case PAGE_INSTALLATION:
        if (!state.installDone) window_.PrepareInstallationPage(HtmlAddress(state.readMeFilePath));
        break;
    default: break;
    }
    window_.Invalidate();
}

void PageFlow::TearDownPage() {
    switch (session_.state.page) {
    case PAGE_EULA:
    case PAGE_INSTALLATION: window_.HideHtmlView(); break;
    case PAGE_PREFERENCES: window_.DestroyPreferenceControls(); break;
    default: break;
    }
}

void PageFlow::Back() {
    InstallerState& state = session_.state;
    const bool eula = session_.state.project->eulaEnabled != 0;
    if (state.page < PAGE_EULA || state.page > PAGE_PREFERENCES) return;
    TearDownPage();
    state.page = (state.page == PAGE_PREFERENCES && eula) ? PAGE_EULA : PAGE_WELCOME;
    if (state.page == PAGE_WELCOME) SwapBar(BAR_WELCOME);
    BuildPage();
    SaveProgress(session_, state.page, 0);
}

void PageFlow::ShowDamaged() {
    InstallerState& state = session_.state;
    if (bar_ == BAR_DAMAGED) return;
    TearDownPage();
    state.page = PAGE_WELCOME;
    SwapBar(BAR_DAMAGED);
    BuildPage();
    // Asked to install without a word: nothing is shown, the exit code says it.
    if (state.preferences.silentInstall) window_.Close();
}

void PageFlow::OnUnpackingEnded() {
    work_.WaitForUnpacking();
    if (!session_.state.damage.whole) ShowDamaged();
}

bool PageFlow::OnCloseRequest() {
    InstallerState& state = session_.state;
    if (!state.installationStarted || state.installDone) return true;
    state.stopRequested = true;
    closePending_ = true;
    const int current = state.currentCabinet;
    if (current >= 0 && current < CabinetCount(*state.project)) {
        const std::u16string name = AnsiToUtf16(TextOf(state.project->cabinets[current].fileName));
        window_.SetStatusText(CutText(FormatText(STATUS_FINISHING, {name}), DEVICE_TEXT_UNITS));
    }
    return false;
}

void PageFlow::NextOrStart() {
    work_.WaitForUnpacking();
    InstallerState& state = session_.state;
    if (!state.damage.whole) {
        ShowDamaged();
        return;
    }
    Preferences& prefs = state.preferences;
    const Project& project = *state.project;
    const bool eula = project.eulaEnabled != 0;
    const bool preferencesPage = project.deviceAdvancedSettings != 0;

    const int from = state.page;
    if (from == PAGE_PREFERENCES) {
        prefs.resumeOnReset = window_.IsChecked(IDC_RESUME_CHECK);
        prefs.resetWhenFinished = window_.IsChecked(IDC_RESET_CHECK);
        prefs.silentInstall = window_.IsChecked(IDC_SILENT_CHECK);
    }
    if (from < PAGE_INSTALLATION) {
        TearDownPage();
        if (from == PAGE_WELCOME && eula) {
            state.page = PAGE_EULA;
        } else if (from <= PAGE_EULA) {
            state.page = preferencesPage ? PAGE_PREFERENCES : PAGE_INSTALLATION;
        } else {
            state.page = PAGE_INSTALLATION;
        }
        // The installation page is built once, below, when it starts.
        if (state.page < PAGE_INSTALLATION) BuildPage();
        SaveProgress(session_, state.page, 0);
    }
    if (state.page == PAGE_EULA || (state.page == PAGE_PREFERENCES && from == PAGE_WELCOME)) {
        SwapBar(BAR_NAVIGATION);
    }
    if (state.page == PAGE_INSTALLATION) {
        BeginInstallation(session_);
        BuildPage();
        window_.StartStatusTimer();
        work_.StartInstallation();
        SwapBar(BAR_INSTALLATION);
    }
}

void PageFlow::BrowseOverrideFolder() {
    Preferences& prefs = session_.state.preferences;
    std::u16string chosen;
    prefs.overrideFolder.clear();
    if (window_.BrowseFolder(&chosen)) {
        window_.SetControlText(IDC_OVERRIDE_EDIT, chosen);
        prefs.overrideFolder = CutText(KeptOverrideFolder(chosen), DEVICE_TEXT_UNITS);
    }
    window_.FocusControl(IDC_OVERRIDE_CHECK);
}

void PageFlow::BrowseLogFolder() {
    std::u16string chosen;
    const bool picked = window_.BrowseFolder(&chosen);
    if (picked) window_.SetControlText(IDC_LOG_EDIT, chosen);
    // A cancelled browse leaves the log in the device root.
    session_.log.SetPath((picked ? chosen : std::u16string()) + LOG_FILE_NAME);
    window_.FocusControl(IDC_DEBUG_LOG_CHECK);
}

bool PageFlow::OnCommand(int id) {
    Preferences& prefs = session_.state.preferences;
    switch (id) {
    case IDC_OVERRIDE_CHECK:
        prefs.overrideInstallPath = window_.IsChecked(IDC_OVERRIDE_CHECK);
        window_.EnableControl(IDC_OVERRIDE_EDIT, prefs.overrideInstallPath);
        window_.EnableControl(IDC_OVERRIDE_BROWSE, prefs.overrideInstallPath);
        return true;
    case IDC_DEBUG_LOG_CHECK:
        prefs.debugLog = window_.IsChecked(IDC_DEBUG_LOG_CHECK);
        window_.EnableControl(IDC_LOG_EDIT, prefs.debugLog);
        window_.EnableControl(IDC_LOG_BROWSE, prefs.debugLog);
        return true;
    case IDC_OVERRIDE_BROWSE: BrowseOverrideFolder(); return true;
    case IDC_LOG_BROWSE: BrowseLogFolder(); return true;
    case CMD_BACK:
        if (bar_ == BAR_NAVIGATION) Back();
        return true;
    case CMD_NEXT:
        if (bar_ == BAR_NAVIGATION) NextOrStart();
        return true;
    case CMD_START:
        if (bar_ == BAR_WELCOME) NextOrStart();
        return true;
    case CMD_EXIT:
        if (bar_ == BAR_DAMAGED) window_.Close();
        return true;
    case CMD_FINISH:
        if (bar_ == BAR_INSTALLATION && Finish(session_) == FinishAction::CloseWindow) {
            window_.Close();
        }
        return true;
    default: return false;
    }
}

void PageFlow::OnStatusTimer() {
    InstallerState& state = session_.state;
    if (!state.installDone) {
        if (!closePending_) window_.SetStatusText(state.status.Text());
        return;
    }
    if (closePending_) {
        window_.StopStatusTimer();
        window_.Close();
        return;
    }
    // The read-me only follows an installation that went as it should.
    if (state.project->readmeEnabled && state.FailedCount() == 0) {
        window_.ShowReadMe();
    } else {
        window_.RemoveStatusBox();
    }
    window_.StopStatusTimer();
}

void PageFlow::OnWorkAreaChanged(int width, int height) {
    if (width == workWidth_ && height == workHeight_) return;
    workWidth_ = width;
    workHeight_ = height;
    InstallerState& state = session_.state;
    if (state.page == PAGE_PREFERENCES) {
        // The rebuilt controls show what the user had ticked so far.
        state.preferences.resumeOnReset = window_.IsChecked(IDC_RESUME_CHECK);
        state.preferences.resetWhenFinished = window_.IsChecked(IDC_RESET_CHECK);
        state.preferences.silentInstall = window_.IsChecked(IDC_SILENT_CHECK);
    }
    TearDownPage();
    BuildPage();
}

bool PageFlow::ArrowKeysMoveFocus() const { return session_.state.page == PAGE_PREFERENCES; }

bool PageFlow::OnEnterKey() {
    if (session_.state.page != PAGE_WELCOME) return false;
    for (const SoftKeyPair& keys : SOFT_KEY_PAIRS) {
        if (keys.bar == bar_) return OnCommand(keys.right);
    }
    return false;
}

}  // namespace zk
