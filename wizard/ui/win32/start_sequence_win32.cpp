#include "wizard/ui/win32/start_sequence_win32.h"

#include <objbase.h>

#include "activesync/device_connection.h"
#include "activesync/message_loop_tick_wait_win32.h"
#include "activesync/rapi_remote_device_win32.h"
#include "platform/desktop_platform_win32.h"
#include "platform/path_text.h"
#include "wizard/deploy/device_deploy_step.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/startup_settings.h"
#include "wizard/ui/win32/main_window_win32.h"
#include "wizard/ui/win32/wizard_font_win32.h"
#include "wizard/ui/win32/zephyrkit_resources.h"

namespace zk {
namespace {

// Creates the window, gives its client area exactly the canvas size and
// centres it in the work area (which leaves out the task bar).
bool CreateMainWindow(HINSTANCE instance, int showCommand, MainWindow& main) {
    HWND window = CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE,
                                  WS_OVERLAPPED | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  nullptr, nullptr, instance, &main);
    if (!window) return false;
    RECT outer = {};
    RECT client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const int nonClientWidth = (outer.right - outer.left) - (client.right - client.left);
    const int nonClientHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const WindowPlacement at = PlaceMainWindow(work.right - work.left, work.bottom - work.top,
                                               nonClientWidth, nonClientHeight);
    MoveWindow(window, at.x, at.y, at.width, at.height, FALSE);
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

// Alt+B, Alt+N, Enter and F1 press the painted buttons; Tab and Shift+Tab
// move between the page's controls.
int RunMessageLoop(MainWindow& main) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (main.OnKey(message)) continue;
        if (IsDialogMessageA(main.window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

void RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindow::Procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZEPHYRKIT));
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_ZEPHYRKIT_SMALL));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = MAIN_WINDOW_CLASS;
    RegisterClassExA(&windowClass);
}

int Win32StartSequence::Run(WizardContext& ctx) {
    const int startStep = BeginWizardRun(ctx);
    WizardFont font;

    RapiRemoteDevice device;
    MessageLoopTickWait wait;
    DeviceConnection connection(device, wait);
    DeviceDeployStep deploy(connection);

    RegisterWindowClass(instance_);
    // The skin and the help live beside the program, whichever folder it was
    // started in (a double-clicked project starts it in the project's).
    MainWindow main({instance_, font.handle(), ctx, platform_, device, deploy,
                     FolderPart(ctx.platform.ProgramPath()), startStep});
    if (!CreateMainWindow(instance_, showCommand_, main)) return 0;
    if (FAILED(CoInitialize(nullptr))) return 0;
    const int code = RunMessageLoop(main);
    CoUninitialize();
    connection.Disconnect();
    main.Destroy();
    return code;
}

}  // namespace zk
