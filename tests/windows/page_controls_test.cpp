// The wizard's page controls as real windows under a plain parent window,
// driven the way the main window drives them: pages made from their tables,
// read and written through the page view, typed into, keys and shell drops
// on the cabinet list, cell clicks and a drag, the remote folder tree opened
// and closed over a folder that plays the device.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/project_record.h"
#include "platform/desktop_platform_win32.h"
#include "tests/support/folder_remote_device.h"
#include "tests/support/temp_folder.h"
#include "wizard/cabinet/cabinet_list.h"
#include "wizard/project/wizard_context.h"
#include "wizard/project/wizard_state.h"
#include "wizard/ui/control_ids.h"
#include "wizard/ui/page_builder.h"
#include "wizard/ui/win32/page_controls_win32.h"
#include "wizard/ui/win32/remote_tree_view_win32.h"

namespace zk {
namespace {

// The real platform, except that message boxes are recorded instead of
// waiting for a user.
class RecordingPlatform : public Win32DesktopPlatform {
public:
    void ShowMessage(const std::string& text, const std::string&, MessageIcon, bool) override {
        messages.push_back(text);
    }
    std::vector<std::string> messages;
};

// The fixture cabinets made at build time, as Wine names them.
std::string FixtureCab(const std::string& name) {
    std::string path = std::string("Z:") + ZK_PAGE_CONTROLS_CABS + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// A 24-bit bitmap of `count` 22 x 22 images, magenta around a blue square.
void WriteFolderBitmap(const std::string& path, int count) {
    const int width = 22 * count, height = 22, stride = width * 3;
    const int pixels = stride * height;
    std::string bytes(54 + pixels, '\0');
    auto put32 = [&](int at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<std::uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inside = x % 22 > 4 && x % 22 < 17 && y > 4 && y < 17;
            char* p = &bytes[54 + y * stride + x * 3];
            p[0] = static_cast<char>(inside ? 200 : 255);  // blue
            p[1] = 0;
            p[2] = static_cast<char>(inside ? 40 : 255);  // red
        }
    test::WriteFileBytes(path, bytes);
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

const char* ExpectedClass(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label: return "Static";
    case ControlKind::CabinetList: return "SysListView32";
    case ControlKind::LogList: return "ListBox";
    case ControlKind::ProgressBar: return "msctls_progress32";
    case ControlKind::RemoteTree: return "SysTreeView32";
    case ControlKind::Check:
    case ControlKind::Button:
    case ControlKind::Browse: return "Button";
    default: return "Edit";
    }
}

class PageControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        current_ = this;
        WNDCLASSA wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZkPageControlsTestParent";
        RegisterClassA(&wc);
        parent = CreateWindowExA(0, wc.lpszClassName, "Zephyrkit", WS_OVERLAPPEDWINDOW, 0, 0, 660,
                                 520, nullptr, nullptr, wc.hInstance, nullptr);
        if (!parent) {
            if (std::getenv("ZK_REQUIRE_DISPLAY")) FAIL() << "no display, though one was promised";
            GTEST_SKIP() << "no display for windows (run under Xvfb)";
        }
        font = CreateFontA(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        InitialiseWizardState(state, platform);
        std::filesystem::create_directories(folder.path() + "/device");
        std::filesystem::create_directories(folder.path() + "/Images");
        WriteFolderBitmap(folder / "Images/Browse.bmp", 2);
        device = std::make_unique<FolderRemoteDevice>(folder.path() + "/device");
        controls = std::make_unique<Win32PageControls>(parent, GetModuleHandleA(nullptr), font, ctx,
                                                       *device, folder.path() + "\\");
        controls->CreateToolTipHost();
    }

    void TearDown() override {
        controls.reset();
        if (parent) DestroyWindow(parent);
        if (font) DeleteObject(font);
        current_ = nullptr;
    }

    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        PageControlsTest* self = current_;
        if (self && self->controls) {
            // Only the commands of the list's keys, not the fields' notifications.
            if (message == WM_COMMAND && HIWORD(wParam) == 0)
                self->commands.push_back(LOWORD(wParam));
            LRESULT result = 0;
            if (message == WM_NOTIFY &&
                self->controls->OnNotify(reinterpret_cast<NMHDR*>(lParam), &result))
                return result;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND Control(int id) { return controls->Control(id); }
    PageView& View() { return controls->View(); }

    // Row labels of the cabinet list, top to bottom.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < View().ListRowCount(IDC_CABINET_LIST); ++i)
            rows.push_back(View().ListCellText(IDC_CABINET_LIST, i, 0));
        return rows;
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (int i = 0; i < CabinetCount(project); ++i)
            names.push_back(project.cabinets[i].fileName);
        return names;
    }

    // A shell drop of the paths, as the shell hands it to the list.
    void DropOnList(const std::vector<std::string>& paths) {
        std::string names;
        for (const std::string& p : paths) names += p + '\0';
        names += '\0';
        HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
        auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
        GlobalUnlock(memory);
        SendMessageA(Control(IDC_CABINET_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    }

    // Centre of a cell of the cabinet list, in the list's client coordinates.
    POINT CellCentre(int row, int column) {
        RECT cell{};
        cell.top = column;
        cell.left = column == 0 ? LVIR_LABEL : LVIR_BOUNDS;
        SendMessageA(Control(IDC_CABINET_LIST), LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&cell));
        return {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    }

    // A click of the mouse on a cell of the cabinet list.
    void ClickCell(int row, int column) {
        const POINT at = CellCentre(row, column);
        SendMessageA(Control(IDC_CABINET_LIST), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        SendMessageA(Control(IDC_CABINET_LIST), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    }

    static inline PageControlsTest* current_ = nullptr;

    test::TempFolder folder;
    RecordingPlatform platform;
    Project project{};
    WizardState state{};
    WizardContext ctx{project, state, platform};
    std::unique_ptr<FolderRemoteDevice> device;
    HWND parent = nullptr;
    HFONT font = nullptr;
    std::unique_ptr<Win32PageControls> controls;
    std::vector<int> commands;
};

TEST_F(PageControlsTest, EveryPageMakesEachControlOfItsTableAndUnmakesThemAll) {
    HWND tips = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    for (int step = 0; step <= 4; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_TRUE(CreatePage(ctx, *controls, step));
        EXPECT_EQ(ctx.page, &View());
        std::vector<HWND> made;
        for (const ControlDefinition& entry : PageTable(step)) {
            SCOPED_TRACE("control " + std::to_string(entry.id));
            HWND control = Control(entry.id);
            ASSERT_NE(control, nullptr);
            made.push_back(control);
            EXPECT_EQ(GetParent(control), parent);
            EXPECT_EQ(GetDlgCtrlID(control), entry.id);
            EXPECT_STRCASEEQ(ClassOf(control).c_str(), ExpectedClass(entry.kind));
            RECT r{};
            GetWindowRect(control, &r);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_EQ(r.left, entry.x);
            EXPECT_EQ(r.top, entry.y);
            EXPECT_EQ(r.right - r.left, entry.width);
            EXPECT_EQ(r.bottom - r.top, entry.height);
            const char* bound = BoundText(state, entry.bound);
            if (entry.kind != ControlKind::CabinetList && entry.kind != ControlKind::RemoteTree &&
                entry.kind != ControlKind::LogList && entry.kind != ControlKind::ProgressBar) {
                EXPECT_EQ(TextOf(control), bound ? bound : entry.caption);
            }
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, EnabledAtCreation(entry, state));
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            EXPECT_EQ((style & WS_VISIBLE) != 0, !entry.createdHidden);
            const HFONT expectedFont = entry.kind == ControlKind::ProgressBar ? nullptr : font;
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)),
                      expectedFont);
            if (entry.tooltip && tips) {
                // The ANSI query cuts texts at 80 bytes; the wide one does not.
                wchar_t tip[1024] = {};
                TTTOOLINFOW tool{};
                tool.cbSize = TTTOOLINFOW_V2_SIZE;
                tool.hwnd = parent;
                tool.uId = reinterpret_cast<UINT_PTR>(control);
                tool.lpszText = tip;
                SendMessageW(tips, TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
                EXPECT_EQ(std::wstring(tip),
                          std::wstring(entry.tooltip, entry.tooltip + std::strlen(entry.tooltip)));
            }
        }
        if (step == 2) {
            HWND list = Control(IDC_CABINET_LIST);
            // The three slots are there even with every icon file missing.
            auto icons =
                reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
            ASSERT_NE(icons, nullptr);
            EXPECT_EQ(ImageList_GetImageCount(icons), 3);
            EXPECT_EQ(View().ListColumnTitle(IDC_CABINET_LIST, 0), "Cabinet Name");
        }
        if (step == 3) {
            EXPECT_EQ(SendMessageA(Control(IDC_BUILD_LOG), LB_GETHORIZONTALEXTENT, 0, 0), 960);
        }
        ASSERT_TRUE(DestroyPage(*controls, step));
        for (const ControlDefinition& entry : PageTable(step))
            EXPECT_EQ(Control(entry.id), nullptr);
        for (HWND control : made) EXPECT_FALSE(IsWindow(control));
        EXPECT_FALSE(View().HasControl(PageTable(step)[0].id));
    }
}

TEST_F(PageControlsTest, PageViewReadsBackWhatItWrites) {
    ASSERT_TRUE(CreatePage(ctx, *controls, 1));
    View().SetText(IDC_TITLE, "Viewer");
    EXPECT_EQ(View().GetText(IDC_TITLE), "Viewer");
    View().SetChecked(IDC_EULA_CHECK, true);
    EXPECT_TRUE(View().IsChecked(IDC_EULA_CHECK));
    View().Enable(IDC_COMPANY, false);
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_COMPANY)));
    View().Show(IDC_COMPANY, false);
    EXPECT_EQ(GetWindowLongA(Control(IDC_COMPANY), GWL_STYLE) & WS_VISIBLE, 0);
    // Controls of other pages read as empty and take no writes.
    EXPECT_FALSE(View().HasControl(IDC_CABINET_LIST));
    View().SetText(IDC_WORK_PATH, "C:\\x");
    EXPECT_EQ(View().GetText(IDC_WORK_PATH), "");
    EXPECT_EQ(View().ListRowCount(IDC_CABINET_LIST), 0);
    DestroyPage(*controls, 1);

