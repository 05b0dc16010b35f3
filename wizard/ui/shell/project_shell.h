// zephyrkit-project: the wizard's first three steps from a shell. Projects are
// made and changed through the same WizardState, page checks, cabinet
// admission and filters as in the window, over in-memory pages, and written
// whole or not at all.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zk {

class DesktopPlatform;
class InstallerSigner;

inline constexpr int SHELL_DONE = 0;
inline constexpr int SHELL_REFUSED = 1;  // a check, an admission message, a file fault
inline constexpr int SHELL_USAGE = 2;

// `arguments` follow the program name. Messages the wizard would show in a
// box are printed as "Caption: text" lines. Arguments and printed text are
// UTF-8; the project's texts are held in code page 1252, and an argument with
// a character that page lacks is refused (SHELL_REFUSED) before anything runs.
// `signer` signs the installers of `build --sign`; null: this program cannot
// sign, and --sign is refused as bad usage.
int RunProjectShell(DesktopPlatform& platform, const std::vector<std::string>& arguments,
                    std::istream& in, std::ostream& out, std::ostream& err,
                    InstallerSigner* signer = nullptr);

}  // namespace zk
