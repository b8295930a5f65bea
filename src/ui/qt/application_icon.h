// The program's icon for its windows on Linux.
#pragma once

#include <QIcon>

namespace tapisto {

// The program's icon in the window sizes (16 to 64 pixels), from the PNGs installed with the
// program (bin/../share/icons/hicolor/SIZExSIZE/apps, named after the application id), which
// the build tree holds in the same place; an empty icon where they are missing.
QIcon ApplicationIcon();

}  // namespace tapisto
