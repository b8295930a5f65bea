// Work that can wait until the program's main window is on the screen.
#pragma once

#include <QWidget>
#include <functional>

namespace tapisto {

// Runs `work` once the shown `window` has been drawn for the first time, from the event loop
// (at once when `window` is not shown). For what the first look at the window does not need,
// so that the start does not wait for it: the window icon, a window that starts hidden.
void RunOnceDrawn(QWidget& window, std::function<void()> work);

}  // namespace tapisto
