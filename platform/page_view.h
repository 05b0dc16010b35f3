// The page view port: what the page checks and commands need of the wizard's
// window. The Win32 front implements it over the real child controls; tests
// use an in-memory double. Controls are named by their identifiers
// (wizard/ui/control_ids.h). A control that does not exist on the current page
// reads as empty and unchecked, and writes to it do nothing.
#pragma once

#include <string>

namespace zk {

class PageView {
public:
    virtual ~PageView() = default;

    virtual bool HasControl(int id) = 0;
    virtual std::string GetText(int id) = 0;
    virtual void SetText(int id, const std::string& text) = 0;
    virtual bool IsChecked(int id) = 0;
    virtual void SetChecked(int id, bool checked) = 0;
    virtual void Enable(int id, bool enabled) = 0;
    virtual void Show(int id, bool shown) = 0;
};

// The build log list and the progress bar of the Build page. The command-line
// build uses NullBuildLog, which discards everything.
class BuildLog {
public:
    virtual ~BuildLog() = default;

    virtual void AddLine(const std::string& line) = 0;
    virtual void SetProgressCaption(const std::string& caption) = 0;
    // Range 0 to maximum, each step advancing by `step`; the bar restarts at 0.
    virtual void SetProgressRange(int maximum, int step) = 0;
    virtual void StepProgress() = 0;
};

class NullBuildLog : public BuildLog {
public:
    void AddLine(const std::string&) override {}
    void SetProgressCaption(const std::string&) override {}
    void SetProgressRange(int, int) override {}
    void StepProgress() override {}
};

}  // namespace zk
