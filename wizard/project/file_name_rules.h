// Whether a typed name can stand as one Windows file or folder name. The title
// names the installers and a subfolder of the output folder, and the project
// name names the project file written there, so a name that Windows reads as
// something else (a parent folder, a device) would put the build elsewhere.
#pragma once

namespace zk {

// False when the text holds one of \ / : * ? " < > | or a character below 32,
// is "." or "..", ends in a dot or a blank, or is a device name (CON, PRN,
// AUX, NUL, COM1-COM9, LPT1-LPT9, in any case, alone or before an extension).
// Empty text passes: emptiness has its own message.
bool IsUsableFileName(const char* text);

}  // namespace zk