    ASSERT_TRUE(CreatePage(ctx, *controls, 2));
    const int list = IDC_CABINET_LIST;
    ASSERT_EQ(View().ListColumnCount(list), 1);
    View().InsertListColumn(list, 1, "PPC", 56, ColumnAlign::Centre);
    View().InsertListColumn(list, 2, "Intel", 64, ColumnAlign::Centre);
    View().InsertListColumn(list, 9, "TI", 64, ColumnAlign::Centre);  // beyond the end
    ASSERT_EQ(View().ListColumnCount(list), 3);
    EXPECT_EQ(View().ListColumnTitle(list, 2), "Intel");
    EXPECT_EQ(View().ListColumnTitle(list, 3), "");

    View().InsertListRow(list, 0, "b.cab", 0);
    View().InsertListRow(list, 0, "a.cab", 0);
    View().InsertListRow(list, 5, "z.cab", 0);  // beyond the end
    ASSERT_EQ(View().ListRowCount(list), 2);
    EXPECT_EQ(View().ListCellText(list, 1, 0), "b.cab");
    EXPECT_EQ(View().ListCellImage(list, 1, 0), 0);
    View().SetListCell(list, 1, 1, "Yes", 1);
    View().SetListCell(list, 1, 2, "No", 2);
    EXPECT_EQ(View().ListCellText(list, 1, 1), "Yes");
    EXPECT_EQ(View().ListCellImage(list, 1, 1), 1);
    View().SetListCell(list, 1, 2, "", -1);
    EXPECT_EQ(View().ListCellImage(list, 1, 2), -1);
    EXPECT_EQ(View().ListCellText(list, 2, 0), "");
    EXPECT_EQ(View().ListCellImage(list, 0, 7), -1);

