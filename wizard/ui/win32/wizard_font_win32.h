// The one font of the wizard's pages, made before the window exists and
// deleted when the program ends.
#pragma once

#include <windows.h>

#include "wizard/ui/startup_settings.h"

namespace zk {

// A font with the face, height and weight; every other attribute zero.
inline HFONT CreatePageFont(const FontDescription& description) {
    LOGFONTA font = {};
    font.lfHeight = description.height;
    font.lfWeight = description.weight;
    lstrcpynA(font.lfFaceName, description.face, LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

class WizardFont {
public:
    WizardFont() : font_(CreatePageFont(WIZARD_FONT)) {}
    ~WizardFont() {
        if (font_) DeleteObject(font_);
    }
    WizardFont(const WizardFont&) = delete;
    WizardFont& operator=(const WizardFont&) = delete;

    HFONT handle() const { return font_; }

private:
    HFONT font_;
};

}  // namespace zk
