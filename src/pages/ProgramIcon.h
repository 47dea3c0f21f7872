// The program icon, drawn rather than shipped so it is sharp at every size.
#pragma once
#include <QIcon>
#include <QImage>

namespace tav {
QIcon ProgramIcon();
// One size of it, for the window icon and for the icon files the install ships.
QImage DrawProgramIcon(int size);
}
