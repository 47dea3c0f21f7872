// The program icon, drawn rather than shipped so it is sharp at every size.
#pragma once
#include <QIcon>

namespace tav {
QIcon ProgramIcon();
}
