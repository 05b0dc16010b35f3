// The page view over the real child windows of the current page: edit
// fields, static texts, check boxes, and the report-view list views read and
// written cell by cell. Controls are looked up by id in the page's control
// map; an id that is not there reads as empty and ignores writes.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "platform/page_view.h"

namespace zk {

class Win32PageView : public PageView {
public:
    explicit Win32PageView(const std::map<int, HWND>& controls) : controls_(controls) {}

    bool HasControl(int id) override;
    // Texts are ANSI, read whole whatever their length.
    std::string GetText(int id) override;
    void SetText(int id, const std::string& text) override;
    bool IsChecked(int id) override;
    void SetChecked(int id, bool checked) override;
    void Enable(int id, bool enabled) override;
    void Show(int id, bool shown) override;

    int ListColumnCount(int id) override;
    void InsertListColumn(int id, int column, const std::string& title, int width,
                          ColumnAlign align) override;
    void DeleteListColumn(int id, int column) override;
    std::string ListColumnTitle(int id, int column) override;
    int ListRowCount(int id) override;
    void InsertListRow(int id, int row, const std::string& label, int image) override;
    void DeleteListRow(int id, int row) override;
    void DeleteAllListRows(int id) override;
    // Cell texts are read in 260-byte buffers, as the list's callers write them.
    std::string ListCellText(int id, int row, int column) override;
    int ListCellImage(int id, int row, int column) override;
    void SetListCell(int id, int row, int column, const std::string& text, int image) override;
    int ListSelectedRow(int id) override;
    int ListFocusedRow(int id) override;
    void SetListRowState(int id, int row, bool selected, bool focused) override;

private:
    HWND Find(int id) const;
    // The list view of `id` when (row, column) names one of its cells.
    HWND ListWithCell(int id, int row, int column);

    const std::map<int, HWND>& controls_;
};

}  // namespace zk
