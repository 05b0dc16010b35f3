#include "wizard/ui/win32/page_view_win32.h"

#include <commctrl.h>

#include <vector>

namespace zk {
namespace {

constexpr int CELL_TEXT_MAX = 260;

int ListMessage(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return static_cast<int>(SendMessageA(list, message, wParam, lParam));
}

int NextRowWith(HWND list, UINT flags) {
    if (!list) return -1;
    return ListMessage(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(flags, 0));
}

}  // namespace

HWND Win32PageView::Find(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

bool Win32PageView::HasControl(int id) { return Find(id) != nullptr; }

std::string Win32PageView::GetText(int id) {
    HWND control = Find(id);
    if (!control) return {};
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const int got = GetWindowTextA(control, buffer.data(), length + 1);
    return std::string(buffer.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

void Win32PageView::SetText(int id, const std::string& text) {
    if (HWND control = Find(id)) SetWindowTextA(control, text.c_str());
}

bool Win32PageView::IsChecked(int id) {
    HWND control = Find(id);
    return control && SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32PageView::SetChecked(int id, bool checked) {
    if (HWND control = Find(id))
        SendMessageA(control, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32PageView::Enable(int id, bool enabled) {
    if (HWND control = Find(id)) EnableWindow(control, enabled ? TRUE : FALSE);
}

void Win32PageView::Show(int id, bool shown) {
    if (HWND control = Find(id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

int Win32PageView::ListColumnCount(int id) {
    HWND list = Find(id);
    if (!list) return 0;
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void Win32PageView::InsertListColumn(int id, int column, const std::string& title, int width,
                                     ColumnAlign align) {
    HWND list = Find(id);
    if (!list || column < 0 || column > ListColumnCount(id)) return;
    LVCOLUMNA lvc{};
    lvc.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    lvc.fmt = align == ColumnAlign::Centre  ? LVCFMT_CENTER
              : align == ColumnAlign::Right ? LVCFMT_RIGHT
                                            : LVCFMT_LEFT;
    lvc.cx = width;
    lvc.pszText = const_cast<char*>(title.c_str());
    lvc.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&lvc));
}

void Win32PageView::DeleteListColumn(int id, int column) {
    HWND list = Find(id);
    if (!list || column < 0 || column >= ListColumnCount(id)) return;
    SendMessageA(list, LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
}

std::string Win32PageView::ListColumnTitle(int id, int column) {
    HWND list = Find(id);
    if (!list || column < 0 || column >= ListColumnCount(id)) return {};
    char buffer[CELL_TEXT_MAX] = {};
    LVCOLUMNA lvc{};
    lvc.mask = LVCF_TEXT;
    lvc.pszText = buffer;
    lvc.cchTextMax = CELL_TEXT_MAX;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&lvc)))
        return {};
    return lvc.pszText ? std::string(lvc.pszText) : std::string();
}

int Win32PageView::ListRowCount(int id) {
    HWND list = Find(id);
    return list ? ListMessage(list, LVM_GETITEMCOUNT) : 0;
}

void Win32PageView::InsertListRow(int id, int row, const std::string& label, int image) {
    HWND list = Find(id);
    if (!list || row < 0 || row > ListRowCount(id)) return;
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<char*>(label.c_str());
    item.iImage = image;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32PageView::DeleteListRow(int id, int row) {
    HWND list = Find(id);
    if (!list || row < 0 || row >= ListRowCount(id)) return;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void Win32PageView::DeleteAllListRows(int id) {
    if (HWND list = Find(id)) SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

HWND Win32PageView::ListWithCell(int id, int row, int column) {
    HWND list = Find(id);
    if (!list || row < 0 || row >= ListRowCount(id) || column < 0 || column >= ListColumnCount(id))
        return nullptr;
    return list;
}

std::string Win32PageView::ListCellText(int id, int row, int column) {
    HWND list = ListWithCell(id, row, column);
    if (!list) return {};
    char buffer[CELL_TEXT_MAX] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = CELL_TEXT_MAX;
    const int length = ListMessage(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(&item));
    return length > 0 ? std::string(item.pszText, static_cast<std::size_t>(length)) : std::string();
}

int Win32PageView::ListCellImage(int id, int row, int column) {
    HWND list = ListWithCell(id, row, column);
    if (!list) return -1;
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.iImage = -1;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    // The "no image" markers of the control all read as none.
    return item.iImage < 0 ? -1 : item.iImage;
}

void Win32PageView::SetListCell(int id, int row, int column, const std::string& text, int image) {
    HWND list = ListWithCell(id, row, column);
    if (!list) return;
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image < 0 ? I_IMAGENONE : image;
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

int Win32PageView::ListSelectedRow(int id) { return NextRowWith(Find(id), LVNI_SELECTED); }

int Win32PageView::ListFocusedRow(int id) { return NextRowWith(Find(id), LVNI_FOCUSED); }

void Win32PageView::SetListRowState(int id, int row, bool selected, bool focused) {
    HWND list = Find(id);
    if (!list || row < 0 || row >= ListRowCount(id)) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = (selected ? LVIS_SELECTED : 0u) | (focused ? LVIS_FOCUSED : 0u);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace zk
