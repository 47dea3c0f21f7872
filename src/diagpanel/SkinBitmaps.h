// The panel's bitmaps, drawn here rather than shipped as files. Every one is 24 bits per pixel
// at its fixed size; the key strips hold four frames side by side.
#pragma once
#include <QColor>
#include <QImage>

namespace nux {

enum SkinBitmapId {
    kBmpBackground = 202,
    kBmpExit = 203,
    kBmpKeyMenu = 204,
    kBmpKeyLeft = 206,
    kBmpKeyEnter = 207,
    kBmpKeyRight = 210,
    kBmpKeyUpper = 212,
    kBmpDisplayFrame = 213,
};

inline constexpr int kBackgroundCorner = 1;
inline constexpr int kExitCorner = 3;
inline constexpr int kDisplayCorner = 6;

inline const QColor kDisplayLineColour(241, 241, 244);
inline const QColor kLabelColour(191, 202, 225);

// A null image for an unknown id.
QImage LoadSkinBitmap(int id);
// The strip bitmap of a key button, by control id (1000 to 1004).
int KeyBitmapFor(int controlId);
// The program icon at the given edge length.
QImage DrawAppIcon(int size);

} // namespace nux
