// Nine-part tiling of a small skin bitmap over a larger rectangle. Kept free of any graphics
// library: it only says which source block goes where, and the caller copies the pixels.
#pragma once
#include <functional>

namespace nux {

struct TileRect {
    int left = 0;
    int top = 0;
    int right = 0;  // exclusive
    int bottom = 0; // exclusive
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Intersects(const TileRect& o) const {
        return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
    }
};

// One copy: a source block of w x h at (srcX, srcY) to (dstX, dstY), unscaled.
struct TileBlit {
    int srcX = 0;
    int srcY = 0;
    int w = 0;
    int h = 0;
    int dstX = 0;
    int dstY = 0;
};

using TileCopy = std::function<void(const TileBlit&)>;

// Tiles a source of srcWidth x srcHeight with corner size `corner` over `dest`. Blocks that miss
// `clip` (when given) are not copied. Every blit stays inside the source, whatever the sizes.
void TileNineParts(int srcWidth, int srcHeight, int corner, const TileRect& dest, const TileRect* clip,
                   const TileCopy& copy);

} // namespace nux
