#include "device/installer/win32/folder_browser_win32.h"

#include <cwchar>
#include <string>
#include <vector>

#include "common/wide_text_win32.h"
#include "device/installer/browse_paths.h"
#include "device/installer/win32/installer_resources.h"

namespace zk {
namespace {

constexpr int IDC_TREE = 101;
constexpr int IDC_OK = 1501;
constexpr int IDC_CANCEL = 1502;
constexpr int IMAGE_OPEN = 0;
constexpr int IMAGE_CLOSED = 1;
constexpr int IMAGE_FILE = 2;
constexpr int IMAGE_SIZE = 22;

// Process-wide while a browse runs: the browser's window procedure reads and
// writes these.
struct BrowseState {
    bool done = false;
    wchar_t result[MAX_PATH] = {};
    wchar_t filter[256] = {};
    wchar_t label[256] = {};
    DWORD lastReturn = 0;
    FolderBrowse* browse = nullptr;
    // The browser is selecting for itself, not the user: nothing is picked.
    bool selectingRoot = false;
};
BrowseState g_browse;

void CopyText(wchar_t* target, std::size_t capacity, const wchar_t* text) {
    lstrcpynW(target, text ? text : L"", static_cast<int>(capacity));
}

// The tree's item messages are sent in their wide forms by name: the
// TreeView_ macros pick the ANSI ones in a program built without UNICODE.
std::u16string ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW info = {};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
    return Text16(text);
}

// The texts from the root item down to the item.
std::vector<std::u16string> ItemTexts(HWND tree, HTREEITEM item) {
    std::vector<std::u16string> texts;
    for (; item; item = TreeView_GetParent(tree, item))
        texts.insert(texts.begin(), ItemText(tree, item));
    return texts;
}

void SetItemImage(HWND tree, HTREEITEM item, int image) {
    TVITEMW info = {};
    info.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    info.hItem = item;
    info.iImage = image;
    info.iSelectedImage = image;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info));
}

void InsertItem(HWND tree, const wchar_t* name, HTREEITEM parent, bool folder) {
    const std::u16string text = Text16(name);
    if (!folder && !BrowseListsFile(Text16(g_browse.filter), text)) return;
    if (!IsBrowsableName(text)) return;
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(name);
    insert.item.iImage = insert.item.iSelectedImage = folder ? IMAGE_CLOSED : IMAGE_FILE;
    insert.item.cChildren = folder ? 1 : 0;
    SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
}

