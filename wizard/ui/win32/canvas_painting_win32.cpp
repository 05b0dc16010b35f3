#include "wizard/ui/win32/canvas_painting_win32.h"

#include "wizard/ui/page_painting.h"
#include "wizard/ui/startup_settings.h"

namespace zk {

void DrawGradientBar(HDC target, int x1, int y1, int x2, int y2) {
    TRIVERTEX vertices[2] = {};
    vertices[0].x = x1;
    vertices[0].y = y1;
    vertices[0].Red = 0x2A00;
    vertices[0].Green = 0x3C00;
    vertices[0].Blue = 0x8100;
    vertices[1].x = x2;
    vertices[1].y = y2;
    vertices[1].Red = 0xD400;
    vertices[1].Green = 0xDA00;
    vertices[1].Blue = 0xF100;
    GRADIENT_RECT rect = {0, 1};
    GradientFill(target, vertices, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

void DrawPageText(const char* face, int height, int weight, HDC target, const char* text,
                  RECT* rect, UINT format) {
    LOGFONTA description = {};
    description.lfHeight = height;
    description.lfWeight = weight;
    lstrcpynA(description.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&description);
    HGDIOBJ previous = SelectObject(target, font);
    SetBkMode(target, TRANSPARENT);
    DrawTextA(target, text, -1, rect, format);
    SelectObject(target, previous);
    DeleteObject(font);
}

void PaintCanvas(HDC target, const SkinBitmaps& skin, const PaintedButtons& buttons, int step,
                 const Project& project) {
    HDC canvas = CreateCompatibleDC(target);
    HBITMAP surface = CreateCompatibleBitmap(target, CANVAS_WIDTH, CANVAS_HEIGHT);
    HGDIOBJ previous = SelectObject(canvas, surface);
    SetBkMode(canvas, TRANSPARENT);

    // Without a background the canvas keeps the page colour, never the
    // garbage of a fresh bitmap.
    RECT all = {0, 0, CANVAS_WIDTH, CANVAS_HEIGHT};
    HBRUSH plain = CreateSolidBrush(RGB(211, 226, 246));
    FillRect(canvas, &all, plain);
    DeleteObject(plain);

    skin.Draw(canvas, SkinPicture::Background);
    for (SkinPicture picture : buttons.PicturesToPaint(step)) skin.Draw(canvas, picture);

    const PaintedPage page = PaintingOf(step, project);
    for (int y : page.lineRows)
        DrawGradientBar(canvas, TEXT_LEFT, y, LINE_RIGHT, y + LINE_THICKNESS);
    for (const PaintedText& text : page.texts) {
        RECT rect = {TEXT_LEFT, text.top, TEXT_RIGHT, text.bottom};
        DrawPageText(WIZARD_FONT.face, WIZARD_FONT.height, text.weight, canvas, text.text.c_str(),
                     &rect, DT_WORDBREAK);
    }

    BitBlt(target, 0, 0, CANVAS_WIDTH, CANVAS_HEIGHT, canvas, 0, 0, SRCCOPY);
    SelectObject(canvas, previous);
    DeleteObject(surface);
    DeleteDC(canvas);
}

}  // namespace zk
