// The character filter of the fields that hold a file name (the title and
// the project name): a typed " * / : < > ? \ or | plays the system
// exclamation sound and is dropped. Pasted text is not filtered; the page
// check refuses such names.
#pragma once

#include <windows.h>

namespace zk {

// True for the characters Windows refuses in a file name.
bool IsRefusedFileNameChar(WPARAM character);

bool InstallFileNameCharFilter(HWND field);
void RemoveFileNameCharFilter(HWND field);

}  // namespace zk
