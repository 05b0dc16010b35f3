// The wizard's working state: the values behind the page controls, the paths
// the wizard chose or produced, and its option flags. Held in memory only; the
// project file is the Project record. Fields copied to or from Project carry
// the same names.
#pragma once

#include <cstdint>

namespace zk {

class DesktopPlatform;

struct WizardState {
    char title[260];
    char company[260];
    char eulaPath[520];
    char readmePath[520];
    char workPath[520];
    char savedWorkPath[520];
    char splashPath[520];
    char eulaFileName[260];
    char readmeFileName[260];
    char splashFileName[260];
    char projectName[260];
    char helpPath[1040];
    char desktopInstallerPath[780];
    char mobileInstallerPath[520];
    char mobileInstallerName[260];
    std::uint8_t skipIntroPage;
    std::uint8_t eulaEnabled;
    std::uint8_t readmeEnabled;
    // The filter switches and options (filter_options.h), in Project's order.
    std::uint8_t platformFilterOn;
    std::uint8_t filterPocketPC;
    std::uint8_t filterSmartphone;
    std::uint8_t osFilterOn;
    std::uint8_t filterOs2002;
    std::uint8_t filterOs2003;
    std::uint8_t filterOs2003SE;
    std::uint8_t filterOs2005;
    std::uint8_t processorFilterOn;
    std::uint8_t filterTI;
    std::uint8_t filterIntel;
    std::uint8_t filterSamsung;
    std::uint8_t removableCardOutput;
    std::uint8_t deviceAdvancedSettings;
    std::uint8_t deployDesktopWhenDone;
    std::uint8_t deployMobileWhenDone;
    std::uint8_t saveProjectFile;
    std::uint8_t showBuildOverview;
    std::uint8_t splashEnabled;
    std::uint8_t addDateToPath;
    std::uint8_t addTitleSubfolder;
    std::uint8_t customWorkPath;
};

inline constexpr const char* DEFAULT_PROJECT_NAME = "ZephyrkitPrj";
inline constexpr const char* WIZARD_REGISTRY_KEY = "SOFTWARE\\Morvane\\Zephyrkit";
inline constexpr const char* INSTALL_DIR_VALUE = "Install_Dir";

// Sets the defaults: empty texts, the current directory as the output folder,
// the default project name, the two folder options on, and the help file path
// from "Install_Dir" or, without it, below the current directory.
void InitialiseWizardState(WizardState& state, DesktopPlatform& platform);

}  // namespace zk
