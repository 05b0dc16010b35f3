// Soft-key bars made from bar resources of this test program
// (softkey_bars.rc): their place on the device screen, their keys, and the
// commands a pressed key sends to the bar's owner.
#include "device/ce/ce_api.h"

#include <string>
#include <vector>

#include "tests/emulator/emulated_device_fixture.h"

namespace {

using zk::test::ClassOf;
using zk::test::CommandsSeen;
using zk::test::Describe;
using zk::test::PumpMessages;
using zk::test::WindowRect;
using zk::test::WindowText;

zk::ce::SHMENUBARINFO BarInfo(HWND owner, UINT id) {
    zk::ce::SHMENUBARINFO info = {};
    info.cbSize = sizeof info;
    info.hwndParent = owner;
    info.nToolBarId = id;
    info.hInstRes = GetModuleHandleW(nullptr);
    return info;
}

struct Key {
    int id;
    std::wstring caption;
    std::string rect;
    bool enabled;
};

std::vector<Key> KeysOf(HWND bar) {
    std::vector<Key> keys;
    for (HWND key = GetWindow(bar, GW_CHILD); key; key = GetWindow(key, GW_HWNDNEXT)) {
        EXPECT_EQ(ClassOf(key), L"Button");
        keys.push_back({GetDlgCtrlID(key), WindowText(key), Describe(WindowRect(key)),
                        IsWindowEnabled(key) != FALSE});
    }
    return keys;
}

HWND AnyBar() { return FindWindowW(L"zk_softkey_bar", nullptr); }

class SoftKeyBarTest : public zk::test::EmulatedDeviceTest {};

TEST_F(SoftKeyBarTest, BarSitsAtTheBottomOfTheScreenWithOneButtonPerKey) {
    ZK_OWNER_OR_SKIP(owner);
    auto info = BarInfo(owner, 102);
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&info));
    HWND bar = info.hwndMB;
    ASSERT_TRUE(IsWindow(bar));
    EXPECT_EQ(ClassOf(bar), L"zk_softkey_bar");
    EXPECT_EQ(GetWindow(bar, GW_OWNER), owner);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(Describe(WindowRect(bar)), "{0, 294, 240, 320}");
    auto keys = KeysOf(bar);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].id, 40005);
    EXPECT_EQ(keys[0].caption, L"Back");
    EXPECT_EQ(keys[0].rect, "{0, 294, 120, 320}");
    EXPECT_EQ(keys[1].id, 40007);
    EXPECT_EQ(keys[1].caption, L"Next");
    EXPECT_EQ(keys[1].rect, "{120, 294, 240, 320}");
    EXPECT_TRUE(keys[0].enabled && keys[1].enabled);

    // A key without a caption is an empty key that still works.
    auto start = BarInfo(owner, 104);
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&start));
    keys = KeysOf(start.hwndMB);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].id, 40008);
    EXPECT_EQ(keys[0].caption, L"");
    EXPECT_TRUE(keys[0].enabled);
    EXPECT_EQ(keys[1].id, 40011);
    EXPECT_EQ(keys[1].caption, L"Start");

    // A key the resource does not enable is greyed.
    auto greyed = BarInfo(owner, 106);
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&greyed));
    keys = KeysOf(greyed.hwndMB);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_TRUE(keys[0].enabled);
    EXPECT_FALSE(keys[1].enabled);

    // Bars go with their owner.
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(IsWindow(start.hwndMB));
    EXPECT_EQ(AnyBar(), nullptr);
}

// The owner answers a key by replacing the bar it came from, as a program
// moving to its next page does.
HWND replacedBar = nullptr;
HWND replacingOwner = nullptr;
void ReplaceBar(WORD) {
    DestroyWindow(replacedBar);
    auto info = BarInfo(replacingOwner, 104);
    zk::ce::SHCreateMenuBar(&info);
    replacedBar = info.hwndMB;
}

