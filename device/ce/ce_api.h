// The Windows CE calls the device programs make that desktop Windows lacks or
// answers differently. On a Windows CE toolchain these forward to the system
// (coredll, aygshell, htmlview); the desktop build of the emulated device
// answers them from the device profile it emulates (emulator/ce).
//
// The aygshell and HTML view calls keep their Windows CE names and records:
// desktop Windows has none of them, and the device code reads as it would on
// the device. Calls that desktop Windows has in another form get a Device
// prefix, clear of the A/W macros of <windows.h> and of the ActiveSync Remote
// API, which has its own CeGetVersionEx.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zk::ce {

// ---- coredll -------------------------------------------------------------

// SystemParametersInfoW action: the platform type text ("PocketPC",
// "SmartPhone").
inline constexpr UINT CE_SPI_GETPLATFORMTYPE = 257;

// KernelIoControl code: CTL_CODE(FILE_DEVICE_HAL, 25, METHOD_BUFFERED,
// FILE_ANY_ACCESS), output a ProcessorInfo.
inline constexpr DWORD CE_IOCTL_PROCESSOR_INFORMATION = 0x01010064;
// KernelIoControl code: CTL_CODE(FILE_DEVICE_HAL, 15, METHOD_BUFFERED,
// FILE_ANY_ACCESS), no input, no output: restart the device.
inline constexpr DWORD CE_IOCTL_HAL_REBOOT = 0x0101003C;

// The platform's PROCESSOR_INFO, 576 bytes.
struct ProcessorInfo {
    WORD version;
    WCHAR processorCore[40];
    WORD coreRevision;
    WCHAR processorName[40];
    WORD processorRevision;
    WCHAR catalogNumber[100];
    WCHAR vendor[100];
    DWORD instructionSet;
    DWORD clockSpeed;
};
static_assert(sizeof(ProcessorInfo) == 576);
static_assert(offsetof(ProcessorInfo, vendor) == 366);
static_assert(offsetof(ProcessorInfo, clockSpeed) == 572);

// GetVersionExW: info->dwOSVersionInfoSize must be set (276 bytes).
BOOL DeviceGetVersionEx(OSVERSIONINFOW* info);

// SystemParametersInfoW. CE_SPI_GETPLATFORMTYPE: success is the value 1.
// SPI_GETWORKAREA: the device's work area (its screen less the task bar).
BOOL DeviceSystemParametersInfo(UINT action, UINT param, void* data, UINT winIni);

// KernelIoControl. CE_IOCTL_HAL_REBOOT does not return when the device
// restarts (on the emulated device the program ends at once, its files left
// as they are, as a reset leaves them).
BOOL DeviceKernelIoControl(DWORD code, void* input, DWORD inputSize, void* output, DWORD outputSize,
                           DWORD* returned);

// CreateWindowExW as the device's window manager does it: a top-level window
// asked for at the default position and size covers the work area, and has
// no desktop frame (its title shows in the device's task bar).
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);

// ---- aygshell ------------------------------------------------------------

// SHCreateMenuBar flags.
inline constexpr DWORD SHCMBF_EMPTYBAR = 0x0001;
inline constexpr DWORD SHCMBF_HIDDEN = 0x0002;
inline constexpr DWORD SHCMBF_HIDESIPBUTTON = 0x0004;

struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;     // RCDATA resource of the bar, see below
    HINSTANCE hInstRes;  // module holding the bar and its strings
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;  // out: the bar
    COLORREF clrBk;
};

// A soft-key bar resource (RCDATA nToolBarId, 16-bit words, as the Windows CE
// resource compiler lays out a SHMENUBAR):
//   menu id, key count, then per key:
//   image (I_IMAGENONE), command id, state, style, caption string id (0 = no
//   caption), 0, menu index (NOMENU)
inline constexpr WORD CE_I_IMAGENONE = 0xFFFE;
inline constexpr WORD CE_NOMENU = 0xFFFF;

// Creates the bar along the bottom of the screen below hwndParent; each key
// is a button whose control id is its command id, and pressing it sends
// WM_COMMAND (the command id) to hwndParent. The bar goes with its parent.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};

BOOL SHHandleWMActivate(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info,
                        DWORD flags);
BOOL SHHandleWMSettingChange(HWND window, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

inline constexpr int CE_CSIDL_STARTUP = 0x0007;

// path: at least MAX_PATH units. CE_CSIDL_STARTUP: "\Windows\StartUp".
BOOL SHGetSpecialFolderPath(HWND owner, LPWSTR path, int folder, BOOL create);

// A Windows CE shortcut: the text "<length>#<target>" (the target's length
// in characters), replacing any file of that name.
BOOL SHCreateShortcut(LPWSTR shortcut, LPWSTR target);

// A device-independent bitmap loaded from a file (BMP; other formats where
// the platform decodes them); null when it cannot be read.
HBITMAP SHLoadDIBitmap(LPCWSTR fileName);

// ---- HTML view -----------------------------------------------------------

inline constexpr wchar_t WC_HTML[] = L"DISPLAYCLASS";
inline constexpr UINT DTM_CLEAR = WM_USER + 113;
// lParam: the address, a system string (SysAllocString) the caller frees.
inline constexpr UINT DTM_NAVIGATE = WM_USER + 120;

// Registers the HTML view class; true on success.
BOOL InitHTMLControl(HINSTANCE instance);

}  // namespace zk::ce
