// The installer window's page flow: which page follows on Next/Start and
// Back, which soft-key bar is on screen, what is saved when, what the
// preference controls do, the status timer and Finish. The window procedure
// forwards its messages here and draws what it is told through
// InstallerWindow; nothing here knows a window handle.
//
//   page      Next/Start goes to                          Back goes to
//   -1        0 with a EULA; else 1 with preferences; else 2   -
//    0        1 with preferences, else 2                  -1
//    1        2                                           0 with a EULA, else -1
//    2        (a resumed run, bar 104 on screen) Start starts the installation
//
// A soft-key command counts only while its bar is on screen, so the
// installation is started once per run whatever keys arrive.
//
// A package found damaged before anything was installed shows the welcome
// page with DAMAGED_TEXT (NO_ROOM_TEXT when the storage could not take the
// installer's own files) in place of the ready text and bar 106, whose one
// key, Exit, ends the program. When cabinets fail, the closing page names
// them (ClosingLines) instead of claiming success.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "device/installer/installer_ids.h"
#include "device/installer/installer_state.h"
#include "device/installer/installer_workers.h"

namespace zk {

// What the flow asks of the window (Win32: the real controls; tests: a
// recording double). Called on the user-interface thread.
class InstallerWindow {
public:
    virtual ~InstallerWindow() = default;

    virtual void CreateSoftKeyBar(int bar) = 0;
    // Every page build begins by fitting the HTML view to the window.
    virtual void PlaceHtmlView() {}
    virtual void DestroySoftKeyBar(int bar) = 0;

    // Page 0: show the HTML view, clear it and navigate it to the address.
    virtual void ShowEula(std::u16string_view address) = 0;
    // Page 1: create the nine preference controls from these values; the
    // override folder field always starts empty.
    virtual void CreatePreferenceControls(const Preferences& preferences,
                                          std::u16string_view logPath) = 0;
    virtual void DestroyPreferenceControls() = 0;
    // Page 2 while installing: load the read-me into the HTML view and keep
    // it hidden; create the status box ("Status overview ...") unless it
    // exists.
    virtual void PrepareInstallationPage(std::u16string_view readMeAddress) = 0;
    // Pages 0 and 2 torn down: clear and hide the HTML view.
    virtual void HideHtmlView() = 0;
    // Repaint the main window (no erasing).
    virtual void Invalidate() = 0;

    virtual bool IsChecked(int control) = 0;
    virtual void EnableControl(int control, bool enabled) = 0;
    virtual void SetControlText(int control, std::u16string_view text) = 0;
    virtual void FocusControl(int control) = 0;
    // The device folder browser (label "Browse Folder", buttons "Ok" and
    // "Cancel"). True with *folder set when a folder was chosen.
    virtual bool BrowseFolder(std::u16string* folder) = 0;

    virtual void StartStatusTimer() = 0;
    virtual void StopStatusTimer() = 0;
    virtual void SetStatusText(std::u16string_view text) = 0;
    // The installation ended with a read-me: show the HTML view, focus it.
    virtual void ShowReadMe() = 0;
    // The installation ended without one: hide and destroy the status box and
    // repaint, so that the closing text shows.
    virtual void RemoveStatusBox() = 0;

    // Destroy the main window, which ends the program.
    virtual void Close() = 0;
};

// How a chosen override folder is kept: without its first character and with
// a "\" added ("\Storage Card\Apps" -> "Storage Card\Apps\").
std::u16string KeptOverrideFolder(std::u16string_view chosen);

// "file://" and the path.
std::u16string HtmlAddress(std::u16string_view path);

// The closing page's lines once the installation is done: when cabinets
// failed, "N of M applications could not be installed:", their names, a
// line each, and "See <log>"; otherwise the done text alone. The prompt
// "Press <Finish> to exit!" follows either.
std::vector<std::u16string> ClosingLines(const InstallerSession& session);

// Whether the main window gives up the soft-key bar's height: everywhere but
// on a Smartphone (platform type compared without regard to case; unknown
// counts as not a Smartphone), when the bar exists.
bool ShortensForSoftKeyBar(bool platformTypeKnown, std::u16string_view platformType,
                           bool barExists);

class PageFlow {
public:
    PageFlow(InstallerSession& session, InstallerWindow& window, InstallerWork& work);

    // WM_CREATE: the welcome bar, and the unpacking thread.
    void OnCreate();
    // WM_COMMAND; false for a command the flow does not handle (the default
    // window procedure gets it).
    bool OnCommand(int id);
    // Timer STATUS_TIMER_ID.
    void OnStatusTimer();
    // The unpacking thread has ended (posted by it): a damaged package
    // leaves nothing but Exit.
    void OnUnpackingEnded();
    // WM_CLOSE: true when the window may go now. While a cabinet is being
    // installed the close waits for it ("Finishing X.cab..."), then the
    // window closes with the rest kept for the next start.
    bool OnCloseRequest();
    // WM_SETTINGCHANGE with the work area's size: a changed size rebuilds the
    // page for it.
    void OnWorkAreaChanged(int width, int height);
    // The up and down arrow keys move the focus only on the preferences page.
    bool ArrowKeysMoveFocus() const;
    // Enter on the welcome page presses the right soft key (Start, or Exit
    // for a damaged package), as a keyboard user expects; true when it did.
    bool OnEnterKey();

    int SoftKeyBar() const { return bar_; }
    int Page() const { return session_.state.page; }

private:
    void Back();
    void NextOrStart();
    void BuildPage();
    void TearDownPage();
    void SwapBar(int bar);
    void BrowseOverrideFolder();
    void BrowseLogFolder();
    void ShowDamaged();

    InstallerSession& session_;
    InstallerWindow& window_;
    InstallerWork& work_;
    int bar_ = 0;
    int workWidth_ = 0;
    int workHeight_ = 0;
    bool closePending_ = false;
};

}  // namespace zk