TEST_F(SoftKeyBarTest, AKeySendsItsCommandToTheOwnerWhichMayReplaceTheBar) {
    ZK_OWNER_OR_SKIP(owner);
    auto info = BarInfo(owner, 102);
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&info));
    replacedBar = info.hwndMB;
    replacingOwner = owner;
    zk::test::OnCommand(ReplaceBar);
    SendMessageW(GetDlgItem(info.hwndMB, 40007), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(CommandsSeen(), L"40007;");
    EXPECT_FALSE(IsWindow(info.hwndMB));
    ASSERT_TRUE(IsWindow(replacedBar));
    EXPECT_EQ(GetDlgCtrlID(GetWindow(replacedBar, GW_CHILD)), 40008);
    zk::test::OnCommand(nullptr);
    SendMessageW(GetDlgItem(replacedBar, 40011), BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(CommandsSeen(), L"40007;40011;");
    DestroyWindow(replacedBar);
    EXPECT_EQ(AnyBar(), nullptr);
    DestroyWindow(owner);
}

TEST_F(SoftKeyBarTest, BarAndFullScreenWindowFollowTheTurnedScreen) {
    ZK_OWNER_OR_SKIP(owner);
    auto info = BarInfo(owner, 102);
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&info));
    zk::ce::SHACTIVATEINFO activate = {};
    activate.cbSize = sizeof activate;

    SetScreen(320, 240, 26);
    BroadcastSettingChange();
    EXPECT_EQ(Describe(WindowRect(info.hwndMB)), "{0, 214, 320, 240}");
    EXPECT_EQ(Describe(WindowRect(GetDlgItem(info.hwndMB, 40007))), "{160, 214, 320, 240}");
    // The program passes its setting change on: the window keeps the work
    // area above the bar.
    EXPECT_TRUE(zk::ce::SHHandleWMSettingChange(owner, SPI_SETWORKAREA, 0, &activate));
    EXPECT_EQ(Describe(WindowRect(owner)), "{0, 26, 320, 214}");

    SetScreen(480, 640, 52);
    BroadcastSettingChange();
    EXPECT_EQ(Describe(WindowRect(info.hwndMB)), "{0, 588, 480, 640}");
    EXPECT_TRUE(zk::ce::SHHandleWMSettingChange(owner, SPI_SETWORKAREA, 0, &activate));
    EXPECT_EQ(Describe(WindowRect(owner)), "{0, 52, 480, 588}");
    EXPECT_TRUE(zk::ce::SHHandleWMActivate(owner, WA_ACTIVE, 0, &activate, 0));

    // Without a bar the window takes the whole work area.
    DestroyWindow(info.hwndMB);
    EXPECT_TRUE(zk::ce::SHHandleWMSettingChange(owner, SPI_SETWORKAREA, 0, &activate));
    EXPECT_EQ(Describe(WindowRect(owner)), "{0, 52, 480, 640}");
    DestroyWindow(owner);
}

TEST_F(SoftKeyBarTest, ABarResourceThatIsMissingOrShortMakesNoBar) {
    ZK_OWNER_OR_SKIP(owner);
    const UINT broken[] = {999, 107};
    for (UINT id : broken) {
        auto info = BarInfo(owner, id);
        info.hwndMB = owner;
        EXPECT_FALSE(zk::ce::SHCreateMenuBar(&info)) << id;
        EXPECT_EQ(info.hwndMB, nullptr) << id;
        EXPECT_EQ(AnyBar(), nullptr) << id;
    }
    auto noOwner = BarInfo(nullptr, 102);
    EXPECT_FALSE(zk::ce::SHCreateMenuBar(&noOwner));
    // An empty bar needs no resource.
    auto empty = BarInfo(owner, 999);
    empty.dwFlags = zk::ce::SHCMBF_EMPTYBAR;
    ASSERT_TRUE(zk::ce::SHCreateMenuBar(&empty));
    EXPECT_EQ(GetWindow(empty.hwndMB, GW_CHILD), nullptr);
    DestroyWindow(owner);
}

}  // namespace
