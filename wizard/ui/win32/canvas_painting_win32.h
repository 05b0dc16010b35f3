// Drawing the 640 x 480 canvas behind the page's controls: the background
// with its painted buttons, the pressed and per-step button pictures, and
// the page's gradient lines and texts. Everything is drawn off screen and
// copied to the window in one go, so the page never flickers.
#pragma once

#include <windows.h>

#include "wizard/ui/painted_buttons.h"
#include "wizard/ui/win32/skin_bitmaps_win32.h"

namespace zk {

struct Project;

// The horizontal gradient of the page decorations, dark blue to pale blue,
// filling (x1, y1)-(x2, y2).
void DrawGradientBar(HDC target, int x1, int y1, int x2, int y2);

// Text in a font made for it (face, height, weight, all else zero), on a
// transparent background; the font is deleted again after.
void DrawPageText(const char* face, int height, int weight, HDC target, const char* text,
                  RECT* rect, UINT format);

// The canvas of `step` into `target` (the window's paint context).
void PaintCanvas(HDC target, const SkinBitmaps& skin, const PaintedButtons& buttons, int step,
                 const Project& project);

}  // namespace zk
