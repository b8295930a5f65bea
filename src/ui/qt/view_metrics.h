// How the window definitions become Qt geometry: their pixel numbers are meant for 96 dots per
// inch and grow with the screen's logical DPI; the window font stands in for "Tahoma" where
// that is not installed; the file dialog's filter is rewritten into Qt's syntax.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <string_view>

#include "ui/layout.h"

class QScreen;

namespace tapisto {

// The screen's logical DPI over 96; 1 when there is no screen.
double ScaleFactor(const QScreen* screen);

int Scaled(int pixels, double scale);
QRect ScaledRect(const ControlLayout& row, double scale);
QSize ScaledClientSize(const WindowDefinition& window, double scale);

// "Tahoma" when installed, else the closest sans-serif installed (Liberation Sans, DejaVu Sans),
// else the system's sans-serif.
QString WindowFontFamily();
// The window font at its 11-pixel character height, scaled.
QFont WindowFont(double scale);

// A filter of "description|*.a;*.b" entries (any number, bar-separated) as Qt's file dialog
// takes it: "description (*.a *.b)", entries joined by ";;". An entry without patterns
// matches every file.
QString QtFileFilter(std::string_view filter);

}  // namespace tapisto
