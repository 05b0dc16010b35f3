// The tree-view port of the remote folder browser: what its logic needs of
// the tree control on the deployment page. The Win32 front implements it over
// the SysTreeView32 control (id 473); the tests' MemoryFolderTreeView
// (tests/support/) keeps the items in memory. Item texts are ANSI, like the
// wizard's other controls.
#pragma once

#include <cstdint>
#include <string>

namespace zk {

using TreeItem = std::uintptr_t;
inline constexpr TreeItem NO_TREE_ITEM = 0;

struct RgbColour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

class FolderTreeView {
public:
    virtual ~FolderTreeView() = default;

    // Gives the tree an image list cut from a bitmap file into images of
    // width x height, `transparent` showing the background through. Returns
    // how many images it holds; 0 when the bitmap can't be loaded.
    virtual int LoadImageList(const std::string& bitmapPath, int width, int height,
                              RgbColour transparent) = 0;

    // Adds an item under `parent` (NO_TREE_ITEM: a top-level item) at its
    // place in the sorted order of its siblings (by text, letter case
    // ignored; equal texts keep the order they came in). `hasChildren` gives
    // it an expand button before it holds any child. NO_TREE_ITEM when it
    // could not be added.
    virtual TreeItem InsertItem(TreeItem parent, const std::string& text, int image,
                                int selectedImage, bool hasChildren) = 0;
    virtual void SetItemImages(TreeItem item, int image, int selectedImage) = 0;
    // Empty for NO_TREE_ITEM or an item that no longer exists.
    virtual std::string ItemText(TreeItem item) = 0;
    // NO_TREE_ITEM for a top-level item.
    virtual TreeItem ParentOf(TreeItem item) = 0;
    // Deletes the item's children and everything below them; the item keeps
    // its expand button.
    virtual void DeleteChildren(TreeItem item) = 0;

    // The wait cursor while the device is read, the normal one after.
    virtual void ShowWaitCursor(bool waiting) = 0;
};

}  // namespace zk