void ReadFolder(HWND tree, HTREEITEM item) {
    SetItemImage(tree, item, IMAGE_OPEN);
    const std::u16string pattern = FolderSearchPattern(ItemTexts(tree, item));
    HCURSOR old = SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(Wide(pattern), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            InsertItem(tree, entry.cFileName, item,
                       (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    SetCursor(old);
}

void DeleteChildren(HWND tree, HTREEITEM item) {
    HTREEITEM child = TreeView_GetChild(tree, item);
    while (child) {
        HTREEITEM next = TreeView_GetNextSibling(tree, child);
        TreeView_DeleteItem(tree, child);
        child = next;
    }
}

void Pick(HWND tree, HTREEITEM item) {
    if (!item || g_browse.filter[0] || g_browse.selectingRoot) return;
    const std::u16string path = PickedFolderPath(ItemTexts(tree, item));
    CopyText(g_browse.result, MAX_PATH, Wide(path));
    EnableWindow(g_browse.browse->ok, TRUE);
}

HTREEITEM ItemAtMessagePos(HWND tree) {
    const DWORD at = GetMessagePos();
    TVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(at));
    hit.pt.y = static_cast<short>(HIWORD(at));
    ScreenToClient(tree, &hit.pt);
    return TreeView_HitTest(tree, &hit);
}

LRESULT OnTreeNotify(const NMHDR* header) {
    HWND tree = header->hwndFrom;
    switch (header->code) {
    case TVN_ITEMEXPANDINGW: {
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (change->action & TVE_EXPAND) {
            ReadFolder(tree, change->itemNew.hItem);
        } else if (change->action & TVE_COLLAPSE) {
            SetItemImage(tree, change->itemNew.hItem, IMAGE_CLOSED);
        }
        return 0;
    }
    case TVN_ITEMEXPANDEDW: {
        // Read again on the next expansion: the folder may have changed.
        const auto* change = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (change->action & TVE_COLLAPSE) DeleteChildren(tree, change->itemNew.hItem);
        return 0;
    }
    case TVN_SELCHANGEDW:
        Pick(tree, reinterpret_cast<const NMTREEVIEWW*>(header)->itemNew.hItem);
        return 0;
    case NM_CLICK:
        if (!g_browse.filter[0]) EnableWindow(g_browse.browse->ok, FALSE);
        Pick(tree, ItemAtMessagePos(tree));
        return 0;
    case NM_DBLCLK:
        Pick(tree, ItemAtMessagePos(tree));
        if (!g_browse.filter[0]) g_browse.done = true;
        return 0;
    case NM_RETURN: {
        const DWORD now = GetTickCount();
        if (ReturnPressesEndBrowse(g_browse.lastReturn, now)) g_browse.done = true;
        g_browse.lastReturn = now;
        return 0;
    }
    default: return 0;
    }
}

void PaintLabel(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT band = {0, 0, 240, 20};
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, g_browse.label, -1, &band, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    EndPaint(window, &paint);
}

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: PaintLabel(window); return 0;
    case WM_NOTIFY:
        if (wParam == IDC_TREE) return OnTreeNotify(reinterpret_cast<const NMHDR*>(lParam));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_OK) {
            g_browse.done = true;
        } else if (LOWORD(wParam) == IDC_CANCEL) {
            g_browse.result[0] = L'\0';
            g_browse.done = true;
        }
        return 0;
    case WM_CLOSE:
        // Closing the window is a Cancel.
        g_browse.result[0] = L'\0';
        g_browse.done = true;
        return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A device without a stylus ends the browse by its keys: the left soft key
// (F1) is Ok once a folder is picked, the right one (F2) and Escape Cancel;
// Tab moves among the tree and the two buttons, Enter presses the button
// with the focus (in the tree it keeps its own meaning). True when the key
// is used up.
bool OnBrowserKey(const FolderBrowse& browse, const MSG& message) {
    if (message.message != WM_KEYDOWN ||
        (message.hwnd != browse.window && !IsChild(browse.window, message.hwnd)))
        return false;
    HWND focus = GetFocus();
    HWND press = nullptr;
    switch (message.wParam) {
    case VK_F1: press = browse.ok; break;
    case VK_F2:
    case VK_ESCAPE: press = browse.cancel; break;
    case VK_RETURN:
        if (focus != browse.ok && focus != browse.cancel) return false;
        press = focus;
        break;
    case VK_TAB: {
        const HWND order[] = {browse.tree, browse.ok, browse.cancel};
        const bool back = GetKeyState(VK_SHIFT) < 0;
        int at = 0;
        while (at < 3 && order[at] != focus) ++at;
        for (int step = 1; step <= 3; ++step) {
            HWND next = order[((at == 3 ? 0 : at) + (back ? 3 - step : step)) % 3];
            if (next && IsWindowEnabled(next)) {
                SetFocus(next);
                break;
            }
        }
        return true;
    }
    default: return false;
    }
    if (press && IsWindowEnabled(press))
        SendMessageW(browse.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(press), BN_CLICKED),
                     reinterpret_cast<LPARAM>(press));
    return true;
}

