// The page view port: what the page checks and commands need of the wizard's
// window. The Win32 front implements it over the real child controls; tests
// use an in-memory double. Controls are named by their identifiers
// (wizard/ui/control_ids.h). A control that does not exist on the current page
// reads as empty and unchecked, and writes to it do nothing.
#pragma once

#include <cstdint>
#include <string>

namespace zk {

enum class ColumnAlign { Left, Centre, Right };

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

    // Report-style list views, named by their control id like the other
    // controls. Columns and rows count from 0; column 0 holds each row's
    // label, later columns its cells. Images are indexes into the list's
    // small-icon image list, -1 for none. Reads outside the list give empty
    // text and image -1; writes outside it do nothing. A row is inserted at
    // `row` (the end when `row` is the count), moving later rows down.
    virtual int ListColumnCount(int id) = 0;
    virtual void InsertListColumn(int id, int column, const std::string& title, int width,
                                  ColumnAlign align) = 0;
    virtual void DeleteListColumn(int id, int column) = 0;
    virtual std::string ListColumnTitle(int id, int column) = 0;
    virtual int ListRowCount(int id) = 0;
    virtual void InsertListRow(int id, int row, const std::string& label, int image) = 0;
    virtual void DeleteListRow(int id, int row) = 0;
    virtual void DeleteAllListRows(int id) = 0;
    virtual std::string ListCellText(int id, int row, int column) = 0;
    virtual int ListCellImage(int id, int row, int column) = 0;
    virtual void SetListCell(int id, int row, int column, const std::string& text, int image) = 0;
    // The list has single selection: at most one row is selected, and at most
    // one has the focus. -1 when none.
    virtual int ListSelectedRow(int id) = 0;
    virtual int ListFocusedRow(int id) = 0;
    // Selecting a row clears the selection elsewhere, focusing one moves the
    // focus; false leaves the other rows alone.
    virtual void SetListRowState(int id, int row, bool selected, bool focused) = 0;
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
    // Each section the build packed, in order, with its source's size and
    // the packed archive's; the window's log shows its own figure instead.
    virtual void SectionPacked(std::uint64_t sourceSize, std::uint64_t packedSize) {
        (void)sourceSize;
        (void)packedSize;
    }
};

class NullBuildLog : public BuildLog {
public:
    void AddLine(const std::string&) override {}
    void SetProgressCaption(const std::string&) override {}
    void SetProgressRange(int, int) override {}
    void StepProgress() override {}
};

}  // namespace zk
