// The HTML view as the installer uses it: a child window of class
// "DISPLAYCLASS" told to show a "file://" address, read back with
// WM_GETTEXT, and scrolled the ways a user scrolls it.
#include "device/ce/ce_api.h"

#include <string>

#include "tests/emulator/emulated_device_fixture.h"

namespace {

using zk::test::WindowText;
using zk::test::WriteFileBytes;

class HtmlViewTest : public zk::test::EmulatedDeviceTest {
protected:
    HWND MakeView(HWND owner) {
        EXPECT_TRUE(zk::ce::InitHTMLControl(GetModuleHandleW(nullptr)));
        HWND view = CreateWindowExW(0, zk::ce::WC_HTML, L"title", WS_CHILD | WS_VISIBLE, 2, 2, 236,
                                    260, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        EXPECT_TRUE(view);
        font_ = CreateFontW(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
        SendMessageW(view, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        return view;
    }
    void TearDown() override {
        if (font_) DeleteObject(font_);
        EmulatedDeviceTest::TearDown();
    }
    static void Navigate(HWND view, const wchar_t* address) {
        SendMessageW(view, zk::ce::DTM_NAVIGATE, 0, reinterpret_cast<LPARAM>(address));
    }
    static SCROLLINFO Scroll(HWND view) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(view, SB_VERT, &info);
        return info;
    }

    HFONT font_ = nullptr;
};

TEST_F(HtmlViewTest, ShowsTheReadableTextOfHtmlAndPlainDocuments) {
    ZK_OWNER_OR_SKIP(owner);
    HWND view = MakeView(owner);
    EXPECT_EQ(WindowText(view), L"");
    WriteFileBytes("\\Temp\\zk_eula.htm",
                   "<html><head><title>Licence</title><style>p{margin:0}</style></head>\r\n"
                   "<body><h2>End User Licence</h2>\r\n<p>You may&nbsp;use   this\r\nsoftware "
                   "caf\xC3\xA9.</p><p>Line one<br>Line two</p></body></html>\r\n");
    Navigate(view, L"file://\\Temp\\zk_eula.htm");
    EXPECT_EQ(WindowText(view),
              L"End User Licence\r\n\r\nYou may\u00A0use this software caf\u00E9.\r\n\r\n"
              L"Line one\r\nLine two");

    WriteFileBytes("\\Temp\\zk_readme.txt", "Read me first.\r\nThen <b>this</b>.\nLast line\n");
    Navigate(view, L"file://\\Temp\\zk_readme.txt");
    EXPECT_EQ(WindowText(view), L"Read me first.\r\nThen <b>this</b>.\r\nLast line\r\n");

    SendMessageW(view, zk::ce::DTM_CLEAR, 0, 0);
    EXPECT_EQ(WindowText(view), L"");
    // Slashes and a third one after the scheme are a path all the same.
    Navigate(view, L"file:///Temp/zk_readme.txt");
    EXPECT_EQ(WindowText(view).substr(0, 14), L"Read me first.");
    // What cannot be read shows nothing.
    Navigate(view, L"file://\\Temp\\zk_no_such_file.htm");
    EXPECT_EQ(WindowText(view), L"");
    Navigate(view, L"file://\\Temp");
    EXPECT_EQ(WindowText(view), L"");
    DestroyWindow(owner);
    DeleteFileW(L"\\Temp\\zk_eula.htm");
    DeleteFileW(L"\\Temp\\zk_readme.txt");
}

TEST_F(HtmlViewTest, LongTextWrapsAndScrollsByBarKeysAndWheel) {
    ZK_OWNER_OR_SKIP(owner);
    HWND view = MakeView(owner);
    std::string text;
    for (int k = 0; k < 60; ++k) text += "word" + std::to_string(k) + " ";
    text += "\r\n";
    for (int k = 0; k < 60; ++k) text += "line " + std::to_string(k) + "\r\n";
    WriteFileBytes("\\Temp\\zk_long.txt", text);
    Navigate(view, L"file://\\Temp\\zk_long.txt");
    SCROLLINFO info = Scroll(view);
    // 60 lines and a wrapped paragraph do not fit in 260 pixels.
    ASSERT_GT(info.nMax + 1, static_cast<int>(info.nPage) + 60 * 10);
    EXPECT_EQ(info.nPos, 0);

    SendMessageW(view, WM_KEYDOWN, VK_DOWN, 0);
    int line = Scroll(view).nPos;
    EXPECT_GT(line, 0);
    SendMessageW(view, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_GT(Scroll(view).nPos, line + 100);
    SendMessageW(view, WM_KEYDOWN, VK_END, 0);
    info = Scroll(view);
    EXPECT_EQ(info.nPos, info.nMax + 1 - static_cast<int>(info.nPage));
    SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(Scroll(view).nPos, info.nPos - 3 * line);
    SendMessageW(view, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Scroll(view).nPos, 0);
    SendMessageW(view, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(Scroll(view).nPos, 0);

    // A new document starts at its top, and a short one does not scroll.
    SendMessageW(view, WM_KEYDOWN, VK_END, 0);
    WriteFileBytes("\\Temp\\zk_long.txt", "short");
    Navigate(view, L"file://\\Temp\\zk_long.txt");
    EXPECT_EQ(Scroll(view).nPos, 0);
    SendMessageW(view, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Scroll(view).nPos, 0);
    DestroyWindow(owner);
    DeleteFileW(L"\\Temp\\zk_long.txt");
}

}  // namespace
