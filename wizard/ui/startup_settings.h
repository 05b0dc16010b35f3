// What the wizard keeps outside the process and fixes before its window
// exists: the start step setting, the .paw association with the shell, the
// main window's identity and placement, and the font every page control uses.
#pragma once

#include <string>

namespace zk {

class DesktopPlatform;
struct WizardContext;

inline constexpr const char* MAIN_WINDOW_CLASS = "_Morvane_Wizard_Main_Window";
inline constexpr const char* MAIN_WINDOW_TITLE = "Morvane Zephyrkit v1.1";
inline constexpr const char* START_STEP_VALUE = "General_Step_Index";

// The association, all default values of keys under the user's classes.
inline constexpr const char* USER_CLASSES_KEY = "Software\\Classes\\";
inline constexpr const char* PROJECT_EXTENSION_KEY = ".paw";
inline constexpr const char* PROJECT_PROG_ID = "Zephyrkit.1";
inline constexpr const char* PROJECT_TYPE_NAME = "Zephyrkit Project";
inline constexpr const char* PROJECT_ICON_KEY = "Zephyrkit.1\\DefaultIcon";
inline constexpr const char* PROJECT_OPEN_KEY = "Zephyrkit.1\\Shell\\Open\\Command";
inline constexpr const char* OPEN_COMMAND_FORMAT = "\"%s\" \"%%1\"";

// A font as the front creates it; every attribute not named is zero.
struct FontDescription {
    const char* face;
    int height;
    int weight;
};
inline constexpr FontDescription WIZARD_FONT{"Arial", 15, 200};
// The "Browse for folder" heading of the deploy page.
inline constexpr FontDescription HEADING_FONT{"Arial", 15, 700};

// The drawing canvas; the window's client area is exactly this size.
inline constexpr int CANVAS_WIDTH = 640;
inline constexpr int CANVAS_HEIGHT = 480;

struct WindowPlacement {
    int x, y, width, height;
};
// Centred in the work area, the canvas plus the caption and borders. The
// borders' width is added too, so the client area is the whole canvas and
// its right edge (with the next-position button) is not cut off.
WindowPlacement PlaceMainWindow(int workAreaWidth, int workAreaHeight, int nonClientWidth,
                                int nonClientHeight);

// The stored start step: 1 for the presets page, else 0 (the introduction).
// The user's value is read first, the machine-wide one when the user has none.
// A missing, unreadable or wrongly typed value gives 0; so does a value the
// wizard never writes (anything but 0 and 1), since a later page without
// the checks of the earlier ones would build from unchecked values.
int ReadStartStep(DesktopPlatform& platform);

// Stores the flag (0 or 1, any non-zero counting as 1) under the wizard's
// key of the current user, creating the key. True when it was stored.
bool WriteStartStep(DesktopPlatform& platform, int flag);

// The open command of .paw files: the program path and the document
// placeholder, each in double quotes, one blank between.
std::string BuildOpenCommand(const std::string& programPath);

// Writes the association key by key, skipping what cannot be written, and
// tells the shell that associations changed. Always true.
bool RegisterProjectFileType(DesktopPlatform& platform, const std::string& programPath);

// The start sequence before the window: reads the start step, sets
// skipIntroPage from it and, on a start at the introduction, (re)writes the
// association. Returns the first WizardStep.
int BeginWizardRun(WizardContext& ctx);

}  // namespace zk
