// zk-device's stand-ins for what the device's window system and user do: the
// launch shell, a window that prints what it would show, and a user who
// presses Start/Next until the installation runs, watches the status on the
// timer, and presses Finish at the end.
#pragma once

#include <cstdio>
#include <map>
#include <mutex>
#include <string>

#include "device/installer/installer_workers.h"
#include "device/installer/launch.h"
#include "device/installer/page_flow.h"
#include "device/platform/device_platform_posix.h"

namespace zk {

// Serialised printing from both threads.
class Console {
public:
    void Line(const std::string& text);
    std::mutex& Lock() { return lock_; }

private:
    std::mutex lock_;
};

class HostUnpackingWindow : public UnpackingWindow {
public:
    explicit HostUnpackingWindow(Console& console) : console_(console) {}
    void SetTitle(std::u16string_view title) override;
    void ShowSplash(std::u16string_view path) override;

private:
    Console& console_;
};

class HostWindow : public InstallerWindow {
public:
    HostWindow(Console& console, InstallerSession& session)
        : console_(console), session_(session) {}

    void CreateSoftKeyBar(int bar) override;
    void DestroySoftKeyBar(int) override {}
    void ShowEula(std::u16string_view address) override;
    void CreatePreferenceControls(const Preferences& preferences,
                                  std::u16string_view logPath) override;
    void DestroyPreferenceControls() override {}
    void PrepareInstallationPage(std::u16string_view readMeAddress) override;
    void HideHtmlView() override {}
    void Invalidate() override {}
    bool IsChecked(int control) override { return checks_[control]; }
    void EnableControl(int, bool) override {}
    void SetControlText(int, std::u16string_view) override {}
    void FocusControl(int) override {}
    bool BrowseFolder(std::u16string*) override { return false; }
    void StartStatusTimer() override { timer_ = true; }
    void StopStatusTimer() override { timer_ = false; }
    void SetStatusText(std::u16string_view text) override;
    void ShowReadMe() override;
    void RemoveStatusBox() override;
    void Close() override { closed_ = true; }

    bool TimerRunning() const { return timer_; }
    bool Closed() const { return closed_; }

private:
    Console& console_;
    InstallerSession& session_;
    std::map<int, bool> checks_;
    std::u16string status_;
    bool timer_ = false;
    bool closed_ = false;
};

struct HostShellOptions {
    bool cardAnswer = true;     // the answer to the removable-card question
    std::u16string modulePath;  // the package's device path
};

class HostShell : public LaunchShell {
public:
    HostShell(Console& console, PosixDevicePlatform& device, InstallerSession& session,
              InstallerWorkers& workers, HostShellOptions options);
    ~HostShell() override;

    bool AskProceedFromCard() override;
    void ShowWaitCursor() override {}
    void RestoreCursor() override {}
    bool StartupFolder(std::u16string* folder) override;
    std::u16string ModulePath() override { return options_.modulePath; }
    bool CreateShortcut(std::u16string_view path, std::u16string_view target) override;
    bool ClaimSingleInstance() override;
    bool BringRunningWindowForward() override { return false; }
    bool CreateMainWindow() override;
    int RunMessageLoop() override;

private:
    Console& console_;
    PosixDevicePlatform& device_;
    InstallerSession& session_;
    InstallerWorkers& workers_;
    HostShellOptions options_;
    HostWindow window_;
    PageFlow flow_;
    int lockFd_ = -1;
};

// The CE shortcut file's text: the target's length, '#', the target.
std::string ShortcutText(std::u16string_view target);

}  // namespace zk
