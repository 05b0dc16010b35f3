#include "wizard/ui/painted_buttons.h"

namespace zk {

const HotArea* HotAreaAt(int x, int y) {
    for (const HotArea& area : HOT_AREAS) {
        if (x > area.left && x < area.right && y > area.top && y < area.bottom) return &area;
    }
    return nullptr;
}

const HotArea& HotAreaOf(PaintedButton button) {
    for (const HotArea& area : HOT_AREAS) {
        if (area.button == button) return area;
    }
    return HOT_AREAS[0];
}

bool PaintedButtonForKey(int key, bool withAlt, PaintedButton* button) {
    static constexpr struct {
        int key;
        bool withAlt;
        PaintedButton button;
    } KEYS[] = {
        {KEY_B, true, PaintedButton::Back},
        {KEY_N, true, PaintedButton::NextPosition},
        {KEY_RETURN, false, PaintedButton::NextPosition},
        {KEY_F1, false, PaintedButton::Help},
    };
    for (const auto& k : KEYS) {
        if (k.key == key && k.withAlt == withAlt) {
            *button = k.button;
            return true;
        }
    }
    return false;
}

const char* PaintedButtonTip(PaintedButton button, int step) {
    switch (button) {
    case PaintedButton::Help: return "Help (F1)";
    case PaintedButton::About: return "About Zephyrkit";
    case PaintedButton::Web: return "Zephyrkit on the web";
    case PaintedButton::Back: return "Back (Alt+B)";
    case PaintedButton::NextPosition: break;
    }
    if (step == StepIndex(WizardStep::Build)) return "Build (Alt+N or Enter)";
    if (step == StepIndex(WizardStep::Deploy)) return "Deploy (Alt+N or Enter)";
    return "Next (Alt+N or Enter)";
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
    for (SkinPicture p :
         {SkinPicture::HelpPressed, SkinPicture::AboutPressed, SkinPicture::WebPressed,
          SkinPicture::BackPressed, SkinPicture::NextPressed}) {
        if (IsPressed(p)) out.push_back(p);
    }
    if (build) out.push_back(SkinPicture::Build);
    if (build && IsPressed(SkinPicture::BuildPressed)) out.push_back(SkinPicture::BuildPressed);
    if (deploy) out.push_back(SkinPicture::Deploy);
    if (deploy && IsPressed(SkinPicture::DeployPressed)) out.push_back(SkinPicture::DeployPressed);
    return out;
}

}  // namespace zk
