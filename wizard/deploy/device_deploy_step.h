// The deploy page's logic as the step machine calls it, over one ActiveSync
// connection kept for the life of the window.
#pragma once

#include "activesync/device_connection.h"
#include "wizard/ui/step_machine.h"

namespace zk {

class DeviceDeployStep : public DeployStep {
public:
    explicit DeviceDeployStep(DeviceConnection& connection) : connection_(connection) {}

    // Entering the step and "Look for device" run the same connection
    // sequence. Without a page nothing happens.
    void Enter(WizardContext& ctx) override;
    void LookForDevice(WizardContext& ctx) override;
    void Deploy(WizardContext& ctx) override;

private:
    DeviceConnection& connection_;
};

}  // namespace zk
