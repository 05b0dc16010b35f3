// The wizard's main window: one fixed 640 x 480 canvas on which the step
// machine shows its five pages. The window procedure turns messages into
// calls of the step machine, of the page controls and of the painted
// buttons; this object is also the front the step machine asks for
// choosers, the about box and repainting.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "wizard/ui/painted_buttons.h"
#include "wizard/ui/step_machine.h"
#include "wizard/ui/win32/page_controls_win32.h"
#include "wizard/ui/win32/skin_bitmaps_win32.h"

namespace zk {

class RemoteDevice;
class Win32DesktopPlatform;

// Where the Web button leads.
inline constexpr const char* PRODUCT_WEB_ADDRESS = "https://www.morvane.example/zephyrkit/";

class MainWindow : public WizardFront {
public:
    struct Setup {
        HINSTANCE instance;
        HFONT font;
        WizardContext& ctx;
        Win32DesktopPlatform& platform;  // ctx's platform: its boxes get the window as owner
        RemoteDevice& device;
        DeployStep& deploy;
        std::string programFolder;  // ends with a separator
        int startStep;
    };
    explicit MainWindow(const Setup& setup);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The class's window procedure; the window is created with this object
    // as its creation parameter.
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window() const { return window_; }
    // The end of the message loop: the window goes, with its page.
    void Destroy();

    PageControls& Controls() override { return *controls_; }
    void Repaint() override;
    bool ChooseFile(Chooser chooser, std::string* path) override;
    bool ChooseWorkFolder(std::string* path) override;
    void CloseWindow() override;
    void ShowAboutBox() override;
    void OpenWebPage() override;
    bool BuildInterrupted() override;

    // A key from the message loop, before the dialog keys: true when it
    // pressed a painted button (Alt+B, Alt+N, Enter, F1) and is used up.
    bool OnKey(const MSG& message);

private:
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    LRESULT OnClose();
    LRESULT OnPaint();
    LRESULT OnControlColour(HDC context, HWND control);
    LRESULT OnNotify(const NMHDR* header);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(LPARAM lParam);
    LRESULT OnButtonDown(LPARAM lParam);
    LRESULT OnButtonUp(LPARAM lParam);
    void InvalidateArea(const HotArea& area);
    // Presses and releases `button` as the mouse does, the pressed picture
    // shown for a moment between.
    void PressByKey(PaintedButton button);
    bool FocusTakesEnter(const MSG& message) const;
    std::string ImagesFolder() const;

    Setup setup_;
    HWND window_ = nullptr;
    bool closed_ = false;
    // The window was asked to close while a build ran: the build stops and
    // the window closes once it has cleared up.
    bool closeDuringBuild_ = false;
    DWORD lastPump_ = 0;
    SkinBitmaps skin_;
    PaintedButtons buttons_;
    HBRUSH fieldBrush_;
    HBRUSH pageBrush_;
    std::unique_ptr<Win32PageControls> controls_;
    StepMachine machine_;
};

}  // namespace zk
