#include "wizard/ui/win32/remote_tree_view_win32.h"

#include <string_view>

namespace zk {
namespace {

constexpr int ITEM_TEXT_MAX = 260;

HTREEITEM Handle(TreeItem item) { return reinterpret_cast<HTREEITEM>(item); }
TreeItem ItemOf(HTREEITEM handle) { return reinterpret_cast<TreeItem>(handle); }

char Folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Sort order of siblings: ASCII letters compared without regard to case,
// every other byte as it is.
bool FoldedLess(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Folded(a[i]));
        const auto y = static_cast<unsigned char>(Folded(b[i]));
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

}  // namespace

Win32FolderTreeView::~Win32FolderTreeView() {
    if (images_) {
        if (IsWindow(tree_)) SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
        ImageList_Destroy(images_);
    }
}

int Win32FolderTreeView::LoadImageList(const std::string& bitmapPath, int width, int height,
                                       RgbColour transparent) {
    if (width <= 0 || height <= 0) return 0;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, bitmapPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!bitmap) return 0;
    BITMAP facts{};
    const int count = GetObjectA(bitmap, sizeof facts, &facts) ? facts.bmWidth / width : 0;
    HIMAGELIST images = count > 0 && facts.bmHeight >= height
                            ? ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, count, 1)
                            : nullptr;
    if (images &&
        ImageList_AddMasked(images, bitmap,
                            RGB(transparent.red, transparent.green, transparent.blue)) < 0) {
        ImageList_Destroy(images);
        images = nullptr;
    }
    DeleteObject(bitmap);
    if (!images) return 0;
    SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    if (images_) ImageList_Destroy(images_);
    images_ = images;
    return ImageList_GetImageCount(images_);
}

TreeItem Win32FolderTreeView::InsertItem(TreeItem parent, const std::string& text, int image,
                                         int selectedImage, bool hasChildren) {
    // After the last sibling that sorts before or equal to the new text, so
    // equal texts keep the order they came in.
    HTREEITEM after = TVI_FIRST;
    for (HTREEITEM sibling = Next(tree_, Handle(parent), parent ? TVGN_CHILD : TVGN_ROOT); sibling;
         sibling = Next(tree_, sibling, TVGN_NEXT)) {
        if (FoldedLess(text, ItemText(ItemOf(sibling)))) break;
        after = sibling;
    }
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent ? Handle(parent) : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.cChildren = hasChildren ? 1 : 0;
    return ItemOf(reinterpret_cast<HTREEITEM>(
        SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert))));
}

void Win32FolderTreeView::SetItemImages(TreeItem item, int image, int selectedImage) {
    if (!item) return;
    TVITEMA change{};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = Handle(item);
    change.iImage = image;
    change.iSelectedImage = selectedImage;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

std::string Win32FolderTreeView::ItemText(TreeItem item) {
    if (!item) return {};
    char buffer[ITEM_TEXT_MAX] = {};
    TVITEMA read{};
    read.mask = TVIF_HANDLE | TVIF_TEXT;
    read.hItem = Handle(item);
    read.pszText = buffer;
    read.cchTextMax = ITEM_TEXT_MAX;
    if (!SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read))) return {};
    return read.pszText ? std::string(read.pszText) : std::string();
}

TreeItem Win32FolderTreeView::ParentOf(TreeItem item) {
    return item ? ItemOf(Next(tree_, Handle(item), TVGN_PARENT)) : NO_TREE_ITEM;
}

void Win32FolderTreeView::DeleteChildren(TreeItem item) {
    if (!item) return;
    while (HTREEITEM child = Next(tree_, Handle(item), TVGN_CHILD))
        if (!SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child))) break;
    // Still shown as openable, and opened afresh next time.
    TVITEMA keep{};
    keep.mask = TVIF_HANDLE | TVIF_CHILDREN | TVIF_STATE;
    keep.hItem = Handle(item);
    keep.cChildren = 1;
    keep.stateMask = TVIS_EXPANDEDONCE;
    keep.state = 0;
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&keep));
}

void Win32FolderTreeView::ShowWaitCursor(bool waiting) {
    SetCursor(LoadCursorA(nullptr, waiting ? IDC_WAIT : IDC_ARROW));
}

TreeItem Win32FolderTreeView::ItemAt(POINT client) {
    TVHITTESTINFO hit{};
    hit.pt = client;
    SendMessageA(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return ItemOf(hit.hItem);
}

LRESULT DrawTreeItemText(NMTVCUSTOMDRAW* draw, RgbColour background) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw->clrTextBk = RGB(background.red, background.green, background.blue);
        return CDRF_DODEFAULT;
    default: return CDRF_DODEFAULT;
    }
}

}  // namespace zk
