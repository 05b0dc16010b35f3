// A desktop platform for tests: real files (through the host's own
// implementation), with everything else recorded or set by the test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop_platform.h"
#include "platform/desktop_platform_posix.h"
#include "platform/page_view.h"

namespace zk::test {

struct ShownMessage {
    std::string text;
    std::string caption;
    MessageIcon icon;
    bool owned;
};

class FakeDesktopPlatform : public PosixDesktopPlatform {
public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                     bool owned) override {
        messages.push_back({text, caption, icon, owned});
    }
    std::string CurrentDirectory() override { return currentDirectory; }
    std::string ProgramPath() override { return programPath; }
    std::string TemporaryFolder() override {
        return temporaryFolder.empty() ? PosixDesktopPlatform::TemporaryFolder() : temporaryFolder;
    }
    std::int64_t CurrentUnixTime() override { return unixTime; }
    bool ReadRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                            std::string* out) override;
    bool ReadRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                           std::uint32_t* out) override;
    bool WriteRegistryDword(RegistryRoot root, const std::string& key, const std::string& value,
                            std::uint32_t data) override;
    bool WriteRegistryString(RegistryRoot root, const std::string& key, const std::string& value,
                             const std::string& data) override;
    std::unique_ptr<FileHandle> OpenFile(const std::string& path, FileMode mode) override;
    bool ShellStart(const std::string& path) override {
        started.push_back(path);
        return true;
    }

    // Writes to a path ending in this text stop after `failWriteAfterBytes`.
    std::string failWritesTo;
    std::uint64_t failWriteAfterBytes = 0;

    std::vector<ShownMessage> messages;
    std::vector<std::string> started;
    std::string currentDirectory = "/fake/current";
    std::string programPath = "/fake/program/zephyrkit";
    std::string temporaryFolder;
    std::int64_t unixTime = 1796601600;  // 7 December 2026 00:00:00 UTC
    // "root|key|value" -> text; dwords as their decimal text with a "#" prefix.
    std::map<std::string, std::string> registry;
};

// Records the page-view traffic; controls exist when listed in `controls`
// (all of them when the set is empty and `anyControl` holds). List views keep
// their columns and rows in `lists`, which tests read directly.
class FakePageView : public PageView {
public:
    struct Column {
        std::string title;
        int width = 0;
        ColumnAlign align = ColumnAlign::Left;
    };
    struct Cell {
        std::string text;
        int image = -1;
    };
    struct Row {
        std::vector<Cell> cells;  // cells[0] is the label
        bool selected = false;
        bool focused = false;
    };
    struct List {
        std::vector<Column> columns;
        std::vector<Row> rows;
    };

    bool HasControl(int id) override { return anyControl || texts.count(id) || checks.count(id); }
    std::string GetText(int id) override { return texts.count(id) ? texts[id] : std::string(); }
    void SetText(int id, const std::string& text) override { texts[id] = text; }
    bool IsChecked(int id) override { return checks.count(id) && checks[id]; }
    void SetChecked(int id, bool checked) override { checks[id] = checked; }
    void Enable(int id, bool enabled) override { enabled_[id] = enabled; }
    void Show(int id, bool shown) override { shown_[id] = shown; }
    bool IsEnabled(int id) const { return enabled_.count(id) && enabled_.at(id); }

