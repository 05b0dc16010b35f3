#include "wizard/deploy/remote_folder_tree.h"

#include "common/ansi_text.h"
#include "platform/desktop_platform.h"
#include "platform/page_view.h"
#include "platform/path_text.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

bool IsDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

std::string FolderImagesPath(DesktopPlatform& platform) {
    const char separator = platform.PathSeparator();
    return FolderPart(platform.ProgramPath()) + "Images" + separator + "Browse.bmp";
}

RemoteFolderTree::RemoteFolderTree(FolderTreeView& tree, RemoteDevice& device, PageView& page)
    : tree_(tree), device_(device), page_(page) {}

bool RemoteFolderTree::InitFolderTree(const std::string& bitmapPath) {
    if (tree_.LoadImageList(bitmapPath, FOLDER_IMAGE_SIZE, FOLDER_IMAGE_SIZE,
                            FOLDER_IMAGE_TRANSPARENT) < 2)
        return false;
    root_ = tree_.InsertItem(NO_TREE_ITEM, "\\", FOLDER_IMAGE_CLOSED, FOLDER_IMAGE_CLOSED, true);
    return root_ != NO_TREE_ITEM;
}

bool RemoteFolderTree::IsRoot(TreeItem item) {
    return item != NO_TREE_ITEM && tree_.ParentOf(item) == NO_TREE_ITEM;
}

std::string RemoteFolderTree::FolderPathOf(TreeItem item) {
    std::string path;
    for (TreeItem at = item; at != NO_TREE_ITEM && !IsRoot(at); at = tree_.ParentOf(at))
        path = "\\" + tree_.ItemText(at) + path;
    return path.empty() ? "\\" : path;
}

std::string RemoteFolderTree::FolderSearchPattern(TreeItem item) {
    if (item == NO_TREE_ITEM) return {};
    const std::string folder = FolderPathOf(item);
    std::string pattern = IsRoot(item) ? folder + "*.*" : folder + "\\*.*";
    return pattern.size() <= FOLDER_PATH_MAX ? pattern : std::string();
}

void RemoteFolderTree::ListDeviceFolder(TreeItem item) {
    if (item == NO_TREE_ITEM) return;
    tree_.SetItemImages(item, FOLDER_IMAGE_OPEN, FOLDER_IMAGE_OPEN);
    // Children left from an earlier reading would appear twice.
    tree_.DeleteChildren(item);
    const std::string pattern = FolderSearchPattern(item);
    if (pattern.empty()) return;

    tree_.ShowWaitCursor(true);
    const std::string folder = FolderPathOf(item);
    const std::size_t childPathStart = IsRoot(item) ? folder.size() : folder.size() + 1;
    RemoteFindData found;
    RemoteHandle search = device_.CeFindFirstFile(WideFromAnsi(pattern), &found);
    if (search != REMOTE_INVALID_HANDLE) {
        int entries = 0;
        do {
            const std::string name = AnsiFromWide(found.fileName);
            if ((found.attributes & REMOTE_ATTR_DIRECTORY) && !IsDotEntry(name) && !name.empty() &&
                childPathStart + name.size() <= FOLDER_PATH_MAX)
                tree_.InsertItem(item, name, FOLDER_IMAGE_CLOSED, FOLDER_IMAGE_CLOSED, true);
        } while (++entries < FOLDER_ENTRIES_MAX && device_.CeFindNextFile(search, &found));
        device_.CeFindClose(search);
    }
    tree_.ShowWaitCursor(false);
}

void RemoteFolderTree::OnItemExpanding(TreeItem item, bool expanding) {
    if (expanding)
        ListDeviceFolder(item);
    else
        tree_.SetItemImages(item, FOLDER_IMAGE_CLOSED, FOLDER_IMAGE_CLOSED);
}

void RemoteFolderTree::OnItemCollapsed(TreeItem item) { tree_.DeleteChildren(item); }

void RemoteFolderTree::OnItemPicked(TreeItem item) {
    page_.SetText(IDC_REMOTE_PATH, FolderPathOf(item));
}

}  // namespace zk