    EXPECT_EQ(View().ListSelectedRow(list), -1);
    View().SetListRowState(list, 1, true, true);
    EXPECT_EQ(View().ListSelectedRow(list), 1);
    EXPECT_EQ(View().ListFocusedRow(list), 1);
    View().SetListRowState(list, 0, true, true);  // single selection
    EXPECT_EQ(View().ListSelectedRow(list), 0);
    EXPECT_EQ(View().ListFocusedRow(list), 0);

    View().DeleteListRow(list, 0);
    EXPECT_EQ(View().ListCellText(list, 0, 0), "b.cab");
    View().DeleteListColumn(list, 1);
    EXPECT_EQ(View().ListColumnTitle(list, 1), "Intel");
    View().DeleteAllListRows(list);
    EXPECT_EQ(View().ListRowCount(list), 0);
    DestroyPage(*controls, 2);

    ASSERT_TRUE(CreatePage(ctx, *controls, 3));
    SendMessageA(Control(IDC_BUILD_LOG), LB_RESETCONTENT, 0, 0);
    controls->Log().AddLine("Zephyrkit build\tstarted");
    controls->Log().AddLine("Done");
    char line[128] = {};
    ASSERT_EQ(SendMessageA(Control(IDC_BUILD_LOG), LB_GETCOUNT, 0, 0), 2);
    SendMessageA(Control(IDC_BUILD_LOG), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_STREQ(line, "Zephyrkit build\tstarted");
    controls->Log().SetProgressCaption("Mobile installer");
    EXPECT_EQ(TextOf(Control(IDC_PROGRESS_LABEL)), "Mobile installer");
    controls->Log().SetProgressRange(10, 3);
    controls->Log().StepProgress();
    controls->Log().StepProgress();
    EXPECT_EQ(SendMessageA(Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 6);
    EXPECT_EQ(SendMessageA(Control(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0), 10);
}

TEST_F(PageControlsTest, FileNameFieldsDropRefusedCharactersAndKeepOthers) {
    ASSERT_TRUE(CreatePage(ctx, *controls, 1));
    for (char c : std::string("A:b|\\c\"*/<>?d")) SendMessageA(Control(IDC_TITLE), WM_CHAR, c, 0);
    EXPECT_EQ(View().GetText(IDC_TITLE), "Abcd");
    // The company field has no filter.
    for (char c : std::string("A:b")) SendMessageA(Control(IDC_COMPANY), WM_CHAR, c, 0);
    EXPECT_EQ(View().GetText(IDC_COMPANY), "A:b");
    DestroyPage(*controls, 1);

    state.saveProjectFile = 1;
    ASSERT_TRUE(CreatePage(ctx, *controls, 3));
    View().SetText(IDC_PROJECT_NAME, "");
    for (char c : std::string("my?proj")) SendMessageA(Control(IDC_PROJECT_NAME), WM_CHAR, c, 0);
    EXPECT_EQ(View().GetText(IDC_PROJECT_NAME), "myproj");
}

TEST_F(PageControlsTest, CabinetListKeysBecomeCommandsAndShellDropsAreAdmittedInOrder) {
    ASSERT_TRUE(CreatePage(ctx, *controls, 2));
    HWND list = Control(IDC_CABINET_LIST);
    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    SendMessageA(list, WM_KEYDOWN, VK_INSERT, 0);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(commands, (std::vector<int>{IDC_DELETE_CABINET, IDC_ADD_CABINET}));

    const std::string tooLong = "C:\\" + std::string(300, 'x') + ".cab";
    DropOnList({FixtureCab("Gamma.cab"), tooLong, FixtureCab("Alpha.cab"), FixtureCab("Beta.cab")});
    EXPECT_EQ(platform.messages, std::vector<std::string>{});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Gamma.cab", "Alpha.cab", "Beta.cab"}));
    EXPECT_EQ(Rows(), Entries());
    EXPECT_STREQ(project.cabinets[1].appName, "Alpha");
    EXPECT_STREQ(project.cabinets[1].path, FixtureCab("Alpha.cab").c_str());

    // The focused row fills the detail fields.
    View().SetListRowState(IDC_CABINET_LIST, 2, true, true);
    EXPECT_EQ(View().GetText(IDC_DETAIL_NAME), "Beta");
    EXPECT_EQ(View().GetText(IDC_DETAIL_PROVIDER), "Acme");
    EXPECT_EQ(View().GetText(IDC_DETAIL_LOCATION), FixtureCab("Beta.cab"));
    EXPECT_NE(View().GetText(IDC_DETAIL_SIZE), "");

    // The same file dropped again is refused as a double entry.
    DropOnList({FixtureCab("Alpha.cab")});
    EXPECT_EQ(platform.messages, std::vector<std::string>{DOUBLE_ENTRY_TEXT});
    EXPECT_EQ(CabinetCount(project), 3);
}

TEST_F(PageControlsTest, ClickOnAYesNoCellFlipsItAndItsEntry) {
    project.platformFilterOn = 1;
    project.filterPocketPC = 1;
    ASSERT_TRUE(CreatePage(ctx, *controls, 2));
    DropOnList({FixtureCab("Alpha.cab")});
    ASSERT_EQ(View().ListColumnCount(IDC_CABINET_LIST), 2);
    ASSERT_EQ(View().ListCellText(IDC_CABINET_LIST, 0, 1), "Yes");

    ClickCell(0, 1);
    EXPECT_EQ(View().ListCellText(IDC_CABINET_LIST, 0, 1), "No");
    EXPECT_EQ(View().ListCellImage(IDC_CABINET_LIST, 0, 1), 2);
    EXPECT_EQ(project.cabinets[0].forPocketPC, 0);
    ClickCell(0, 1);
    EXPECT_EQ(View().ListCellImage(IDC_CABINET_LIST, 0, 1), 1);
    EXPECT_EQ(project.cabinets[0].forPocketPC, 1);
    // The name column is not a switch.
    ClickCell(0, 0);
    EXPECT_EQ(View().ListCellText(IDC_CABINET_LIST, 0, 0), "Alpha.cab");
    EXPECT_EQ(View().ListCellImage(IDC_CABINET_LIST, 0, 1), 1);
}

TEST_F(PageControlsTest, DraggedRowMovesToTheRowItIsDroppedOn) {
    ASSERT_TRUE(CreatePage(ctx, *controls, 2));
    DropOnList({FixtureCab("Alpha.cab"), FixtureCab("Beta.cab"), FixtureCab("Gamma.cab")});
    ASSERT_EQ(CabinetCount(project), 3);
    HWND list = Control(IDC_CABINET_LIST);

    auto beginDrag = [&](int from) {
        View().SetListRowState(IDC_CABINET_LIST, from, true, true);
        NMLISTVIEW begin{};
        begin.hdr.hwndFrom = list;
        begin.hdr.idFrom = IDC_CABINET_LIST;
        begin.hdr.code = LVN_BEGINDRAG;
        begin.iItem = from;
        begin.ptAction = CellCentre(from, 0);
        SendMessageA(parent, WM_NOTIFY, IDC_CABINET_LIST, reinterpret_cast<LPARAM>(&begin));
    };
    auto drag = [&](int from, POINT dropInList) {
        beginDrag(from);
        EXPECT_TRUE(controls->Dragging());
        EXPECT_EQ(GetCapture(), parent);
        POINT screen = dropInList;
        ClientToScreen(list, &screen);
        controls->OnDragMove(screen);
        POINT client = dropInList;
        MapWindowPoints(list, parent, &client, 1);
        controls->OnDragDrop(client);
        EXPECT_FALSE(controls->Dragging());
        EXPECT_EQ(GetCapture(), nullptr);
    };

    drag(0, CellCentre(2, 0));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Beta.cab", "Gamma.cab", "Alpha.cab"}));
    EXPECT_EQ(Rows(), Entries());
    drag(1, POINT{5, 230});  // below every row
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Beta.cab", "Gamma.cab", "Alpha.cab"}));
    drag(2, CellCentre(0, 0));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Alpha.cab", "Beta.cab", "Gamma.cab"}));
    EXPECT_EQ(Rows(), Entries());

    // A drag that lost the mouse to another window ends without a drop.
    beginDrag(0);
    ASSERT_TRUE(controls->Dragging());
    ReleaseCapture();
    POINT client = CellCentre(2, 0);
    MapWindowPoints(list, parent, &client, 1);
    controls->OnDragDrop(client);
    EXPECT_FALSE(controls->Dragging());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"Alpha.cab", "Beta.cab", "Gamma.cab"}));
}

