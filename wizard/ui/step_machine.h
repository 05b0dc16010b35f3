// The wizard's main window without the window: which step is shown, what the
// commands of the pages and the painted buttons do, what is checked before
// the step changes, and what happens when the window closes. The front
// turns window messages into calls here and supplies the hooks below.
#pragma once

#include <string>

#include "wizard/ui/page_builder.h"

namespace zk {

struct WizardContext;

// The current page, 0 to 4; the machine keeps it as the int it is stored as.
enum class WizardStep : int { Intro = 0, Presets = 1, Cabinets = 2, Build = 3, Deploy = 4 };
constexpr int StepIndex(WizardStep step) { return static_cast<int>(step); }

inline constexpr const char* MISSING_FILES_TEXT =
    "Cannot build project. Files are missing or corrupt. Please go back and correct";
inline constexpr const char* INVALID_PROJECT_TEXT = "Project file is invalid";
inline constexpr const char* ERROR_BOX_CAPTION = "Error";

enum class Chooser { Project, Eula, Readme, Splash, Cabinet };

// What the window must do for the step machine.
class WizardFront {
public:
    virtual ~WizardFront() = default;
    // The current page's controls.
    virtual PageControls& Controls() = 0;
    // Invalidates the whole window with erase, so the step's painting follows.
    virtual void Repaint() = 0;
    // A modal file chooser; true and the full path on OK.
    virtual bool ChooseFile(Chooser chooser, std::string* path) = 0;
    // The folder chooser (which also sets the two folder flags of
    // WizardState); true and the path on OK.
    virtual bool ChooseWorkFolder(std::string* path) = 0;
    // Sends the close message to the main window.
    virtual void CloseWindow() = 0;
    virtual void ShowAboutBox() = 0;
    virtual void OpenWebPage() = 0;
    // Asked at every read and write of a build: lets the window answer its
    // messages, and true once it was asked to close (the build then stops,
    // leaving the earlier outputs, and the window closes).
    virtual bool BuildInterrupted() { return false; }
};

// The deploy page's own logic: the connection sequence, and copying and
// starting the device installer, with their status texts.
class DeployStep {
public:
    virtual ~DeployStep() = default;
    // On entering step 4, and on Next while there.
    virtual void Enter(WizardContext& ctx) = 0;
    // "Look for device".
    virtual void LookForDevice(WizardContext& ctx) = 0;
    // The Deploy button.
    virtual void Deploy(WizardContext& ctx) = 0;
};

// The painted buttons, by what their release does.
enum class PaintedButton { Help, About, Web, Back, NextPosition };

class StepMachine {
public:
    StepMachine(WizardContext& ctx, WizardFront& front, DeployStep& deploy, int startStep);

    int step() const { return step_; }

    // True while the Build command runs.
    bool building() const { return building_; }

    // The window was created: make the page of the current step.
    void OnCreate();
    // Close or destroy: store the start step. The front then ends the loop.
    void OnClose();
    // A command from a control or a painted button. False when the id is not
    // one of the window's commands (the default handler takes it).
    bool OnCommand(int id);
    void OnPaintedButton(PaintedButton button);
    // The command the next-position painted button sends on this step.
    int NextPositionCommand() const;

    // The Build command's result, for the front and for tests: false when
    // the build did not run or did not complete.
    bool lastBuildSucceeded() const { return lastBuildSucceeded_; }

private:
    void ChangeStep(int to);
    void Back();
    void Next();
    void BuildInstallers();
    void LoadProject();
    void ChooseDocument(Chooser chooser, int field, char* fileName, std::size_t size);
    void EnableGroup(std::initializer_list<int> ids, bool enabled, bool untick);
    void ToggleDeploy(int id, std::uint8_t& mine, std::uint8_t& other, int otherId);

    WizardContext& ctx_;
    WizardFront& front_;
    DeployStep& deploy_;
    int step_;
    bool lastBuildSucceeded_ = false;
    bool building_ = false;
};

}  // namespace zk
