// Which frame of a four-frame image strip a skinned button shows, and the Exit button's text
// colour. Plain rules, so they are tested without a window.
#pragma once

namespace nux {

enum SkinFrame { kFrameNormal = 0, kFramePressed = 1, kFrameHover = 2, kFrameDisabled = 3 };
inline constexpr int kFrameCount = 4;

struct SkinButtonFlags {
    bool mouseOver = false;
    bool focused = false;
    bool pressed = false;
    bool enabled = true;
};

// Key buttons: pressed wins, then hover, then disabled. Focus is never shown.
SkinFrame ChooseKeyFrame(const SkinButtonFlags& f);
// The Exit button: a disabled button always shows its disabled frame; focus looks like hover.
SkinFrame ChooseExitFrame(const SkinButtonFlags& f);
// White text on a frame whose sampled pixel is dark (r + g + b <= 384), black otherwise.
bool WantsWhiteText(int red, int green, int blue);

} // namespace nux
