// The skin's bitmaps, loaded once from "Images" beside the program when the
// main window is made and deleted when the program ends. A picture whose
// file is missing or unreadable is simply not drawn.
#pragma once

#include <windows.h>

#include <string>

#include "wizard/ui/skin_pictures.h"

namespace zk {

class SkinBitmaps {
public:
    SkinBitmaps() = default;
    ~SkinBitmaps() { Release(); }
    SkinBitmaps(const SkinBitmaps&) = delete;
    SkinBitmaps& operator=(const SkinBitmaps&) = delete;

    // `imagesFolder` ends with a separator.
    void Load(const std::string& imagesFolder);
    void Release();

    // Copies the picture at its own size to (x, y); nothing when not loaded.
    void Draw(HDC target, SkinPicture picture, int x, int y) const;
    // Copies it to its place on the canvas.
    void Draw(HDC target, SkinPicture picture) const {
        Draw(target, picture, SkinFile(picture).x, SkinFile(picture).y);
    }

private:
    HBITMAP bitmaps_[SKIN_PICTURE_COUNT] = {};
};

}  // namespace zk
