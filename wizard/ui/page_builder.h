// Making and unmaking a page from its table. The front supplies the controls
// (real child windows, or an in-memory page); this logic decides what is
// created in which order and what each control shows.
#pragma once

#include <vector>

#include "platform/memory_page_view.h"
#include "platform/page_view.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/page_tables.h"

namespace zk {

class BuildLog;
struct WizardContext;

class PageControls {
public:
    virtual ~PageControls() = default;

    // Creates the control, visible, enabled, showing its caption, with the
    // wizard font and its tooltip; the kind decides the rest (a cabinet list
    // gets its image list, styles and key subclass; a filtered field its
    // character filter). Failures are the front's to ignore.
    virtual void CreateControl(const ControlDefinition& entry) = 0;
    // Destroys a control of the current page, undoing any subclass first.
    // Unknown ids do nothing.
    virtual void DestroyControl(int id) = 0;
    // The page's controls as the checks and commands read and write them.
    virtual PageView& View() = 0;
    // The build page's log list box and progress bar.
    virtual BuildLog& Log() = 0;
    // Gives the remote folder tree its image list and root item; false when
    // either could not be made.
    virtual bool PrepareRemoteTree() = 0;
};

// Creates the step's controls in table order, shows WizardState in them and
// applies the enable rules; ctx.page becomes the controls' view. The cabinet
// page shows savedWorkPath (copied into workPath first) and builds its list;
// the build page writes the overview when asked for. False only when the
// deploy page's remote tree could not be prepared (the tree is then
// destroyed). Steps outside 0 to 4 create nothing and give true.
bool CreatePage(WizardContext& ctx, PageControls& controls, int step);

// Destroys every control of the step's page.
bool DestroyPage(PageControls& controls, int step);

// Controls held in memory, for fronts without windows and for tests. The
// build log's lines are kept in logLines.
class MemoryPageControls : public PageControls, private BuildLog {
public:
    MemoryPageControls() { page.anyControl = false; }

    void CreateControl(const ControlDefinition& entry) override;
    void DestroyControl(int id) override;
    PageView& View() override { return page; }
    BuildLog& Log() override { return *this; }
    bool PrepareRemoteTree() override { return remoteTreeReady; }

    bool Exists(int id) const;

    MemoryPageView page;
    std::vector<ControlDefinition> created;  // in creation order, destroyed ones removed
    std::vector<std::string> logLines;
    bool remoteTreeReady = true;

private:
    void AddLine(const std::string& line) override { logLines.push_back(line); }
    void SetProgressCaption(const std::string& caption) override {
        page.SetText(IDC_PROGRESS_LABEL, caption);
    }
    void SetProgressRange(int, int) override {}
    void StepProgress() override {}
};

}  // namespace zk
