#include "wizard/ui/win32/cabinet_list_view_win32.h"

#include <shellapi.h>

#include "wizard/cabinet/cabinet_list.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

constexpr UINT_PTR LIST_SUBCLASS_ID = 0x5A4B0002;
constexpr int ICON_SIZE = 16;
constexpr UINT DROPPED_PATH_MAX = 260;
const char* const ICON_FILES[] = {"Zephyrkit.ico", "RivoquardCheck.ico", "RivoquardNoCheck.ico"};

// A fully transparent icon that holds the place of one that could not be read.
HICON BlankIcon() {
    BYTE andMask[ICON_SIZE * ICON_SIZE / 8];
    BYTE xorMask[ICON_SIZE * ICON_SIZE / 8];
    for (BYTE& b : andMask) b = 0xFF;
    for (BYTE& b : xorMask) b = 0x00;
    return CreateIcon(nullptr, ICON_SIZE, ICON_SIZE, 1, 1, andMask, xorMask);
}

LRESULT CALLBACK CabinetListSubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR data) {
    auto* target = reinterpret_cast<CabinetListTarget*>(data);
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_DELETE || wParam == VK_INSERT) {
            const int command = wParam == VK_DELETE ? IDC_DELETE_CABINET : IDC_ADD_CABINET;
            // As the page's button would send it, without the button.
            SendMessageA(target->mainWindow, WM_COMMAND, MAKEWPARAM(command, 0), 0);
            return 0;
        }
        break;
    case WM_DROPFILES: {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        std::vector<std::string> paths = DroppedPaths(drop);
        // The shell is let go before admission, whose message boxes wait
        // for the user.
        DragFinish(drop);
        if (target->ctx) AdmitDroppedFiles(*target->ctx, paths);
        return 0;
    }
    default: break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

CabinetIcons::~CabinetIcons() {
    if (icons_) ImageList_Destroy(icons_);
}

HIMAGELIST CabinetIcons::Get() {
    if (icons_) return icons_;
    icons_ = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                              ILC_COLOR32 | ILC_MASK, 3, 1);
    if (!icons_) return nullptr;
    for (const char* file : ICON_FILES) {
        const std::string path = programFolder_ + "Images\\" + file;
        HICON icon = static_cast<HICON>(
            LoadImageA(nullptr, path.c_str(), IMAGE_ICON, ICON_SIZE, ICON_SIZE, LR_LOADFROMFILE));
        if (!icon) icon = BlankIcon();
        ImageList_ReplaceIcon(icons_, -1, icon);
        if (icon) DestroyIcon(icon);
    }
    return icons_;
}

void AttachCabinetIcons(HWND list, CabinetIcons& icons) {
    if (HIMAGELIST images = icons.Get())
        SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

bool InstallCabinetListSubclass(HWND list, CabinetListTarget* target) {
    if (!list || !target) return false;
    if (!SetWindowSubclass(list, CabinetListSubclass, LIST_SUBCLASS_ID,
                           reinterpret_cast<DWORD_PTR>(target)))
        return false;
    DragAcceptFiles(list, TRUE);
    return true;
}

void RemoveCabinetListSubclass(HWND list) {
    if (!list) return;
    DragAcceptFiles(list, FALSE);
    RemoveWindowSubclass(list, CabinetListSubclass, LIST_SUBCLASS_ID);
}

std::vector<std::string> DroppedPaths(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0 || length >= DROPPED_PATH_MAX) continue;
        char buffer[DROPPED_PATH_MAX] = {};
        if (DragQueryFileA(drop, i, buffer, DROPPED_PATH_MAX) != length) continue;
        paths.emplace_back(buffer, length);
    }
    return paths;
}

ListCell CellUnder(HWND list, POINT client) {
    LVHITTESTINFO hit{};
    hit.pt = client;
    if (SendMessageA(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 ||
        hit.iItem < 0 || !(hit.flags & LVHT_ONITEM))
        return {};
    return {hit.iItem, hit.iSubItem};
}

int RowLabelUnder(HWND list, POINT client) {
    LVHITTESTINFO hit{};
    hit.pt = client;
    const LRESULT row = SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (row < 0 || !(hit.flags & LVHT_ONITEMLABEL)) return -1;
    return static_cast<int>(row);
}

void CabinetListDrag::Begin(HWND list, int row, HWND captureWindow, POINT screen) {
    Cancel();
    list_ = list;
    row_ = row;
    active_ = true;
    POINT corner{};
    image_ = reinterpret_cast<HIMAGELIST>(SendMessageA(
        list, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&corner)));
    // Without an image the row still moves; only the picture is missing.
    if (image_ && ImageList_BeginDrag(image_, 0, 0, 0))
        imageShown_ = ImageList_DragEnter(nullptr, screen.x, screen.y) != FALSE;
    SetCapture(captureWindow);
}

void CabinetListDrag::Move(POINT screen) {
    if (active_ && imageShown_) ImageList_DragMove(screen.x, screen.y);
}

int CabinetListDrag::End() {
    if (!active_) return -1;
    active_ = false;
    if (imageShown_) {
        ImageList_DragLeave(nullptr);
        imageShown_ = false;
    }
    if (image_) {
        ImageList_EndDrag();
        ImageList_Destroy(image_);
        image_ = nullptr;
    }
    ReleaseCapture();
    const int row = row_;
    row_ = -1;
    return row;
}

}  // namespace zk
