#include "wizard/deploy/deploy_step.h"

#include "activesync/device_transfer.h"
#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "common/project_record.h"
#include "platform/page_view.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"

namespace zk {

bool DeviceInstallerPath(std::string_view targetFolder, std::string_view installerName,
                         std::u16string* path) {
    if (targetFolder.size() > TARGET_FOLDER_MAX) return false;
    std::string joined(targetFolder);
    if (joined.empty() || joined.back() != '\\') joined += '\\';
    joined += installerName;
    *path = WideFromAnsi(joined);
    return true;
}

std::string DeploymentText(const Project& project) {
    return "This wizard will help you install " + TextOf(project.company) + " " +
           TextOf(project.title) +
           " on your WindowsCE device. Please make sure your device is connected to this "
           "computer via ActiveSync. Choose a target directory then press Deploy";
}

void LookForDevice(PageView& page, DeviceConnection& connection) {
    page.Show(IDC_REMOTE_TREE, false);
    connection.Disconnect();
    page.Enable(IDC_LOOK_FOR_DEVICE, false);
    page.SetText(IDC_DEVICE_STATUS, STATUS_CONNECTING);
    const bool connected = connection.ConnectDevice(CONNECT_SECONDS);
    page.SetText(IDC_DEVICE_STATUS, connected ? STATUS_CONNECTED : STATUS_NOT_CONNECTED);
    if (connected) page.Show(IDC_REMOTE_TREE, true);
    page.Enable(IDC_LOOK_FOR_DEVICE, true);
}

void DeployInstaller(WizardContext& context, DeviceConnection& connection) {
    if (!context.page) return;
    PageView& page = *context.page;
    std::u16string devicePath;
    const bool formed = DeviceInstallerPath(page.GetText(IDC_REMOTE_PATH),
                                            TextOf(context.state.mobileInstallerName), &devicePath);
    page.SetText(IDC_DEVICE_STATUS, STATUS_COPYING);
    if (!formed ||
        CopyFileToDevice(connection, context.platform, TextOf(context.state.mobileInstallerPath),
                         devicePath) != COPY_DONE) {
        page.SetText(IDC_DEVICE_STATUS, STATUS_COPY_FAILED);
        return;
    }
    page.SetText(IDC_DEVICE_STATUS, STATUS_COPIED);
    page.SetText(IDC_DEVICE_STATUS, StartOnDevice(connection, devicePath, u"") == START_DONE
                                        ? STATUS_STARTED
                                        : STATUS_START_FAILED);
}

}  // namespace zk
