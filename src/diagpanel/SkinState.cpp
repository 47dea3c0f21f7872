#include "diagpanel/SkinState.h"

namespace nux {

SkinFrame ChooseKeyFrame(const SkinButtonFlags& f) {
    if (f.pressed) return kFramePressed;
    if (f.mouseOver) return kFrameHover;
    if (!f.enabled) return kFrameDisabled;
    return kFrameNormal;
}

SkinFrame ChooseExitFrame(const SkinButtonFlags& f) {
    if (!f.enabled) return kFrameDisabled;
    if (f.pressed) return kFramePressed;
    if (f.mouseOver || f.focused) return kFrameHover;
    return kFrameNormal;
}

bool WantsWhiteText(int red, int green, int blue) {
    return red + green + blue <= 384;
}

} // namespace nux
