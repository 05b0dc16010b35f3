// The Win32 side of the cabinet list: its small icons, the subclass that
// turns the Delete and Insert keys into the page's commands and admits files
// dropped from the shell, the hit tests of clicks and drops, and the drag
// image of a row being moved.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace zk {

struct WizardContext;

// The list's small image list: the cabinet icon, the "Yes" mark and the "No"
// mark, 16 x 16, loaded from "Images\" under the program folder. A missing
// or unreadable file leaves its slot blank, so the other indexes hold.
class CabinetIcons {
public:
    explicit CabinetIcons(std::string programFolder) : programFolder_(std::move(programFolder)) {}
    ~CabinetIcons();
    CabinetIcons(const CabinetIcons&) = delete;
    CabinetIcons& operator=(const CabinetIcons&) = delete;

    // Made on first use and kept until this object goes: the list shares it.
    HIMAGELIST Get();

private:
    std::string programFolder_;
    HIMAGELIST icons_ = nullptr;
};

// Gives the list its small image list (the list must have the shared image
// lists style).
void AttachCabinetIcons(HWND list, CabinetIcons& icons);

// What the list's subclass reaches: the window its commands go to and the
// wizard whose cabinets dropped files join.
struct CabinetListTarget {
    HWND mainWindow = nullptr;
    WizardContext* ctx = nullptr;
};

// Delete sends command 435 and Insert command 434 to the main window, the
// keys going no further; files dropped from the shell are admitted in drop
// order. The target must outlive the subclass. Also registers the list as a
// drop target for shell files.
bool InstallCabinetListSubclass(HWND list, CabinetListTarget* target);
void RemoveCabinetListSubclass(HWND list);

// The paths of a shell drop in the order the shell lists them; a path of 260
// bytes or more cannot be read whole and is passed over. Leaves the drop
// handle to the caller.
std::vector<std::string> DroppedPaths(HDROP drop);

struct ListCell {
    int row = -1;
    int column = -1;
};
// The cell under a point of the list's client area; -1, -1 off every row.
ListCell CellUnder(HWND list, POINT client);
// The row whose label is under the point, else -1.
int RowLabelUnder(HWND list, POINT client);

// A row dragged to a new place: its image follows the mouse, which the main
// window captures until the button is released.
class CabinetListDrag {
public:
    CabinetListDrag() = default;
    ~CabinetListDrag() { Cancel(); }
    CabinetListDrag(const CabinetListDrag&) = delete;
    CabinetListDrag& operator=(const CabinetListDrag&) = delete;

    // `screen` is where the mouse is now.
    void Begin(HWND list, int row, HWND captureWindow, POINT screen);
    void Move(POINT screen);
    // Ends the drag, the image and the capture; the dragged row, -1 when no
    // drag was under way.
    int End();
    void Cancel() { End(); }

    bool active() const { return active_; }
    HWND list() const { return list_; }

private:
    bool active_ = false;
    bool imageShown_ = false;
    HWND list_ = nullptr;
    int row_ = -1;
    HIMAGELIST image_ = nullptr;
};

}  // namespace zk
