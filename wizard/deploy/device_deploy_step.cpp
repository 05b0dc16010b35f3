#include "wizard/deploy/device_deploy_step.h"

#include "wizard/deploy/deploy_step.h"
#include "wizard/project/wizard_context.h"

namespace zk {

void DeviceDeployStep::Enter(WizardContext& ctx) { LookForDevice(ctx); }

void DeviceDeployStep::LookForDevice(WizardContext& ctx) {
    if (ctx.page) zk::LookForDevice(*ctx.page, connection_);
}

void DeviceDeployStep::Deploy(WizardContext& ctx) { DeployInstaller(ctx, connection_); }

}  // namespace zk
