// A page without a window: every control it is asked about is held in
// memory. The shell front runs the wizard's page logic over one of these, and
// tests read back what the logic did to it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/page_view.h"

namespace zk {

// Controls exist once written, or all of them while `anyControl` holds.
class MemoryPageView : public PageView {
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

    bool HasControl(int id) override {
        return anyControl || texts.count(id) || checks.count(id) || lists.count(id);
    }
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
            if (column < static_cast<int>(row.cells.size()))
                row.cells.erase(row.cells.begin() + column);
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
        if (static_cast<int>(cells.size()) <= column)
            cells.resize(static_cast<std::size_t>(column) + 1);
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

}  // namespace zk
