// The navigation buttons painted into the background picture: their hot
// areas, the pressed flags that draw them pressed, and the pictures to draw
// over the background for a step. A press marks the button under the mouse;
// the release decides: a release inside any button acts (even when the press
// was elsewhere), a release outside every button does nothing, so a button
// pressed and released elsewhere stays drawn pressed until a release inside
// it.
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
    {PaintedButton::Help, 10, 370, 50, 410},
    {PaintedButton::About, 60, 370, 100, 410},
    {PaintedButton::Web, 110, 370, 150, 410},
    {PaintedButton::Back, 430, 419, 525, 445},
    {PaintedButton::NextPosition, 535, 419, 630, 445},
};

// The first area holding the point (client coordinates), or null.
const HotArea* HotAreaAt(int x, int y);

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
