// "zk-device profile NAME [--screen SCREEN] [--reg]": a device profile as a
// line of facts, or as the registry file that makes a Wine prefix that
// device (scripts/wine-device.sh imports it), so that the profiles live in
// one table.
#pragma once

namespace zk {

// args: what follows "profile". Returns the exit status: 0, or 2 for a wrong
// command line.
int RunProfileCommand(int argc, char** argv);

}  // namespace zk
