// The navigation buttons painted into the background picture: their hot
// areas, the pressed flags that draw them pressed, and the pictures to draw
// over the background for a step. A press marks the button under the mouse;
// the release decides: a release inside any button acts (even when the press
// was elsewhere), a release outside every button does nothing, so a button
// pressed and released elsewhere stays drawn pressed until a release inside
// it. A key presses a button through the same two calls at the middle of its
// area, so the pictures, page checks and messages are the mouse's.
#pragma once

#include <vector>

#include "wizard/ui/skin_pictures.h"
#include "wizard/ui/step_machine.h"

namespace zk {

struct HotArea {
    PaintedButton button;
    // A point counts when strictly inside; the same rectangle is redrawn.
    int left, top, right, bottom;
};

inline constexpr HotArea HOT_AREAS[] = {
    {PaintedButton::Help, 10, 370, 50, 410},           {PaintedButton::About, 60, 370, 100, 410},
    {PaintedButton::Web, 110, 370, 150, 410},          {PaintedButton::Back, 430, 419, 525, 445},
    {PaintedButton::NextPosition, 535, 419, 630, 445},
};

// The first area holding the point (client coordinates), or null.
const HotArea* HotAreaAt(int x, int y);

// The area of `button`.
const HotArea& HotAreaOf(PaintedButton button);

// Keys that press a painted button, as Windows numbers them: Alt+B Back,
// Alt+N the next position (Next, Build on step 3, Deploy on step 4), F1
// Help; Enter presses the next position too, when the control with the focus
// does not take Enter itself (the window decides that).
inline constexpr int KEY_RETURN = 0x0D;
inline constexpr int KEY_B = 0x42;
inline constexpr int KEY_N = 0x4E;
inline constexpr int KEY_F1 = 0x70;

// The button `key` presses; `withAlt` when Alt is held. False for any other key.
bool PaintedButtonForKey(int key, bool withAlt, PaintedButton* button);

// The tooltip of `button` on `step`, naming the keys that press it.
const char* PaintedButtonTip(PaintedButton button, int step);

class PaintedButtons {
public:
    // Left button down: marks the button under the point pressed. The area
    // to redraw, or null when the point is outside every button.
    const HotArea* Press(int x, int y, int step);
    // Left button up: clears the button under the point; the caller redraws
    // the area and performs its action. Null outside every button.
    const HotArea* Release(int x, int y, int step);

    bool IsPressed(SkinPicture picture) const;

    // What is drawn over the background, in drawing order: the pressed
    // pictures, and the next position's Build and Deploy looks on steps 3
    // and 4.
    std::vector<SkinPicture> PicturesToPaint(int step) const;

private:
    static SkinPicture PressedPicture(PaintedButton button, int step);
    bool pressed_[SKIN_PICTURE_COUNT] = {};
};

}  // namespace zk
