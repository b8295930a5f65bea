#include "ui/qt/view_metrics.h"

#include <QFontDatabase>
#include <QScreen>
#include <QStringList>
#include <cmath>

#include "ui/qt/qt_text.h"

namespace tapisto {

namespace {

constexpr double kDesignDpi = 96.0;

}  // namespace

double ScaleFactor(const QScreen* screen) {
  if (screen == nullptr) return 1.0;
  const double dpi = screen->logicalDotsPerInch();
  return dpi > 0.0 ? dpi / kDesignDpi : 1.0;
}

int Scaled(int pixels, double scale) {
  return static_cast<int>(std::lround(static_cast<double>(pixels) * scale));
}

QRect ScaledRect(const ControlLayout& row, double scale) {
  return QRect(Scaled(row.left, scale), Scaled(row.top, scale), Scaled(row.width, scale),
               Scaled(row.height, scale));
}

QSize ScaledClientSize(const WindowDefinition& window, double scale) {
  return QSize(Scaled(window.clientWidth, scale), Scaled(window.clientHeight, scale));
}

QString WindowFontFamily() {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family :
       {ToQString(kFontName), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")}) {
    if (installed.contains(family, Qt::CaseInsensitive)) return family;
  }
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont WindowFont(double scale) {
  QFont font(WindowFontFamily());
  font.setPixelSize(Scaled(kFontPixelHeight, scale));
  return font;
}

QString QtFileFilter(std::string_view filter) {
  if (filter.empty()) return QString();
  const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i < parts.size(); i += 2) {
    QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
    patterns = patterns.replace(QLatin1Char(';'), QLatin1Char(' ')).simplified();
    if (patterns.isEmpty()) patterns = QStringLiteral("*");
    entries.append(parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')'));
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace tapisto
