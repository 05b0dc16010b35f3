// The deployment page's folder tree as a SysTreeView32 control: the folder
// browser's tree port over the real window, and the custom drawing of its
// item texts. Items are the control's HTREEITEM handles.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "wizard/deploy/folder_tree_view.h"

namespace zk {

class Win32FolderTreeView : public FolderTreeView {
public:
    explicit Win32FolderTreeView(HWND tree) : tree_(tree) {}
    // The image list outlives neither this object nor the control.
    ~Win32FolderTreeView() override;
    Win32FolderTreeView(const Win32FolderTreeView&) = delete;
    Win32FolderTreeView& operator=(const Win32FolderTreeView&) = delete;

    // The bitmap is cut left to right into images of width x height.
    int LoadImageList(const std::string& bitmapPath, int width, int height,
                      RgbColour transparent) override;
    TreeItem InsertItem(TreeItem parent, const std::string& text, int image, int selectedImage,
                        bool hasChildren) override;
    void SetItemImages(TreeItem item, int image, int selectedImage) override;
    // Items must be live handles of this tree (the control cannot tell a
    // stale one).
    std::string ItemText(TreeItem item) override;
    TreeItem ParentOf(TreeItem item) override;
    void DeleteChildren(TreeItem item) override;
    void ShowWaitCursor(bool waiting) override;

    // The item under a point of the tree's client area, NO_TREE_ITEM off
    // every row.
    TreeItem ItemAt(POINT client);

private:
    HWND tree_;
    HIMAGELIST images_ = nullptr;
};

// NM_CUSTOMDRAW of the tree: every item's text on `background`. The
// notification is written back to, as the control reads its colours there.
LRESULT DrawTreeItemText(NMTVCUSTOMDRAW* draw, RgbColour background);

}  // namespace zk
