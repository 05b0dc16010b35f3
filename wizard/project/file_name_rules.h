// Whether a name can stand as one Windows file or folder name, on the desktop
// and on the device. The title names the installers and a subfolder of the
// output folder, the project name the project file written there, and the
// cabinets, EULA, read-me and splash keep their names in the device's \Temp:
// a name Windows reads as something else (a parent folder, a device) would
// put a file elsewhere, or nowhere.
#pragma once

#include <string>

namespace zk {

// Why the text cannot be a file name, as the end of a sentence about it
// ("holds the character ':'", "is the name of a device (CON)", "ends in a
// dot", "ends in a blank", "holds a control character"); empty when it can.
// Refused: one of \ / : * ? " < > |, a character below 32, a trailing dot
// or blank ("." and ".." too), a device name (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, in any case, alone or before an extension). Empty text passes:
// emptiness has its own message.
std::string FileNameProblem(const std::string& name);

// FileNameProblem(text) is empty.
bool IsUsableFileName(const char* text);

// True when Windows, on the desktop and on the device, takes the two names
// for one file: equal without regard to case (code page 1252's letters).
bool SameFileName(const std::string& a, const std::string& b);

}  // namespace zk
