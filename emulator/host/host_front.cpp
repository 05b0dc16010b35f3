#include "emulator/host/host_front.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "common/utf16_text.h"
#include "device/installer/installer_texts.h"

namespace zk {
namespace {

constexpr char16_t STARTUP_FOLDER[] = u"\\Windows\\StartUp";

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

const char* BarText(int bar) {
    switch (bar) {
    case BAR_WELCOME: return "[ ] [Start]";
    case BAR_NAVIGATION: return "[Back] [Next]";
    case BAR_INSTALLATION: return "[ ] [Finish]";
    case BAR_DAMAGED: return "[ ] [Exit]";
    default: return "?";
    }
}

}  // namespace

void Console::Line(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string ShortcutText(std::u16string_view target) {
    return std::to_string(target.size()) + "#" + U8(target);
}

void HostUnpackingWindow::SetTitle(std::u16string_view title) {
    console_.Line("window title: " + U8(title));
}

void HostUnpackingWindow::ShowSplash(std::u16string_view path) {
    console_.Line("splash: " + U8(path));
}

void HostWindow::CreateSoftKeyBar(int bar) {
    console_.Line("soft keys " + std::to_string(bar) + ": " + BarText(bar));
}

void HostWindow::ShowEula(std::u16string_view address) {
    console_.Line("page: EULA " + U8(address));
}

void HostWindow::CreatePreferenceControls(const Preferences& preferences,
                                          std::u16string_view logPath) {
    checks_[IDC_OVERRIDE_CHECK] = preferences.overrideInstallPath;
    checks_[IDC_RESUME_CHECK] = preferences.resumeOnReset;
    checks_[IDC_RESET_CHECK] = preferences.resetWhenFinished;
    checks_[IDC_SILENT_CHECK] = preferences.silentInstall;
    checks_[IDC_DEBUG_LOG_CHECK] = preferences.debugLog;
    console_.Line(
        "page: preferences (override " +
        std::string(preferences.overrideInstallPath ? "on [" + U8(preferences.overrideFolder) + "]"
                                                    : "off") +
        ", silent " + (preferences.silentInstall ? "on" : "off") + ", reset when finished " +
        (preferences.resetWhenFinished ? "on" : "off") + ", log " + U8(logPath) + ")");
}

void HostWindow::PrepareInstallationPage(std::u16string_view readMeAddress) {
    console_.Line("page: installation" + (session_.state.project->readmeEnabled
                                              ? " (read-me " + U8(readMeAddress) + ")"
                                              : std::string()));
}

void HostWindow::SetStatusText(std::u16string_view text) {
    if (text == status_ || text.empty()) return;
    status_ = std::u16string(text);
    console_.Line("status: " + U8(text));
}

void HostWindow::ShowReadMe() {
    console_.Line("page: installation done, showing the read-me " +
                  U8(session_.state.readMeFilePath));
}

void HostWindow::RemoveStatusBox() {
    std::string text;
    for (const std::u16string& line : ClosingLines(session_))
        text += (text.empty() ? "" : " / ") + U8(line);
    console_.Line("page: " + text);
}

HostShell::HostShell(Console& console, PosixDevicePlatform& device, InstallerSession& session,
                     InstallerWorkers& workers, HostShellOptions options)
    : console_(console),
      device_(device),
      session_(session),
      workers_(workers),
      options_(std::move(options)),
      window_(console, session),
      flow_(session, window_, workers) {}

HostShell::~HostShell() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool HostShell::AskProceedFromCard() {
    console_.Line(U8(CARD_CAPTION) + ": " + U8(CARD_QUESTION) + " " +
                  (options_.cardAnswer ? "OK" : "Cancel"));
    return options_.cardAnswer;
}

bool HostShell::StartupFolder(std::u16string* folder) {
    device_.CreateFolder(u"\\Windows");
    device_.CreateFolder(STARTUP_FOLDER);
    *folder = STARTUP_FOLDER;
    return true;
}

bool HostShell::CreateShortcut(std::u16string_view path, std::u16string_view target) {
    std::unique_ptr<DeviceFile> file = device_.OpenFile(path, DeviceOpenMode::CreateWrite);
    if (!file) return false;
    const std::string text = ShortcutText(target);
    const bool ok = file->Write(text.data(), text.size()) == text.size();
    return file->Close() && ok;
}

// The named mutex of the device, played by a lock on the device root: a
// second zk-device on the same root while one runs is the second copy.
bool HostShell::ClaimSingleInstance() {
    lockFd_ = ::open(device_.root().c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd_ < 0) return true;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) return true;
    console_.Line("another installer is running on this device: this copy ends");
    return false;
}

bool HostShell::CreateMainWindow() {
    flow_.OnCreate();
    return true;
}

int HostShell::RunMessageLoop() {
    using namespace std::chrono_literals;
    workers_.WaitForUnpacking();
    flow_.OnUnpackingEnded();
    InstallerState& state = session_.state;
    if (flow_.SoftKeyBar() == BAR_DAMAGED) {
        console_.Line("page: welcome: Welcome user! / " +
                      U8(state.damage.OnlyWantOfRoom() ? NO_ROOM_TEXT : DAMAGED_TEXT) + " / " +
                      U8(DAMAGED_PROMPT));
    } else if (state.page == PAGE_INSTALLATION) {
        console_.Line("resuming after a reset: " + std::to_string(state.resumeIndex) +
                      " cabinet(s) passed over");
    } else {
        console_.Line("page: welcome: Welcome user! / " + U8(state.readyText) +
                      " / Press <Start> to begin");
    }
    while (!window_.Closed()) {
        switch (flow_.SoftKeyBar()) {
        case BAR_WELCOME:
            console_.Line("press: Start");
            flow_.OnCommand(CMD_START);
            break;
        case BAR_NAVIGATION:
            console_.Line("press: Next");
            flow_.OnCommand(CMD_NEXT);
            break;
        case BAR_DAMAGED:
            console_.Line("press: Exit");
            flow_.OnCommand(CMD_EXIT);
            break;
        case BAR_INSTALLATION:
            if (window_.TimerRunning()) {
                std::this_thread::sleep_for(20ms);
                flow_.OnStatusTimer();
                break;
            }
            console_.Line("press: Finish");
            flow_.OnCommand(CMD_FINISH);
            if (!window_.Closed()) {
                // Finish did nothing (a reset that the platform refused).
                return 1;
            }
            break;
        default: return 1;
        }
    }
    workers_.WaitForInstallation();
    return 0;
}

}  // namespace zk
