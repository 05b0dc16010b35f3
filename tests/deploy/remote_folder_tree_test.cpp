// The remote folder tree over a folder-backed device.
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/deploy_bench.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/memory_folder_tree_view.h"
#include "wizard/deploy/remote_folder_tree.h"
#include "wizard/ui/control_ids.h"

namespace zk::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class RemoteFolderTreeTest : public DeviceBench {
protected:
    RemoteFolderTreeTest() {
        fs::create_directories(root / "Windows/Fonts");
        fs::create_directories(root / "Windows/Start Menu");
        fs::create_directories(root / "Temp");
        fs::create_directories(root / "apps");
        fs::create_directories(root / "My Documents");
        WriteFileBytes(root / "Windows/wceload.exe", "MZ");
        WriteFileBytes(root / "Autorun.inf", "");
        device.ListDotEntries(true);
        EXPECT_TRUE(connection.ConnectDevice(CONNECT_SECONDS));
        EXPECT_TRUE(tree.InitFolderTree("Browse.bmp"));
        recorder.Forget();
    }
    TreeItem Open(TreeItem parent, const std::string& name) {
        TreeItem item = view.Child(parent, name);
        EXPECT_NE(item, NO_TREE_ITEM) << name;
        tree.OnItemExpanding(item, true);
        return item;
    }
    const MemoryFolderTreeView::Item& ItemOf(TreeItem item) { return view.items[item]; }

    MemoryFolderTreeView view;
    MemoryPageView page;
    RemoteFolderTree tree{view, recorder, page};
};

TEST_F(RemoteFolderTreeTest, StartsWithAClosedRootAndNeedsTwoImages) {
    EXPECT_EQ(view.loadedBitmap, "Browse.bmp");
    EXPECT_EQ(view.imageWidth, 22);
    EXPECT_EQ(view.transparentColour.green, 0);
    EXPECT_EQ(view.ChildTexts(NO_TREE_ITEM), Strings{"\\"});
    EXPECT_EQ(ItemOf(tree.root()).image, FOLDER_IMAGE_CLOSED);
    EXPECT_TRUE(ItemOf(tree.root()).hasChildren);

    FakeDesktopPlatform platform;
    EXPECT_EQ(FolderImagesPath(platform), "/fake/program/Images/Browse.bmp");
    MemoryFolderTreeView poor;
    poor.imagesInBitmap = 1;
    EXPECT_FALSE(RemoteFolderTree(poor, recorder, page).InitFolderTree("Browse.bmp"));
    EXPECT_TRUE(poor.items.empty());
}

TEST_F(RemoteFolderTreeTest, OpeningTheRootListsItsFoldersSorted) {
    tree.OnItemExpanding(tree.root(), true);
    EXPECT_EQ(view.ChildTexts(tree.root()), (Strings{"apps", "My Documents", "Temp", "Windows"}));
    EXPECT_EQ(ItemOf(tree.root()).image, FOLDER_IMAGE_OPEN);
    EXPECT_EQ(ItemOf(tree.root()).selectedImage, FOLDER_IMAGE_OPEN);
    TreeItem temp = view.Child(tree.root(), "Temp");
    EXPECT_EQ(ItemOf(temp).image, FOLDER_IMAGE_CLOSED);
    EXPECT_TRUE(ItemOf(temp).hasChildren);  // before anything is known of it
    EXPECT_EQ(recorder.CallsStartingWith("CeFind"),
              (Strings{"CeFindFirstFile \\*.*", "CeFindClose"}));
    EXPECT_EQ(view.waitCursorShown, 1);
    EXPECT_FALSE(view.waitCursorOn);

    // Opened, a folder without sub-folders has no children.
    tree.OnItemExpanding(temp, true);
    EXPECT_TRUE(view.ChildTexts(temp).empty());
    EXPECT_EQ(ItemOf(temp).image, FOLDER_IMAGE_OPEN);
}

