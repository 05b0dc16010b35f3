// The device's HTML view ("DISPLAYCLASS"), played without a browser engine:
// it reads the document a "file://" address names and shows its readable
// text (document_text.h), word-wrapped in the font it is given, black on
// white, scrolled vertically by its scroll bar, the arrow and page keys and
// the mouse wheel. The shown text is the window's own text, so WM_GETTEXT
// (from this process or another) reads what the user sees.
#include <cwchar>

#include "device/ce/ce_api.h"
#include "emulator/ce/document_text.h"

namespace zk::ce {
namespace {

// A document longer than this shows its beginning only: the view is for
// licences and read-me files, not for whatever a card happens to hold.
constexpr DWORD MAX_DOCUMENT_BYTES = 1 << 20;
constexpr DWORD READ_BLOCK = 16 * 1024;
constexpr int MARGIN = 2;
constexpr UINT TEXT_FORMAT = DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_NOCLIP;

struct View {
    WCHAR* text;  // what is shown, terminated; null when empty
    int length;
    HFONT font;  // the caller's (WM_SETFONT); not ours to delete
    int scroll;  // pixels of the text above the window's top
    int textHeight;
    int lineHeight;
};

void* Allocate(std::size_t bytes) { return HeapAlloc(GetProcessHeap(), 0, bytes); }
void Free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

View* ViewOf(HWND window) { return reinterpret_cast<View*>(GetWindowLongPtrW(window, 0)); }

HFONT FontOf(const View& view) {
    return view.font ? view.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

RECT TextArea(HWND window) {
    RECT area;
    GetClientRect(window, &area);
    InflateRect(&area, -MARGIN, -MARGIN);
    return area;
}

int MaxScroll(HWND window, const View& view) {
    RECT client;
    GetClientRect(window, &client);
    int over = view.textHeight + 2 * MARGIN - (client.bottom - client.top);
    return over > 0 ? over : 0;
}

void UpdateScrollBar(HWND window, const View& view) {
    RECT client;
    GetClientRect(window, &client);
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMax = view.textHeight + 2 * MARGIN - 1;
    info.nPage = static_cast<UINT>(client.bottom - client.top);
    info.nPos = view.scroll;
    SetScrollInfo(window, SB_VERT, &info, TRUE);
}

void ScrollTo(HWND window, View& view, int position) {
    int limit = MaxScroll(window, view);
    if (position > limit) position = limit;
    if (position < 0) position = 0;
    if (position == view.scroll) return;
    view.scroll = position;
    UpdateScrollBar(window, view);
    InvalidateRect(window, nullptr, FALSE);
}

// Measures the wrapped text at the window's width; the scroll position
// stays as near as the new height allows.
void Layout(HWND window, View& view) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, FontOf(view));
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    view.lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
    view.textHeight = 0;
    RECT area = TextArea(window);
    if (view.length > 0 && area.right > area.left) {
        RECT measured = {0, 0, area.right - area.left, 0};
        view.textHeight =
            DrawTextW(dc, view.text, view.length, &measured, TEXT_FORMAT | DT_CALCRECT);
    }
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    int limit = MaxScroll(window, view);
    if (view.scroll > limit) view.scroll = limit;
    UpdateScrollBar(window, view);
    InvalidateRect(window, nullptr, FALSE);
}

// Shows the text (length units, no terminator needed) from its top.
void Show(HWND window, View& view, const WCHAR* text, std::size_t length) {
    Free(view.text);
    view.text = nullptr;
    view.length = 0;
    view.scroll = 0;
    if (length > 0) {
        view.text = static_cast<WCHAR*>(Allocate((length + 1) * sizeof(WCHAR)));
        if (view.text) {
            wmemcpy(view.text, text, length);
            view.text[length] = L'\0';
            view.length = static_cast<int>(length);
        }
    }
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(view.text ? view.text : L""));
    Layout(window, view);
}

// Reads up to MAX_DOCUMENT_BYTES of the file into a new block; null when it
// cannot be read.
unsigned char* ReadDocument(const WCHAR* path, DWORD& size) {
    size = 0;
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER length;
    unsigned char* bytes = nullptr;
    if (GetFileSizeEx(file, &length)) {
        DWORD wanted = length.QuadPart > MAX_DOCUMENT_BYTES ? MAX_DOCUMENT_BYTES
                                                            : static_cast<DWORD>(length.QuadPart);
        bytes = static_cast<unsigned char*>(Allocate(wanted ? wanted : 1));
        while (bytes && size < wanted) {
            DWORD block = wanted - size < READ_BLOCK ? wanted - size : READ_BLOCK;
            DWORD got = 0;
            if (!ReadFile(file, bytes + size, block, &got, nullptr)) {
                Free(bytes);
                bytes = nullptr;
                break;
            }
            if (got == 0) break;  // the file became shorter while we read
            size += got;
        }
    }
    CloseHandle(file);
    return bytes;
}

// The document's path in a "file://" address (a bare path is taken as it
// is); slashes become the device's separators.
void AddressPath(const WCHAR* address, WCHAR* path) {
    if (_wcsnicmp(address, L"file://", 7) == 0) address += 7;
    std::size_t n = 0;
    for (; address[n] && n < MAX_PATH - 1; ++n) path[n] = address[n] == L'/' ? L'\\' : address[n];
    path[n] = L'\0';
}

