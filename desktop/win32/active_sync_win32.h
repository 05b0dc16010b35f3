// The ActiveSync connection the desktop installer uses on Windows.
#pragma once

#include <memory>

#include "activesync/remote_device.h"

namespace zk {

std::unique_ptr<RemoteDevice> OpenActiveSync();

}  // namespace zk
