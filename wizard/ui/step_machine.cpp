#include "wizard/ui/step_machine.h"

#include <cstring>

#include "common/fixed_text.h"
#include "platform/desktop_platform.h"
#include "platform/path_text.h"
#include "wizard/build/build_outcome.h"
#include "wizard/build/build_run.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/build_settings.h"
#include "wizard/project/filter_options.h"
#include "wizard/project/page_check.h"
#include "wizard/project/project_file.h"
#include "wizard/project/wizard_context.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/startup_settings.h"

namespace zk {
namespace {

constexpr int Intro = StepIndex(WizardStep::Intro);
constexpr int Presets = StepIndex(WizardStep::Presets);
constexpr int Build = StepIndex(WizardStep::Build);
constexpr int Deploy = StepIndex(WizardStep::Deploy);

}  // namespace

StepMachine::StepMachine(WizardContext& ctx, WizardFront& front, DeployStep& deploy, int startStep)
    : ctx_(ctx),
      front_(front),
      deploy_(deploy),
      step_(startStep >= Intro && startStep <= Deploy ? startStep : Intro) {}

void StepMachine::OnCreate() { CreatePage(ctx_, front_.Controls(), step_); }

void StepMachine::OnClose() { WriteStartStep(ctx_.platform, ctx_.state.skipIntroPage); }

void StepMachine::ChangeStep(int to) {
    DestroyPage(front_.Controls(), step_);
    step_ = to;
    CreatePage(ctx_, front_.Controls(), step_);
    front_.Repaint();
}

void StepMachine::Back() {
    // The left page's values are dropped: only Next's check keeps them.
    if (step_ >= Presets) ChangeStep(step_ - 1);
}

void StepMachine::Next() {
    // Step 3 moves on only for the mobile deployment that Build asks for.
    if (step_ == Build && !ctx_.state.deployMobileWhenDone) return;
    if (step_ != Deploy) {
        const int code = CheckPage(ctx_, step_);
        if (code != PAGE_OK) {
            ReportPageError(ctx_.platform, code);
            return;
        }
        ChangeStep(step_ + 1);
    }
    if (step_ == Deploy) deploy_.Enter(ctx_);
}

void StepMachine::BuildInstallers() {
    lastBuildSucceeded_ = false;
    if (!CheckBuildFiles(ctx_)) {
        ctx_.platform.ShowMessage(MISSING_FILES_TEXT, ERROR_BOX_CAPTION, MessageIcon::Error, false);
        return;
    }
    const int code = CheckPage(ctx_, Build);
    if (code != PAGE_OK) {
        ReportPageError(ctx_.platform, code);
        return;
    }
    CopyText(ctx_.state.workPath, TextOf(ctx_.state.savedWorkPath));
    CopyBuildSettingsToProject(ctx_);

    BuildLog& log = front_.Controls().Log();
    BuildOutcome outcome;
    BuildRunOptions options;
    // The front keeps its window answering while the build runs and tells
    // when it was closed meanwhile; no command of the page runs until then.
    options.interrupted = [this] { return front_.BuildInterrupted(); };
    building_ = true;
    const bool built = RunInstallerBuild(ctx_, log, outcome, options);
    building_ = false;
    // A window closed during the build closes once the build has cleared up.
    if (outcome.fault == BuildFault::Interrupted) {
        front_.CloseWindow();
        return;
    }
    // Deploying what was not built would start a stale or missing installer
    // and, for the desktop one, close the wizard on the user's work.
    if (!built) {
        ctx_.platform.ShowMessage("Build failed: " + BuildFailureText(outcome), ERROR_BOX_CAPTION,
                                  MessageIcon::Error, true);
        return;
    }
    lastBuildSucceeded_ = true;

    if (ctx_.project.deployDesktopWhenDone) {
        ctx_.platform.ShellStart(TextOf(ctx_.state.desktopInstallerPath));
        front_.CloseWindow();
    } else if (ctx_.project.deployMobileWhenDone) {
        // A window closing for the desktop installer has no device to connect.
        OnCommand(IDC_NEXT);
    }
}

void StepMachine::LoadProject() {
    std::string path;
    if (!front_.ChooseFile(Chooser::Project, &path)) return;
    if (!ReadProjectFile(ctx_.platform, ctx_.project, path.c_str())) {
        ctx_.platform.ShowMessage(INVALID_PROJECT_TEXT, ERROR_BOX_CAPTION, MessageIcon::Error,
                                  false);
        return;
    }
    // The file title without its extension; a shorter name is taken whole.
    std::string name = FileNamePart(path);
    if (name.size() >= 4) name.resize(name.size() - 4);
    ApplyProjectToWizard(ctx_, name.c_str());
    // The cabinet page shows the kept folder when entered; without this the
    // loaded project's output folder would give way to the previous one.
    if (ctx_.state.workPath[0] != '\0')
        CopyText(ctx_.state.savedWorkPath, TextOf(ctx_.state.workPath));
}

void StepMachine::ChooseDocument(Chooser chooser, int field, char* fileName, std::size_t size) {
    std::string path;
    if (!front_.ChooseFile(chooser, &path)) return;
    ctx_.page->SetText(field, path);
    const std::string name = FileNamePart(path);
    const std::size_t n = name.size() < size ? name.size() : size - 1;
    std::memcpy(fileName, name.data(), n);
    fileName[n] = '\0';
}

void StepMachine::EnableGroup(std::initializer_list<int> ids, bool enabled, bool untick) {
    for (int id : ids) {
        ctx_.page->Enable(id, enabled);
        if (untick && !enabled) ctx_.page->SetChecked(id, false);
    }
}

void StepMachine::ToggleDeploy(int id, std::uint8_t& mine, std::uint8_t& other, int otherId) {
    mine = ctx_.page->IsChecked(id) ? 1 : 0;
    if (mine) {
        other = 0;
        ctx_.page->SetChecked(otherId, false);
    }
}

bool StepMachine::OnCommand(int id) {
    // Commands that reach the window while a build runs wait for none.
    if (building_) return true;
    WizardState& s = ctx_.state;
    PageView* page = ctx_.page;
    // Page commands come only from a live page; without one they do nothing.
    auto checked = [page](int control) { return page && page->IsChecked(control); };
    switch (id) {
    case IDC_BACK: Back(); return true;
    case IDC_NEXT: Next(); return true;
    // The step buttons act only on their own step.
    case IDC_BUILD:
        if (step_ == Build) BuildInstallers();
        return true;
    case IDC_LOOK_FOR_DEVICE:
        if (step_ == Deploy) deploy_.LookForDevice(ctx_);
        return true;
    case IDC_DEPLOY:
        if (step_ == Deploy) deploy_.Deploy(ctx_);
        return true;
    default: break;
    }
    if (!page) return false;
    // A filter switch enables its options, and unticks them when it goes
    // off; the options reach WizardState through the page check.
    for (const FilterGroupSwitch& g : FILTER_GROUPS) {
        if (id != g.control) continue;
        for (const FilterOption& o : FILTER_OPTIONS)
            if (o.group == g.group) EnableGroup({o.control}, checked(id), true);
        return true;
    }
    for (const FilterOption& o : FILTER_OPTIONS)
        if (id == o.control) return true;
    switch (id) {
    case IDC_SKIP_INTRO: s.skipIntroPage = checked(id) ? 1 : 0; return true;
    case IDC_LOAD_PROJECT: LoadProject(); return true;
    case IDC_EULA_CHECK:
        EnableGroup({IDC_EULA_PATH, IDC_EULA_BROWSE}, checked(id), false);
        return true;
    case IDC_EULA_BROWSE:
        ChooseDocument(Chooser::Eula, IDC_EULA_PATH, s.eulaFileName, sizeof s.eulaFileName);
        return true;
    case IDC_README_CHECK:
        EnableGroup({IDC_README_PATH, IDC_README_BROWSE}, checked(id), false);
        return true;
    case IDC_README_BROWSE:
        ChooseDocument(Chooser::Readme, IDC_README_PATH, s.readmeFileName, sizeof s.readmeFileName);
        return true;
    case IDC_SAVE_PROJECT: EnableGroup({IDC_PROJECT_NAME}, checked(id), false); return true;
    case IDC_SPLASH_CHECK:
        EnableGroup({IDC_SPLASH_PATH, IDC_SPLASH_BROWSE}, checked(id), false);
        return true;
    case IDC_SPLASH_BROWSE:
        ChooseDocument(Chooser::Splash, IDC_SPLASH_PATH, s.splashFileName, sizeof s.splashFileName);
        return true;
    // The other plain boxes reach WizardState through the page check.
    case IDC_REMOVABLE_CARD:
    case IDC_DEVICE_ADVANCED:
    case IDC_SHOW_OVERVIEW: return true;
    case IDC_MOVE_UP: MoveCabinetUp(ctx_); return true;
    case IDC_MOVE_DOWN: MoveCabinetDown(ctx_); return true;
    case IDC_ADD_CABINET: {
        std::string path;
        if (front_.ChooseFile(Chooser::Cabinet, &path))
            AdmitCabinet(ctx_, path, FileNamePart(path));
        return true;
    }
    case IDC_DELETE_CABINET: RemoveCabinet(ctx_); return true;
    case IDC_CUSTOM_WORK_PATH:
        s.customWorkPath = checked(id) ? 1 : 0;
        EnableGroup({IDC_WORK_PATH, IDC_WORK_PATH_BROWSE}, s.customWorkPath != 0, false);
        return true;
    case IDC_WORK_PATH_BROWSE: {
        std::string path;
        if (front_.ChooseWorkFolder(&path) && !path.empty()) page->SetText(IDC_WORK_PATH, path);
        return true;
    }
    case IDC_DEPLOY_DESKTOP:
        ToggleDeploy(id, s.deployDesktopWhenDone, s.deployMobileWhenDone, IDC_DEPLOY_MOBILE);
        return true;
    case IDC_DEPLOY_MOBILE:
        ToggleDeploy(id, s.deployMobileWhenDone, s.deployDesktopWhenDone, IDC_DEPLOY_DESKTOP);
        return true;
    default: return false;
    }
}

int StepMachine::NextPositionCommand() const {
    if (step_ == Build) return IDC_BUILD;
    if (step_ == Deploy) return IDC_DEPLOY;
    return IDC_NEXT;
}

void StepMachine::OnPaintedButton(PaintedButton button) {
    if (building_) return;
    switch (button) {
    case PaintedButton::Help: ctx_.platform.ShellStart(TextOf(ctx_.state.helpPath)); break;
    case PaintedButton::About: front_.ShowAboutBox(); break;
    case PaintedButton::Web: front_.OpenWebPage(); break;
    case PaintedButton::Back: OnCommand(IDC_BACK); break;
    case PaintedButton::NextPosition: OnCommand(NextPositionCommand()); break;
    }
}

}  // namespace zk
