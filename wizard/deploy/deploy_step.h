// The deployment step's commands over the page view: looking for the device
// (also run on entering the step) and Deploy, which copies the device
// installer built last into the chosen device folder and starts it there.
// Every outcome goes to the status field; there are no message boxes.
#pragma once

#include <string>
#include <string_view>

#include "activesync/device_connection.h"

namespace zk {

class PageView;
struct Project;
struct WizardContext;

inline constexpr char STATUS_CONNECTING[] = "Connecting to Windows CE...";
inline constexpr char STATUS_CONNECTED[] = "Connecting to Windows CE...Success";
inline constexpr char STATUS_NOT_CONNECTED[] = "Connecting to Windows CE...Failed";
inline constexpr char STATUS_COPYING[] = "File copy in progress...";
inline constexpr char STATUS_COPIED[] = "File copy in progress...Completed";
inline constexpr char STATUS_COPY_FAILED[] = "File copy in progress...Failed";
inline constexpr char STATUS_STARTED[] = "Creating remote process...Completed";
inline constexpr char STATUS_START_FAILED[] = "Creating remote process...Failed";

// The longest target folder a device path is formed from: the field is read
// into a buffer of 260 characters.
inline constexpr std::size_t TARGET_FOLDER_MAX = 259;

// The device path of the installer in the target folder, joined by one "\"
// (none when the folder already ends in one), in UTF-16. False, and no path,
// when the folder text is longer than TARGET_FOLDER_MAX: cutting it would
// name another folder.
bool DeviceInstallerPath(std::string_view targetFolder, std::string_view installerName,
                         std::u16string* path);

// The step's painted text, with the project's company and title.
std::string DeploymentText(const Project& project);

// On entering the step and on "Look for device": drops any connection, then
// connects with the tree hidden and the button disabled; shows the tree on
// success and enables the button again in either case.
void LookForDevice(PageView& page, DeviceConnection& connection);

// Deploy: copies the installer to the target folder and, only when the
// whole file arrived, starts it there.
void DeployInstaller(WizardContext& context, DeviceConnection& connection);

}  // namespace zk
