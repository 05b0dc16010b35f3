// The wizard's entry: reads the command line and chooses the run — the
// interactive wizard, the wizard with a project loaded, or the build without
// a window ("-silent" and a project file), which ends with one message box.
#pragma once

#include <string>
#include <vector>

namespace zk {

struct WizardContext;

// The interactive part of the program, which each front supplies: the Win32
// window and its message loop, or on hosts without a window a short account
// of what can be done instead.
class StartSequence {
public:
    virtual ~StartSequence() = default;
    // Returns the program's exit code.
    virtual int Run(WizardContext& ctx) = 0;
};

// The project name under which a project file given on the command line is
// written again: the file-name part without ".paw" when the name contains
// ".paw" (case-sensitive), else the whole file-name part.
std::string DeriveProjectName(const std::string& projectFilePath);

// `arguments` are those after the program name, as the C runtime split them.
// Returns the exit code: 1 after a successful command-line build, 0 for every
// refusal and failure, else the start sequence's.
int RunZephyrkit(WizardContext& ctx, const std::vector<std::string>& arguments,
                 StartSequence& start);

}  // namespace zk
