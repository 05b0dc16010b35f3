// The walk's findings as text for people and as JSON for scripts.
#pragma once

#include <ostream>

#include "inspector/package_walk.h"

namespace zk {

class DesktopPlatform;

// The layout, one line per section and one per member, the faults, then the
// project's settings as `zephyrkit-project show` prints them.
void PrintPackageList(DesktopPlatform& desktop, const PackageFacts& facts, std::ostream& out);
void PrintPackageListJson(const PackageFacts& facts, std::ostream& out);

// "OK", or one line per fault.
void PrintPackageTest(const PackageFacts& facts, std::ostream& out);
void PrintPackageTestJson(const PackageFacts& facts, std::ostream& out);

// Cabinets by device kinds, then the kinds that install nothing. The
// project must be loaded.
void PrintDeviceMatrix(const PackageFacts& facts, std::ostream& out);
void PrintDeviceMatrixJson(const PackageFacts& facts, std::ostream& out);

}  // namespace zk
