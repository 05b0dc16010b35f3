// The device's work area and where its window manager puts new windows,
// read from the profile at each call.
#include "device/ce/ce_api.h"

#include "tests/emulator/emulated_device_fixture.h"

namespace {

using zk::test::Describe;
using zk::test::WindowRect;

std::string WorkArea() {
    RECT area = {-1, -1, -1, -1};
    EXPECT_TRUE(zk::ce::DeviceSystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0));
    return Describe(area);
}

class DeviceScreenTest : public zk::test::EmulatedDeviceTest {};

TEST_F(DeviceScreenTest, WorkAreaIsTheProfilesScreenLessTheTaskBar) {
    EXPECT_EQ(WorkArea(), "{0, 26, 240, 320}");  // no profile: portrait QVGA
    SetScreen(320, 240, 26);
    EXPECT_EQ(WorkArea(), "{0, 26, 320, 240}");
    SetScreen(480, 640, 52);
    EXPECT_EQ(WorkArea(), "{0, 52, 480, 640}");
    // A screen nobody could use, or a task bar taking most of it, is the
    // profile's mistake: the default screen stands in.
    SetScreen(0, 100000, 26);
    EXPECT_EQ(WorkArea(), "{0, 26, 240, 320}");
    SetScreen(240, 320, 300);
    EXPECT_EQ(WorkArea(), "{0, 26, 240, 320}");
    EXPECT_FALSE(zk::ce::DeviceSystemParametersInfo(SPI_GETWORKAREA, 0, nullptr, 0));
}

TEST_F(DeviceScreenTest, DefaultTopLevelWindowsFillTheWorkAreaWithoutAFrame) {
    ZK_OWNER_OR_SKIP(owner);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const DWORD styles[] = {WS_VISIBLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0};
    for (DWORD style : styles) {
        HWND window = zk::ce::CreateWindowExW(0, L"zk_test_owner", L"", style, CW_USEDEFAULT,
                                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                                              nullptr, instance, nullptr);
        ASSERT_TRUE(window) << "style " << style;
        EXPECT_EQ(Describe(WindowRect(window)), "{0, 26, 240, 320}") << "style " << style;
        LONG made = GetWindowLongW(window, GWL_STYLE);
        EXPECT_TRUE(made & WS_POPUP) << "style " << style;
        EXPECT_EQ(made & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0) << "style " << style;
        EXPECT_EQ((made & WS_VISIBLE) != 0, (style & WS_VISIBLE) != 0) << "style " << style;
        DestroyWindow(window);
    }
    // The turned device's work area, for a window made after the turn.
    SetScreen(320, 240, 26);
    HWND turned = zk::ce::CreateWindowExW(0, L"zk_test_owner", L"", WS_VISIBLE, CW_USEDEFAULT, 0,
                                          CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    EXPECT_EQ(Describe(WindowRect(turned)), "{0, 26, 320, 240}");
    DestroyWindow(turned);
    DestroyWindow(owner);
}

TEST_F(DeviceScreenTest, PlacedOwnedAndChildWindowsAreLeftAsAsked) {
    ZK_OWNER_OR_SKIP(owner);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND placed = zk::ce::CreateWindowExW(0x88, L"zk_test_owner", L"", WS_CAPTION | WS_VISIBLE, 0,
                                          0, 320, 320, nullptr, nullptr, instance, nullptr);
    EXPECT_EQ(Describe(WindowRect(placed)), "{0, 0, 320, 320}");
    EXPECT_EQ(GetWindowLongW(placed, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    HWND owned = zk::ce::CreateWindowExW(0, L"zk_test_owner", L"", WS_OVERLAPPED, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner,
                                         nullptr, instance, nullptr);
    EXPECT_EQ(GetWindowLongW(owned, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    HWND child = zk::ce::CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD, 2, 30, 100, 20, owner,
                                         reinterpret_cast<HMENU>(305), instance, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), 305);
    EXPECT_EQ(Describe(WindowRect(child)), "{2, 56, 102, 76}");
    DestroyWindow(owned);
    DestroyWindow(placed);
    DestroyWindow(owner);
}

}  // namespace
