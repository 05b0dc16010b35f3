// The installer's main window: the window procedure forwards to PageFlow and
// draws what the flow asks for with real controls, the device's soft-key
// bars and HTML view.
//
// The unpacking thread never touches a window: it posts to this one, which
// picks up the title and the splash image on its own thread.
#pragma once

#include <windows.h>

#include <string>

#include "device/ce/ce_api.h"
#include "device/installer/installer_state.h"
#include "device/installer/installer_workers.h"
#include "device/installer/page_flow.h"

namespace zk {

class InstallerMainWindow : public InstallerWindow, public UnpackingWindow {
public:
    InstallerMainWindow(HINSTANCE instance, InstallerSession& session, InstallerWork& work);
    ~InstallerMainWindow() override;
    InstallerMainWindow(const InstallerMainWindow&) = delete;
    InstallerMainWindow& operator=(const InstallerMainWindow&) = delete;

    static bool RegisterWindowClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND Handle() const { return window_; }
    HWND HtmlView() const { return htmlView_; }
    HWND SoftKeyBarWindow() const;
    bool ArrowKeysMoveFocus() const { return flow_.ArrowKeysMoveFocus(); }
    bool OnEnterKey() { return flow_.OnEnterKey(); }

    // InstallerWindow
    void CreateSoftKeyBar(int bar) override;
    void DestroySoftKeyBar(int bar) override;
    void ShowEula(std::u16string_view address) override;
    void CreatePreferenceControls(const Preferences& preferences,
                                  std::u16string_view logPath) override;
    void DestroyPreferenceControls() override;
    void PrepareInstallationPage(std::u16string_view readMeAddress) override;
    void HideHtmlView() override;
    void PlaceHtmlView() override;
    void Invalidate() override;
    bool IsChecked(int control) override;
    void EnableControl(int control, bool enabled) override;
    void SetControlText(int control, std::u16string_view text) override;
    void FocusControl(int control) override;
    bool BrowseFolder(std::u16string* folder) override;
    void StartStatusTimer() override;
    void StopStatusTimer() override;
    void SetStatusText(std::u16string_view text) override;
    void ShowReadMe() override;
    void RemoveStatusBox() override;
    void Close() override;

    // UnpackingWindow (the unpacking thread)
    void SetTitle(std::u16string_view title) override;
    void ShowSplash(std::u16string_view path) override;
    void UnpackingEnded() override;

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    void OnDestroy();
    void OnPaint();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnTimer(WPARAM id);
    void OnSettingChange(WPARAM wParam, LPARAM lParam);
    void OnTitleReady();
    void OnSplashReady();
    void PaintContent(HDC dc, const RECT& client);
    void Navigate(std::u16string_view address);
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    RECT WorkArea() const;

    HINSTANCE instance_;
    InstallerSession& session_;
    PageFlow flow_;
    HWND window_ = nullptr;
    HWND htmlView_ = nullptr;
    HWND statusBox_ = nullptr;
    HWND bars_[4] = {};
    HFONT font_ = nullptr;
    HBITMAP splash_ = nullptr;
    std::u16string readyText_;
    ce::SHACTIVATEINFO activateInfo_ = {};
};

}  // namespace zk
