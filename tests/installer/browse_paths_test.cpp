#include "device/installer/browse_paths.h"

#include <gtest/gtest.h>

namespace zk {
namespace {

TEST(BrowsePathsTest, SearchPatternAndPickedPathFollowTheTree) {
    EXPECT_EQ(FolderSearchPattern({u"\\"}), u"\\*.*");
    EXPECT_EQ(FolderSearchPattern({u"\\", u"Windows"}), u"\\Windows\\*.*");
    EXPECT_EQ(FolderSearchPattern({u"\\", u"Program Files", u"Apps"}),
              u"\\Program Files\\Apps\\*.*");
    EXPECT_EQ(PickedFolderPath({u"\\"}), u"\\");
    EXPECT_EQ(PickedFolderPath({u"\\", u"Windows"}), u"\\Windows");
    EXPECT_EQ(PickedFolderPath({u"\\", u"Program Files", u"Apps"}), u"\\Program Files\\Apps");
}

TEST(BrowsePathsTest, FilesListedOnlyForTheirReversedExtension) {
    EXPECT_FALSE(BrowseListsFile(u"", u"a.cab"));  // folders only
    EXPECT_TRUE(BrowseListsFile(u"*.", u"readme"));
    EXPECT_TRUE(BrowseListsFile(u"bac.", u"Viewer.cab"));
    EXPECT_FALSE(BrowseListsFile(u"bac.", u"Viewer.exe"));
    EXPECT_FALSE(BrowseListsFile(u"bac.", u"cab"));  // shorter than the filter
    EXPECT_FALSE(BrowseListsFile(u"ba", u"a.cab"));
    EXPECT_FALSE(IsBrowsableName(u"."));
    EXPECT_FALSE(IsBrowsableName(u".."));
    EXPECT_TRUE(IsBrowsableName(u"...hidden"));
}

TEST(BrowsePathsTest, ReturnPressesEndTheBrowseWithinASecond) {
    EXPECT_TRUE(ReturnPressesEndBrowse(10000, 10500));
    EXPECT_FALSE(ReturnPressesEndBrowse(10000, 11500));
    EXPECT_FALSE(ReturnPressesEndBrowse(0, 500));  // the first press
    // The tick count wraps after 49.7 days.
    EXPECT_TRUE(ReturnPressesEndBrowse(0xFFFFFF00u, 0x00000100u));
}

}  // namespace
}  // namespace zk