TEST_F(PageControlsTest, RemoteTreeReadsBranchesWhenOpenedAndForgetsThemWhenClosed) {
    for (const char* name : {"Windows", "apps", "Temp", "Windows/Fonts"})
        std::filesystem::create_directories(folder.path() + "/device/" + name);
    test::WriteFileBytes(folder / "device/readme.txt", "x");
    ASSERT_GE(device->CeRapiInit(), 0);

    ASSERT_TRUE(CreatePage(ctx, *controls, 4));
    HWND tree = Control(IDC_REMOTE_TREE);
    EXPECT_EQ(View().GetText(IDC_REMOTE_PATH), "\\");
    auto images =
        reinterpret_cast<HIMAGELIST>(SendMessageA(tree, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);

    auto child = [&](HTREEITEM item) { return TreeView_GetChild(tree, item); };
    auto text = [&](HTREEITEM item) {
        char buffer[260] = {};
        TVITEMA read{};
        read.mask = TVIF_TEXT;
        read.hItem = item;
        read.pszText = buffer;
        read.cchTextMax = sizeof buffer;
        TreeView_GetItem(tree, &read);
        return std::string(buffer);
    };
    auto children = [&](HTREEITEM item) {
        std::vector<std::string> names;
        for (HTREEITEM c = child(item); c; c = TreeView_GetNextSibling(tree, c))
            names.push_back(text(c));
        return names;
    };

    HTREEITEM root = TreeView_GetRoot(tree);
    ASSERT_EQ(text(root), "\\");
    // Opened from the keyboard, the way the tree tells its parent.
    TreeView_SelectItem(tree, root);
    SendMessageA(tree, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(children(root), (std::vector<std::string>{"apps", "Temp", "Windows"}));

    HTREEITEM windows = child(root);
    while (windows && text(windows) != "Windows") windows = TreeView_GetNextSibling(tree, windows);
    ASSERT_NE(windows, nullptr);
    TreeView_SelectItem(tree, windows);
    EXPECT_EQ(View().GetText(IDC_REMOTE_PATH), "\\Windows");
    SendMessageA(tree, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(children(windows), std::vector<std::string>{"Fonts"});

    // Closed, the branch is emptied and read afresh when opened again.
    TreeView_SelectItem(tree, root);
    EXPECT_EQ(View().GetText(IDC_REMOTE_PATH), "\\");
    SendMessageA(tree, WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(child(root), nullptr);
    std::filesystem::create_directories(folder.path() + "/device/New");
    SendMessageA(tree, WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(children(root), (std::vector<std::string>{"apps", "New", "Temp", "Windows"}));

    // Siblings sort with letter case ignored; equal names keep their order.
    Win32FolderTreeView port(tree);
    const TreeItem apps = reinterpret_cast<TreeItem>(child(root));
    for (const char* name : {"b", "A", "c", "a"}) port.InsertItem(apps, name, 1, 1, true);
    EXPECT_EQ(children(reinterpret_cast<HTREEITEM>(apps)),
              (std::vector<std::string>{"A", "a", "b", "c"}));

    // Every item's text is drawn on the page colour.
    NMTVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = tree;
    draw.nmcd.hdr.idFrom = IDC_REMOTE_TREE;
    draw.nmcd.hdr.code = static_cast<UINT>(NM_CUSTOMDRAW);
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    LRESULT result = 0;
    ASSERT_TRUE(controls->OnNotify(&draw.nmcd.hdr, &result));
    EXPECT_EQ(result, CDRF_NOTIFYITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    controls->OnNotify(&draw.nmcd.hdr, &result);
    EXPECT_EQ(draw.clrTextBk, RGB(211, 226, 246));
}

TEST_F(PageControlsTest, DeployPageWithoutFolderImagesGoesOnWithoutTheTree) {
    std::filesystem::remove(folder.path() + "/Images/Browse.bmp");
    EXPECT_FALSE(CreatePage(ctx, *controls, 4));
    EXPECT_EQ(Control(IDC_REMOTE_TREE), nullptr);
    EXPECT_NE(Control(IDC_LOOK_FOR_DEVICE), nullptr);
    DestroyPage(*controls, 4);

    // A bitmap with a single image is not enough either.
    WriteFolderBitmap(folder / "Images/Browse.bmp", 1);
    EXPECT_FALSE(CreatePage(ctx, *controls, 4));
    EXPECT_EQ(Control(IDC_REMOTE_TREE), nullptr);
}

TEST_F(PageControlsTest, ControlsOutliveTheMainWindowAndLeaveNoPageBehind) {
    ASSERT_TRUE(CreatePage(ctx, *controls, 2));
    DestroyWindow(parent);
    parent = nullptr;
    controls.reset();
    EXPECT_EQ(ctx.page, nullptr);
}

}  // namespace
}  // namespace zk
