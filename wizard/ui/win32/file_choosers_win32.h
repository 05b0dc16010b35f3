// The wizard's standard dialogs: the five file choosers, each with its
// title and file types, and the output-folder chooser with its two extra
// check boxes.
#pragma once

#include <windows.h>

#include <string>

#include "wizard/ui/step_machine.h"

namespace zk {

struct WizardState;

// An "open" dialog for one existing file; true and the full path on OK.
// Cancel or any failure changes nothing.
bool ChooseFileWin32(HWND owner, Chooser chooser, std::string* path);

// The folder browser with "Add current date to the path" and "Add
// subfolder '<title>' to the path", which set addDateToPath and
// addTitleSubfolder of `state` as the selection changes. True and the
// folder's path when one was chosen.
bool ChooseWorkFolderWin32(HWND owner, HFONT font, WizardState& state, std::string* path);

}  // namespace zk
