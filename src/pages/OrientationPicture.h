// The orientation picture of the Printing and PCL pages: a sheet with a folded corner and lines
// of text, upright or on its side.
#pragma once
#include <QPalette>
#include <QPixmap>

namespace tav {

QPixmap OrientationPicture(bool landscape, const QPalette& palette);

} // namespace tav