TEST_F(RemoteFolderTreeTest, PickedFoldersGiveTheirDevicePath) {
    tree.OnItemExpanding(tree.root(), true);
    TreeItem windows = Open(tree.root(), "Windows");
    TreeItem fonts = Open(windows, "Fonts");
    EXPECT_EQ(recorder.CallsStartingWith("CeFindFirstFile"),
              (Strings{"CeFindFirstFile \\*.*", "CeFindFirstFile \\Windows\\*.*",
                       "CeFindFirstFile \\Windows\\Fonts\\*.*"}));
    EXPECT_EQ(tree.FolderSearchPattern(tree.root()), "\\*.*");

    tree.OnItemPicked(fonts);
    EXPECT_EQ(page.GetText(IDC_REMOTE_PATH), "\\Windows\\Fonts");
    tree.OnItemPicked(tree.root());
    EXPECT_EQ(page.GetText(IDC_REMOTE_PATH), "\\");
    tree.OnItemPicked(windows);
    EXPECT_EQ(page.GetText(IDC_REMOTE_PATH), "\\Windows");
    tree.OnItemPicked(NO_TREE_ITEM);  // a click outside any item
    EXPECT_EQ(page.GetText(IDC_REMOTE_PATH), "\\");
}

TEST_F(RemoteFolderTreeTest, ReopeningABranchReadsTheDeviceAfresh) {
    tree.OnItemExpanding(tree.root(), true);
    TreeItem windows = Open(tree.root(), "Windows");
    EXPECT_EQ(view.ChildTexts(windows), (Strings{"Fonts", "Start Menu"}));

    fs::create_directory(root / "Windows/Desktop");
    tree.OnItemExpanding(windows, false);
    EXPECT_EQ(ItemOf(windows).image, FOLDER_IMAGE_CLOSED);
    tree.OnItemCollapsed(windows);
    EXPECT_TRUE(view.ChildTexts(windows).empty());
    tree.OnItemExpanding(windows, true);
    EXPECT_EQ(view.ChildTexts(windows), (Strings{"Desktop", "Fonts", "Start Menu"}));
}

TEST_F(RemoteFolderTreeTest, WithoutAConnectionABranchOpensEmpty) {
    connection.Disconnect();
    tree.OnItemExpanding(tree.root(), true);
    EXPECT_TRUE(view.ChildTexts(tree.root()).empty());
    EXPECT_EQ(ItemOf(tree.root()).image, FOLDER_IMAGE_OPEN);
    EXPECT_FALSE(view.waitCursorOn);
}

TEST_F(RemoteFolderTreeTest, NamesPassThroughTheCodePageAndLongPathsAreLeftOut) {
    fs::create_directories(fs::path(root.path()) / fs::path(u8"Caf\u00E9") / "Inside");
    fs::path temp = root / "Temp";
    const std::string deepName(250, 'd'), wideName(200, 'w');
    fs::create_directories(temp / deepName / "Deeper");
    fs::create_directories(temp / wideName / std::string(52, 'f'));  // 259 characters
    fs::create_directories(temp / wideName / std::string(53, 'o'));  // one too many
    tree.OnItemExpanding(tree.root(), true);
    TreeItem cafe = Open(tree.root(), "Caf\xE9");
    EXPECT_EQ(view.ChildTexts(cafe), Strings{"Inside"});

    TreeItem tempItem = Open(tree.root(), "Temp");
    TreeItem wide = Open(tempItem, wideName);
    EXPECT_EQ(view.ChildTexts(wide), Strings{std::string(52, 'f')});
    // "\Temp\" and 250 characters fit in 259; their search pattern does not.
    TreeItem deep = Open(tempItem, deepName);
    EXPECT_EQ(tree.FolderPathOf(deep).size(), 256u);
    EXPECT_EQ(tree.FolderSearchPattern(deep), "");
    EXPECT_TRUE(view.ChildTexts(deep).empty());
}

}  // namespace
}  // namespace zk::test