// ":%X" without the C library's formatting, which the stub does not carry.
void AppendHex(wchar_t* text, DWORD value) {
    wchar_t digits[10];
    int n = 0;
    do {
        digits[n++] = L"0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value);
    std::size_t at = wcslen(text);
    text[at++] = L':';
    while (n) text[at++] = digits[--n];
    text[at] = L'\0';
}

HFONT TreeFont() {
    LOGFONTW font = {};
    font.lfHeight = 13;
    font.lfWeight = 200;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, L"verdana", LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

HWND MakeChild(const FolderBrowse& browse, const wchar_t* kind, const wchar_t* text, DWORD style,
               int x, int y, int width, int height, int id, HFONT font) {
    HWND child = CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                                 browse.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 browse.instance, nullptr);
    if (child) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

// The tree with its pictures; false when the pictures cannot be had (the
// window then keeps only its label and buttons).
bool MakeTree(FolderBrowse& browse, HFONT font) {
    browse.tree = MakeChild(browse, WC_TREEVIEWW, L"TreeView",
                            WS_BORDER | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                            0, 20, 240, 150, IDC_TREE, font);
    if (!browse.tree) return false;
    SetFocus(browse.tree);
    browse.images = ImageList_Create(IMAGE_SIZE, IMAGE_SIZE, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (!browse.images || !browse.strip ||
        ImageList_AddMasked(browse.images, browse.strip, RGB(0, 255, 0)) < 0 ||
        ImageList_GetImageCount(browse.images) < 2) {
        DestroyWindow(browse.tree);
        browse.tree = nullptr;
        return false;
    }
    TreeView_SetImageList(browse.tree, browse.images, TVSIL_NORMAL);
    InsertItem(browse.tree, L"\\", nullptr, true);
    // The root holds the caret from the start, so that the arrow keys of a
    // device without a stylus have somewhere to move from; Ok waits for a
    // folder the user picks.
    g_browse.selectingRoot = true;
    SendMessageW(browse.tree, TVM_SELECTITEM, TVGN_CARET,
                 SendMessageW(browse.tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    g_browse.selectingRoot = false;
    return true;
}

}  // namespace

void BrowseFolder(FolderBrowse* browse, HINSTANCE instance, HWND owner, const wchar_t* title,
                  const wchar_t* label, const wchar_t* okText, const wchar_t* cancelText,
                  const wchar_t* filter, wchar_t* result) {
    result[0] = L'\0';
    g_browse = BrowseState{};
    g_browse.browse = browse;
    CopyText(g_browse.filter, 256, filter);
    CopyText(g_browse.label, 256, label);
    browse->instance = instance;
    browse->owner = owner;
    browse->okText = okText;
    browse->cancelText = cancelText;
    browse->strip = LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_TREE_IMAGES));
    if (owner) EnableWindow(owner, FALSE);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    // Every browse has a class of its own: "browsefile:<tick count>:<thread>".
    wchar_t kind[64] = L"browsefile";
    AppendHex(kind, GetTickCount());
    AppendHex(kind, GetCurrentThreadId());
    browse->window = FindWindowW(kind, title);
    if (browse->window) {
        SetForegroundWindow(browse->window);
    } else {
        WNDCLASSW known = {};
        if (!GetClassInfoW(instance, kind, &known)) {
            WNDCLASSW browser = {};
            browser.style = CS_HREDRAW | CS_VREDRAW;
            browser.lpfnWndProc = BrowserProc;
            browser.hInstance = instance;
            browser.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
            browser.lpszClassName = kind;
            RegisterClassW(&browser);
        }
        browse->window =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kind, title, WS_VISIBLE | WS_CAPTION,
                            0, 0, 320, 320, nullptr, nullptr, instance, nullptr);
    }
    HFONT font = TreeFont();
    if (browse->window) {
        ShowWindow(browse->window, SW_SHOW);
        UpdateWindow(browse->window);
        browse->ok = MakeChild(*browse, L"BUTTON", okText, WS_TABSTOP | WS_DISABLED, 10, 180, 70,
                               18, IDC_OK, font);
        browse->cancel = MakeChild(*browse, L"BUTTON", cancelText, WS_TABSTOP, 160, 180, 70, 18,
                                   IDC_CANCEL, font);
        MakeTree(*browse, font);

        MSG message;
        while (!g_browse.done) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got <= 0) {
                // The program is ending: leave the quit for the main loop.
                if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
                g_browse.result[0] = L'\0';
                break;
            }
            if (OnBrowserKey(*browse, message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (browse->tree) DestroyWindow(browse->tree);
        DestroyWindow(browse->window);
    }
    if (g_browse.result[0]) CopyText(result, MAX_PATH, g_browse.result);

    if (owner) {
        EnableWindow(owner, TRUE);
        SetFocus(owner);
    }
    if (browse->strip) DeleteObject(browse->strip);
    if (browse->images) ImageList_Destroy(browse->images);
    DeleteObject(font);
    *browse = FolderBrowse{};
    g_browse.browse = nullptr;
}

}  // namespace zk
