#include "diagpanel/NineTile.h"

#include <algorithm>

namespace nux {
namespace {

struct Tiler {
    int w;
    int h;
    int c;
    const TileRect& dest;
    const TileRect* clip;
    const TileCopy& copy;

    void Put(int srcX, int srcY, int bw, int bh, int dstX, int dstY) const {
        if (bw <= 0 || bh <= 0) return;
        if (clip && !TileRect{dstX, dstY, dstX + bw, dstY + bh}.Intersects(*clip)) return;
        copy(TileBlit{srcX, srcY, bw, bh, dstX, dstY});
    }

    // One horizontal band: left edge, the middle repeated in pieces of the source's middle
    // width (the last piece cut to what is left), right edge.
    void Band(int srcY, int bh, int dstY, bool withEdges) const {
        if (withEdges) Put(0, srcY, c, bh, dest.left, dstY);
        const int mw = w - 2 * c;
        if (mw > 0) {
            for (int x = dest.left + c; x < dest.right - c; x += mw)
                Put(c, srcY, std::min(mw, dest.right - c - x), bh, x, dstY);
        }
        if (withEdges) Put(w - c, srcY, c, bh, dest.right - c, dstY);
    }
};

} // namespace

void TileNineParts(int srcWidth, int srcHeight, int corner, const TileRect& dest, const TileRect* clip,
                   const TileCopy& copy) {
    if (srcWidth <= 0 || srcHeight <= 0 || corner < 0) return;
    // A corner that leaves no middle would make every block overlap its neighbour.
    const int c = std::min(corner, std::min(srcWidth, srcHeight) / 2);
    const Tiler t{srcWidth, srcHeight, c, dest, clip, copy};
    const int mh = srcHeight - 2 * c;
    const bool edges = c > 0;

    if (edges) t.Band(0, c, dest.top, true);

    const int h1 = std::min(mh, (dest.bottom - c) - (dest.top + c));
    if (h1 > 0) t.Band(c, h1, dest.top + c, edges);

    if (h1 == mh && mh > 0) {
        // Rows below the first middle band repeat the last rows of the source's middle.
        const int g = std::min(c > 0 ? c : 5, mh);
        for (int y = dest.top + c + mh; y < dest.bottom - c; y += g) {
            const int l = std::min(g, dest.bottom - c - y);
            t.Band(srcHeight - l - c, l, y, edges);
        }
    }

    if (edges) t.Band(srcHeight - c, c, dest.bottom - c, true);
}

} // namespace nux
