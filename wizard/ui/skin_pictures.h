// The wizard's skin: the bitmap files drawn on the canvas and in the about
// box, each at its own size, and where each goes. The files live in
// "Images" beside the program.
#pragma once

namespace zk {

enum class SkinPicture {
    Background,  // the whole canvas, every painted button released
    About,       // the about box's face
    HelpPressed,
    AboutPressed,
    WebPressed,
    BackPressed,
    NextPressed,  // the next position, steps 0 to 2
    Build,        // the next position's released look on step 3
    BuildPressed,
    Deploy,  // the next position's released look on step 4
    DeployPressed,
};
inline constexpr int SKIN_PICTURE_COUNT = 11;

struct SkinPictureFile {
    const char* name;  // below "Images"
    int x, y;          // where it is drawn
};

inline constexpr SkinPictureFile SKIN_PICTURES[SKIN_PICTURE_COUNT] = {
    {"Zephyrkit.bmp", 0, 0},        {"About.bmp", 0, 0},
    {"HelpButton.bmp", 10, 373},    {"AboutButton.bmp", 60, 373},
    {"WebButton.bmp", 110, 373},    {"BackButton.bmp", 430, 419},
    {"NextButton.bmp", 535, 419},   {"Build.bmp", 535, 419},
    {"BuildButton.bmp", 535, 419},  {"Deploy.bmp", 535, 419},
    {"DeployButton.bmp", 535, 419},
};

constexpr const SkinPictureFile& SkinFile(SkinPicture picture) {
    return SKIN_PICTURES[static_cast<int>(picture)];
}

// The folder holding the skin, below the program's folder.
inline constexpr const char* IMAGES_FOLDER = "Images";
// The cabinet list's small icons, in image-list order.
inline constexpr const char* CABINET_ICON_FILES[3] = {"Zephyrkit.ico", "RivoquardCheck.ico",
                                                      "RivoquardNoCheck.ico"};

}  // namespace zk
