// The device's folders as a tree on the deployment page, read over the
// ActiveSync connection one folder at a time as the user opens branches.
// The folder the user picks becomes the text of the target-folder field.
//
// The single root item "\" is the device's root; every other item is one
// device folder named as the device reports it. Items start closed and with
// an expand button, whether or not the folder holds sub-folders; opening a
// branch reads the device, closing it forgets the children, so the next
// opening reads the device afresh.
//
// Folder paths are kept within 259 characters (the buffers of the fields
// and of the API's paths): a folder whose path would be longer is not
// shown, and one whose search pattern would be longer opens empty. A cut
// path would name another folder.
#pragma once

#include <cstddef>
#include <string>

#include "activesync/remote_device.h"
#include "wizard/deploy/folder_tree_view.h"

namespace zk {

class DesktopPlatform;
class PageView;

inline constexpr int FOLDER_IMAGE_OPEN = 0;
inline constexpr int FOLDER_IMAGE_CLOSED = 1;
inline constexpr int FOLDER_IMAGE_SIZE = 22;
inline constexpr RgbColour FOLDER_IMAGE_TRANSPARENT{255, 0, 255};
// Every item's text is drawn on this background.
inline constexpr RgbColour FOLDER_TEXT_BACKGROUND{211, 226, 246};
inline constexpr std::size_t FOLDER_PATH_MAX = 259;
// A folder is read no further than this many entries.
inline constexpr int FOLDER_ENTRIES_MAX = 65536;

// "Images\Browse.bmp" beside the program.
std::string FolderImagesPath(DesktopPlatform& platform);

class RemoteFolderTree {
public:
    // The device is used through the connection that "Look for device"
    // left open; without one, branches open empty.
    RemoteFolderTree(FolderTreeView& tree, RemoteDevice& device, PageView& page);

    // Gives the tree its folder images and its root item. False when the
    // bitmap yields fewer than two images or the root can't be added: the
    // page then destroys the tree and goes on without it.
    bool InitFolderTree(const std::string& bitmapPath);
    TreeItem root() const { return root_; }

    // The device search pattern for an item's contents: "\*.*" for the
    // root, "\Windows\Fonts\*.*" below. Empty when it would not fit.
    std::string FolderSearchPattern(TreeItem item);
    // The device path of an item's folder: "\" for the root (and for no
    // item), "\Windows\Fonts" below, never with a closing separator.
    std::string FolderPathOf(TreeItem item);
    // Adds the folder's sub-folders as the item's children, sorted, each
    // closed and with an expand button; "." and ".." and files are passed
    // over. The item shows the opened-folder image even when nothing could
    // be read.
    void ListDeviceFolder(TreeItem item);

    // The tree's notifications, as the front receives them.
    void OnItemExpanding(TreeItem item, bool expanding);
    void OnItemCollapsed(TreeItem item);
    // A change of selection, or a click or double-click on the tree: `item`
    // is the item concerned, NO_TREE_ITEM for a click outside any item.
    void OnItemPicked(TreeItem item);

private:
    bool IsRoot(TreeItem item);

    FolderTreeView& tree_;
    RemoteDevice& device_;
    PageView& page_;
    TreeItem root_ = NO_TREE_ITEM;
};

}  // namespace zk
