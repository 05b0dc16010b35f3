// The about box: a modal dialog (template IDD_ABOUT) showing the about
// picture, centred in the work area; Enter, Escape and the close box end it.
#pragma once

#include <windows.h>

#include <string>

namespace zk {

// `picture`: the full path of "Images\About.bmp". The box's client area is
// the picture's 320 x 240, whatever its frame takes.
void ShowAboutBox(HINSTANCE instance, HWND owner, const std::string& picture);

}  // namespace zk