    int ListColumnCount(int id) override { return static_cast<int>(lists[id].columns.size()); }
    void InsertListColumn(int id, int column, const std::string& title, int width,
                          ColumnAlign align) override {
        auto& columns = lists[id].columns;
        if (column < 0 || column > static_cast<int>(columns.size())) return;
        columns.insert(columns.begin() + column, Column{title, width, align});
    }
    void DeleteListColumn(int id, int column) override {
        auto& columns = lists[id].columns;
        if (column < 0 || column >= static_cast<int>(columns.size())) return;
        columns.erase(columns.begin() + column);
        for (Row& row : lists[id].rows)
            if (column < static_cast<int>(row.cells.size())) row.cells.erase(row.cells.begin() + column);
    }
    std::string ListColumnTitle(int id, int column) override {
        auto& columns = lists[id].columns;
        if (column < 0 || column >= static_cast<int>(columns.size())) return {};
        return columns[static_cast<std::size_t>(column)].title;
    }
    int ListRowCount(int id) override { return static_cast<int>(lists[id].rows.size()); }
    void InsertListRow(int id, int row, const std::string& label, int image) override {
        auto& rows = lists[id].rows;
        if (row < 0 || row > static_cast<int>(rows.size())) return;
        Row added;
        added.cells.push_back(Cell{label, image});
        rows.insert(rows.begin() + row, added);
    }
    void DeleteListRow(int id, int row) override {
        auto& rows = lists[id].rows;
        if (row < 0 || row >= static_cast<int>(rows.size())) return;
        rows.erase(rows.begin() + row);
    }
    void DeleteAllListRows(int id) override { lists[id].rows.clear(); }
    std::string ListCellText(int id, int row, int column) override {
        const Cell* cell = FindCell(id, row, column);
        return cell ? cell->text : std::string();
    }
    int ListCellImage(int id, int row, int column) override {
        const Cell* cell = FindCell(id, row, column);
        return cell ? cell->image : -1;
    }
    void SetListCell(int id, int row, int column, const std::string& text, int image) override {
        auto& rows = lists[id].rows;
        if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0 ||
            column >= static_cast<int>(lists[id].columns.size()))
            return;
        auto& cells = rows[static_cast<std::size_t>(row)].cells;
        if (static_cast<int>(cells.size()) <= column) cells.resize(static_cast<std::size_t>(column) + 1);
        cells[static_cast<std::size_t>(column)] = Cell{text, image};
    }
    int ListSelectedRow(int id) override {
        auto& rows = lists[id].rows;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].selected) return static_cast<int>(i);
        return -1;
    }
    int ListFocusedRow(int id) override {
        auto& rows = lists[id].rows;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].focused) return static_cast<int>(i);
        return -1;
    }
    void SetListRowState(int id, int row, bool selected, bool focused) override {
        auto& rows = lists[id].rows;
        if (row < 0 || row >= static_cast<int>(rows.size())) return;
        for (Row& other : rows) {
            if (selected) other.selected = false;
            if (focused) other.focused = false;
        }
        rows[static_cast<std::size_t>(row)].selected = selected;
        rows[static_cast<std::size_t>(row)].focused = focused;
    }

    // The labels of a list's rows, top to bottom.
    std::vector<std::string> RowLabels(int id) {
        std::vector<std::string> labels;
        for (std::size_t i = 0; i < lists[id].rows.size(); ++i)
            labels.push_back(ListCellText(id, static_cast<int>(i), 0));
        return labels;
    }

    bool anyControl = true;
    std::map<int, std::string> texts;
    std::map<int, bool> checks;
    std::map<int, bool> enabled_;
    std::map<int, bool> shown_;
    std::map<int, List> lists;

private:
    const Cell* FindCell(int id, int row, int column) {
        auto& rows = lists[id].rows;
        if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0) return nullptr;
        auto& cells = rows[static_cast<std::size_t>(row)].cells;
        if (column >= static_cast<int>(cells.size())) return nullptr;
        return &cells[static_cast<std::size_t>(column)];
    }
};

class RecordingBuildLog : public BuildLog {
public:
    void AddLine(const std::string& line) override { lines.push_back(line); }
    void SetProgressCaption(const std::string& caption) override { captions.push_back(caption); }
    void SetProgressRange(int maximum, int step) override {
        rangeMaximum = maximum;
        rangeStep = step;
        position = 0;
    }
    void StepProgress() override { position += rangeStep; }

    std::vector<std::string> lines;
    std::vector<std::string> captions;
    int rangeMaximum = 0;
    int rangeStep = 0;
    int position = 0;
};

}  // namespace zk::test