void Navigate(HWND window, View& view, const WCHAR* address) {
    WCHAR path[MAX_PATH];
    AddressPath(address ? address : L"", path);
    DWORD size = 0;
    unsigned char* bytes = path[0] ? ReadDocument(path, size) : nullptr;
    auto* units = bytes ? static_cast<char16_t*>(Allocate((size + 1) * sizeof(char16_t))) : nullptr;
    char16_t* shown = nullptr;
    std::size_t shownLength = 0;
    if (units) {
        std::size_t length = DecodeDocument(bytes, size, units);
        bool html = LooksLikeHtml(reinterpret_cast<const char16_t*>(path), units, length);
        auto convert = html ? HtmlDisplayText : PlainDisplayText;
        shownLength = convert(units, length, nullptr);
        shown = static_cast<char16_t*>(Allocate((shownLength + 1) * sizeof(char16_t)));
        if (shown)
            convert(units, length, shown);
        else
            shownLength = 0;
    }
    Show(window, view, reinterpret_cast<const WCHAR*>(shown), shownLength);
    Free(shown);
    Free(units);
    Free(bytes);
}

void OnPaint(HWND window, const View& view) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (view.length > 0) {
        RECT area = TextArea(window);
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        area.top -= view.scroll;
        area.bottom = area.top + view.textHeight;
        HGDIOBJ old = SelectObject(dc, FontOf(view));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, view.text, view.length, &area, TEXT_FORMAT);
        SelectObject(dc, old);
    }
    EndPaint(window, &paint);
}

void OnScrollBar(HWND window, View& view, WORD request) {
    RECT client;
    GetClientRect(window, &client);
    int page = client.bottom - client.top - view.lineHeight;
    if (page < view.lineHeight) page = view.lineHeight;
    switch (request) {
    case SB_LINEUP: ScrollTo(window, view, view.scroll - view.lineHeight); break;
    case SB_LINEDOWN: ScrollTo(window, view, view.scroll + view.lineHeight); break;
    case SB_PAGEUP: ScrollTo(window, view, view.scroll - page); break;
    case SB_PAGEDOWN: ScrollTo(window, view, view.scroll + page); break;
    case SB_TOP: ScrollTo(window, view, 0); break;
    case SB_BOTTOM: ScrollTo(window, view, MaxScroll(window, view)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window, SB_VERT, &info);
        ScrollTo(window, view, info.nTrackPos);
        break;
    }
    }
}

bool OnKey(HWND window, View& view, WPARAM key) {
    switch (key) {
    case VK_UP: OnScrollBar(window, view, SB_LINEUP); return true;
    case VK_DOWN: OnScrollBar(window, view, SB_LINEDOWN); return true;
    case VK_PRIOR: OnScrollBar(window, view, SB_PAGEUP); return true;
    case VK_NEXT: OnScrollBar(window, view, SB_PAGEDOWN); return true;
    case VK_HOME: OnScrollBar(window, view, SB_TOP); return true;
    case VK_END: OnScrollBar(window, view, SB_BOTTOM); return true;
    }
    return false;
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    View* view = ViewOf(window);
    if (!view) {
        if (message != WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
        view = static_cast<View*>(Allocate(sizeof(View)));
        if (!view) return FALSE;
        *view = View{nullptr, 0, nullptr, 0, 0, 16};
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(view));
        if (!DefWindowProcW(window, message, wParam, lParam)) return FALSE;
        // The window's text is what the view shows, not its creation title.
        DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        return TRUE;
    }
    switch (message) {
    case WM_CREATE:
        // Always there, greyed while the text fits: the wrap width does not
        // change as text comes and goes.
        ShowScrollBar(window, SB_VERT, TRUE);
        Layout(window, *view);
        return 0;
    case WM_NCDESTROY:
        Free(view->text);
        Free(view);
        SetWindowLongPtrW(window, 0, 0);
        break;
    case WM_SIZE: Layout(window, *view); return 0;
    case WM_SETFONT:
        view->font = reinterpret_cast<HFONT>(wParam);
        Layout(window, *view);
        if (LOWORD(lParam)) UpdateWindow(window);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(view->font);
    case WM_SETTEXT: {
        const auto* text = reinterpret_cast<const WCHAR*>(lParam);
        Show(window, *view, text ? text : L"", text ? wcslen(text) : 0);
        return TRUE;
    }
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(window, *view); return 0;
    case WM_VSCROLL: OnScrollBar(window, *view, LOWORD(wParam)); return 0;
    case WM_KEYDOWN:
        if (OnKey(window, *view, wParam)) return 0;
        break;
    case WM_MOUSEWHEEL: {
        int notches = GET_WHEEL_DELTA_WPARAM(wParam) * 3 / WHEEL_DELTA;
        ScrollTo(window, *view, view->scroll - notches * view->lineHeight);
        return 0;
    }
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_LBUTTONDOWN: SetFocus(window); return 0;
    case DTM_CLEAR: Show(window, *view, nullptr, 0); return 0;
    case DTM_NAVIGATE: Navigate(window, *view, reinterpret_cast<const WCHAR*>(lParam)); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

BOOL InitHTMLControl(HINSTANCE instance) {
    if (!instance) instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (GetClassInfoW(instance, WC_HTML, &wc)) return TRUE;
    // Global: the program may name any of its modules when it creates one.
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
    wc.lpfnWndProc = ViewProc;
    wc.cbWndExtra = sizeof(View*);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = WC_HTML;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace zk::ce
