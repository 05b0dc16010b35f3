// The emulated device's screen: the top-left corner of the display, its task
// bar along the top and the soft-key bar (as tall as the task bar) along the
// bottom. Read from the profile at each call, so a turned device is seen at
// once.
#pragma once

#include <windows.h>

namespace zk::ce {

struct DeviceScreen {
    int width;
    int height;
    int taskBarHeight;
};

DeviceScreen ReadDeviceScreen();

// The screen less the task bar.
RECT WorkArea(const DeviceScreen& screen);

// The task bar along the top of the screen, showing the owner's title.
void ShowTaskBar(HWND owner, HINSTANCE instance);

}  // namespace zk::ce
