#include "wizard/ui/win32/about_box_win32.h"

#include "wizard/ui/win32/zephyrkit_resources.h"

namespace zk {
namespace {

constexpr int ABOUT_WIDTH = 320;
constexpr int ABOUT_HEIGHT = 240;

struct AboutBox {
    HBITMAP picture;
};

void PaintAbout(HWND dialog, const AboutBox& box) {
    PAINTSTRUCT paint;
    HDC target = BeginPaint(dialog, &paint);
    if (box.picture) {
        BITMAP facts = {};
        GetObjectA(box.picture, sizeof facts, &facts);
        HDC source = CreateCompatibleDC(target);
        HGDIOBJ previous = SelectObject(source, box.picture);
        BitBlt(target, 0, 0, facts.bmWidth, facts.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    EndPaint(dialog, &paint);
}

INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        RECT outer = {};
        RECT client = {};
        GetWindowRect(dialog, &outer);
        GetClientRect(dialog, &client);
        RECT work = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        MoveWindow(dialog, (work.right - work.left - ABOUT_WIDTH) / 2,
                   (work.bottom - work.top - ABOUT_HEIGHT) / 2,
                   ABOUT_WIDTH + (outer.right - outer.left) - client.right,
                   ABOUT_HEIGHT + (outer.bottom - outer.top) - client.bottom, FALSE);
        return TRUE;
    }
    case WM_PAINT: {
        const auto* box = reinterpret_cast<const AboutBox*>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (!box) return FALSE;
        PaintAbout(dialog, *box);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

void ShowAboutBox(HINSTANCE instance, HWND owner, const std::string& picture) {
    AboutBox box{static_cast<HBITMAP>(
        LoadImageA(nullptr, picture.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE))};
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProcedure,
                    reinterpret_cast<LPARAM>(&box));
    if (box.picture) DeleteObject(box.picture);
}

}  // namespace zk
