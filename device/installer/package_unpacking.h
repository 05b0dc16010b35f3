// Unpacking the package's leading sections on the device: the routine of the
// `SystemInfo` thread, started when the main window is created.
//
// The package is the program file itself: the stub, then the sections in the
// order the wizard writes them (system-information tool, project, splash,
// EULA, read-me, one per cabinet). Which optional sections exist follows
// from the project's flags alone, so the project is loaded before they are
// read. Once the project is known the rest of the package is checked
// (package_check.h) before anything is shown as ready. The routine leaves the
// package stream open at the first cabinet section for the installation
// thread.
#pragma once

#include <cstdint>
#include <string_view>

#include "common/package_layout.h"
#include "device/installer/installer_state.h"

namespace zk {

// What the unpacking tells the window. Called on the unpacking thread: a
// window posts these to itself rather than touching its controls from here.
class UnpackingWindow {
public:
    virtual ~UnpackingWindow() = default;
    // The title "company title" is known: set it and repaint the whole
    // window, background included.
    virtual void SetTitle(std::u16string_view title) = 0;
    // The splash image is unpacked: load it and repaint (no erasing).
    virtual void ShowSplash(std::u16string_view path) = 0;
    // The routine's last act: the package has been checked (damage.whole).
    virtual void UnpackingEnded() {}
};

// The thread routine. packagePath: the program's own file. window may be
// null. Returns 1, as the thread's exit code.
int SystemInfo(InstallerSession& session, std::u16string_view packagePath, UnpackingWindow* window,
               std::uint32_t firstSectionOffset = MOBILE_STUB_FIRST_SECTION_OFFSET);

// readyText, doneText and the title from the loaded project.
void BuildProjectTexts(InstallerState& state);

}  // namespace zk
