#include "wizard/ui/painted_buttons.h"

namespace zk {

const HotArea* HotAreaAt(int x, int y) {
    for (const HotArea& area : HOT_AREAS) {
        if (x > area.left && x < area.right && y > area.top && y < area.bottom) return &area;
    }
    return nullptr;
}

SkinPicture PaintedButtons::PressedPicture(PaintedButton button, int step) {
    switch (button) {
        case PaintedButton::Help: return SkinPicture::HelpPressed;
        case PaintedButton::About: return SkinPicture::AboutPressed;
        case PaintedButton::Web: return SkinPicture::WebPressed;
        case PaintedButton::Back: return SkinPicture::BackPressed;
        case PaintedButton::NextPosition: break;
    }
    if (step == StepIndex(WizardStep::Build)) return SkinPicture::BuildPressed;
    if (step == StepIndex(WizardStep::Deploy)) return SkinPicture::DeployPressed;
    return SkinPicture::NextPressed;
}

const HotArea* PaintedButtons::Press(int x, int y, int step) {
    const HotArea* area = HotAreaAt(x, y);
    if (area) pressed_[static_cast<int>(PressedPicture(area->button, step))] = true;
    return area;
}

const HotArea* PaintedButtons::Release(int x, int y, int step) {
    const HotArea* area = HotAreaAt(x, y);
    if (area) pressed_[static_cast<int>(PressedPicture(area->button, step))] = false;
    return area;
}

bool PaintedButtons::IsPressed(SkinPicture picture) const {
    return pressed_[static_cast<int>(picture)];
}

std::vector<SkinPicture> PaintedButtons::PicturesToPaint(int step) const {
    const bool build = step == StepIndex(WizardStep::Build);
    const bool deploy = step == StepIndex(WizardStep::Deploy);
    std::vector<SkinPicture> out;
    // On steps 3 and 4 the step's own look covers a Next left pressed.
    for (SkinPicture p : {SkinPicture::HelpPressed, SkinPicture::AboutPressed,
                          SkinPicture::WebPressed, SkinPicture::BackPressed,
                          SkinPicture::NextPressed}) {
        if (IsPressed(p)) out.push_back(p);
    }
    if (build) out.push_back(SkinPicture::Build);
    if (build && IsPressed(SkinPicture::BuildPressed)) out.push_back(SkinPicture::BuildPressed);
    if (deploy) out.push_back(SkinPicture::Deploy);
    if (deploy && IsPressed(SkinPicture::DeployPressed))
        out.push_back(SkinPicture::DeployPressed);
    return out;
}

}  // namespace zk
