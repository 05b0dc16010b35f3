// The installer's fixed names and texts. Paths are device paths; the texts
// are what the device shows and logs, word for word (spelling included).
#pragma once

namespace zk {

// Package and unpacking.
inline constexpr char16_t UNPACK_FOLDER[] = u"\\Temp";
inline constexpr char16_t SYSTEM_INFO_ZIP[] = u"\\SystemInfo.zip";
inline constexpr char16_t PROJECT_ZIP[] = u"\\data.zip";
inline constexpr char16_t SPLASH_ZIP[] = u"\\Splash.zip";
inline constexpr char16_t EULA_ZIP[] = u"\\Eula.zip";
inline constexpr char16_t README_ZIP[] = u"\\ReadMe.zip";
inline constexpr char16_t CABINET_ZIP[] = u"\\Cab.zip";
inline constexpr char16_t SYSTEM_INFO_TOOL[] = u"\\Temp\\SystemInfo.exe";
inline constexpr char16_t SYSTEM_INFO_OUTPUT[] = u"\\Temp\\SystemInfo.dat";

// The platform installer.
inline constexpr char16_t WCELOAD_PROGRAM[] = u"\\Windows\\wceload.exe";
inline constexpr char16_t OPTION_ASKDEST[] = u"/askdest ";
inline constexpr char16_t OPTION_NOASKDEST[] = u"/noaskdest ";
inline constexpr char16_t OPTION_NOUI[] = u"/noui ";
inline constexpr char16_t INSTALL_REGISTRY_KEY[] =
    u"SOFTWARE\\Apps\\Microsoft Application Installer\\Install";
// Where the platform installer records an installed application:
// "Software\Apps\<provider> <application name>", DWORD "Instl" = 1.
inline constexpr char16_t INSTALLED_APPS_KEY[] = u"Software\\Apps\\";
inline constexpr char16_t INSTALLED_VALUE[] = u"Instl";
inline constexpr char16_t INSTALLED_FOLDER_VALUE[] = u"InstlDir";

// State, log, restart.
inline constexpr char16_t STATE_FILE[] = u"\\windows\\Zephyrkit.dat";
inline constexpr char16_t DEFAULT_LOG_PATH[] = u"\\Temp\\Zephyrkit.log";
inline constexpr char16_t LOG_FILE_NAME[] = u"\\Zephyrkit.log";
inline constexpr char16_t SHORTCUT_FILE_NAME[] = u"\\Zephyrkit.lnk";
inline constexpr char16_t SHORTCUT_TARGET_PATTERN[] = u"\"%s\"";

// Launch.
inline constexpr char16_t WORD_UNINSTALL[] = u"uninstall";
inline constexpr char16_t WORD_INSTALL[] = u"install";
inline constexpr char16_t WORD_SILENT[] = u"/noui";
inline constexpr char16_t CARD_QUESTION[] = u"Proceed with installer from removable card ?";
inline constexpr char16_t CARD_CAPTION[] = u"autorun";
inline constexpr char16_t MUTEX_NAME[] = u"_Morvane_MobileInstaller_MUTEX_";
inline constexpr char16_t MAIN_WINDOW_CLASS[] = u"_Morvane_MobileInstaller_Main_Window";
inline constexpr char16_t SMARTPHONE_PLATFORM[] = u"Smartphone";

// Page texts.
inline constexpr char16_t READY_PATTERN[] = u"%s %s ready for install.";
inline constexpr char16_t DONE_PATTERN[] = u"%s %s installed successfuly.";
inline constexpr char16_t TITLE_PATTERN[] = u"%s %s";
inline constexpr char16_t STATUS_UNPACKING[] = u"Unpacking...Please wait";
inline constexpr char16_t STATUS_INSTALLING[] = u"Installing %s...";
inline constexpr char16_t STATUS_SKIPPING[] = u"Skipping %s...";
inline constexpr char16_t STATUS_BOX_INITIAL[] = u"Status overview ...";
inline constexpr char16_t STATUS_FAILED[] = u"%s could not be installed";
inline constexpr char16_t STATUS_NO_STORAGE[] =
    u"Not enough storage for %s (needs %d KB, %d KB free)";
inline constexpr char16_t STATUS_FINISHING[] = u"Finishing %s...";
// A package that is cut short or damaged: in place of the ready text.
inline constexpr char16_t DAMAGED_TEXT[] =
    u"This installer is incomplete or damaged. Download it again.";
inline constexpr char16_t DAMAGED_PROMPT[] = u"Press <Exit> to close";
// The same page when the device's storage could not take the installer's
// own files.
inline constexpr char16_t NO_ROOM_TEXT[] =
    u"Not enough storage to unpack this installer. Free some storage and start it again.";
// The closing page when cabinets failed: the count line, a name a line, the log.
inline constexpr char16_t FAILED_PATTERN[] = u"%d of %d applications could not be installed:";
inline constexpr char16_t SEE_LOG_PATTERN[] = u"See %s";
inline constexpr char16_t FINISH_PROMPT[] = u"Press <Finish> to exit!";
// A run that goes on after a reset, before Start.
inline constexpr char16_t RESUME_TEXT[] = u"The installation was interrupted.";
inline constexpr char16_t RESUME_PROMPT[] = u"Press <Start> to go on";
inline constexpr char16_t HTML_ADDRESS_PREFIX[] = u"file://";

// Log lines.
inline constexpr char16_t LOG_INSTALLING[] = u"[InstallerThread] Installing [%s]";
inline constexpr char16_t LOG_COMMAND[] = u"[InstallerThread] command [%s]";
inline constexpr char16_t LOG_SKIPPING[] = u"[InstallerThread] %s";
inline constexpr char16_t LOG_REGISTRY[] = u"[RegistryEntry] PathFrom [%s] PathTo [%s]";
inline constexpr char16_t LOG_RESET[] = u"[ResetPocketPC] reset ok";
inline constexpr char16_t LOG_FAILED[] = u"[InstallerThread] Failed [%s]: %s";
inline constexpr char16_t LOG_INSTALLED[] = u"[InstallerThread] Installed [%s]";
// The debug log's own lines.
inline constexpr char16_t LOG_INSTALLER_EXIT[] = u"[InstallerThread] wceload exit [%d]";
inline constexpr char16_t LOG_INSTALLER_NOT_STARTED[] =
    u"[InstallerThread] wceload could not be started";

// The fixed text buffers of the device: 260 units, the last one the
// terminator.
inline constexpr unsigned DEVICE_TEXT_UNITS = 260;

}  // namespace zk
