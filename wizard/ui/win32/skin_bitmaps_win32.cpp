#include "wizard/ui/win32/skin_bitmaps_win32.h"

namespace zk {

void SkinBitmaps::Load(const std::string& imagesFolder) {
    Release();
    for (int i = 0; i < SKIN_PICTURE_COUNT; ++i) {
        const std::string path = imagesFolder + SKIN_PICTURES[i].name;
        bitmaps_[i] = static_cast<HBITMAP>(
            LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    }
}

void SkinBitmaps::Release() {
    for (HBITMAP& bitmap : bitmaps_) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

void SkinBitmaps::Draw(HDC target, SkinPicture picture, int x, int y) const {
    HBITMAP bitmap = bitmaps_[static_cast<int>(picture)];
    if (!bitmap) return;
    BITMAP facts = {};
    if (!GetObjectA(bitmap, sizeof facts, &facts)) return;
    HDC source = CreateCompatibleDC(target);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(target, x, y, facts.bmWidth, facts.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

}  // namespace zk
