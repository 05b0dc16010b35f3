// The build page's log list box and progress bar as the builds write them.
// The builds run on the window's thread, so each change is painted at once
// rather than when the build is over.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/page_view.h"

namespace zk {

class Win32BuildLog : public BuildLog {
public:
    explicit Win32BuildLog(const std::map<int, HWND>& controls) : controls_(controls) {}

    // Appends a line and scrolls it into view.
    void AddLine(const std::string& line) override;
    void SetProgressCaption(const std::string& caption) override;
    void SetProgressRange(int maximum, int step) override;
    void StepProgress() override;

private:
    HWND Find(int id) const;

    const std::map<int, HWND>& controls_;
};

}  // namespace zk
