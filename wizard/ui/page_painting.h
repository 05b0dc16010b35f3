// What is painted on the canvas behind each step's controls: the gradient
// lines and the word-wrapped texts, in canvas pixels. The front draws them
// over the background bitmap.
#pragma once

#include <string>
#include <vector>

namespace zk {

struct Project;

inline constexpr const char* SHORT_DESCRIPTION_TEXT =
    "SHORT DESCRIPTION: Zephyrkit helps you in building easy to configure OTA installers for "
    "all currently available Windows Mobile based devices. In three steps you are ready to "
    "deploy compressed self-extracting installers from you desktop or directly from your device";
inline constexpr const char* STEP1_TEXT =
    "STEP 1: Choose all the presets of your build. You can add eula and readme files to give "
    "your installer a professional look. Also the mobile installer support several types of "
    "splash images.";
inline constexpr const char* STEP2_TEXT =
    "STEP 2: Create the list of cabinets and setup their install order. Information related to "
    "provider, product title and compatibility is extracted from cabinet files and makes "
    "configuration easier for the user.";
inline constexpr const char* STEP3_TEXT =
    "STEP 3: Check the build info and press start when ready. You now have a desktop "
    "stand-alone installer and a self-extracting installer for your device.";
// Filled with the project's company, then its title.
inline constexpr const char* DEPLOY_TEXT_FORMAT =
    "This wizard will help you install %s %s on your WindowsCE device. Please make sure your "
    "device is connected to this computer via ActiveSync. Choose a target directory then press "
    "Deploy";
inline constexpr const char* BROWSE_FOR_FOLDER_TEXT = "Browse for folder";

// A gradient bar from (TEXT_LEFT, y) to (LINE_RIGHT, y + 2).
inline constexpr int TEXT_LEFT = 190;
inline constexpr int TEXT_RIGHT = 590;
inline constexpr int LINE_RIGHT = 480;
inline constexpr int LINE_THICKNESS = 2;

struct PaintedText {
    int top, bottom;  // rows; the text spans TEXT_LEFT to TEXT_RIGHT
    std::string text;
    int weight;  // of the "Arial" 15 font
};

struct PaintedPage {
    std::vector<int> lineRows;
    std::vector<PaintedText> texts;
};

// The step's lines and texts; nothing outside 0 to 4.
PaintedPage PaintingOf(int step, const Project& project);

// The deployment text for the project's company and title.
std::string DeployText(const Project& project);

}  // namespace zk
