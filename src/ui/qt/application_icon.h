// The program's icon for its windows on Linux.
#pragma once

#include <QIcon>

namespace tapisto {

// The icon theme's icon named after the application id; where no theme has it, the PNGs
// installed with the program (bin/../share/icons/hicolor/SIZExSIZE/apps), which the build tree
// holds in the same place.
QIcon ApplicationIcon();

}  // namespace tapisto
