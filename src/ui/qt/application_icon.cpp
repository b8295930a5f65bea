#include "ui/qt/application_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <cstddef>

#include "base/version.h"
#include "image/png.h"
#include "image/rgba_image.h"
#include "ui/qt/qt_text.h"

namespace tapisto {

namespace {

// The PNG at `path` as a pixmap; none when it is missing or unreadable. Read with the
// program's own PNG reader: asking Qt to read a file by name makes it load and probe every
// image format plugin first, which costs the start more than the icon itself.
QPixmap IconPixmap(const QString& path) {
  try {
    const RgbaImage png = ReadPngFile(QFile::encodeName(path).toStdString());
    QImage image(png.width, png.height, QImage::Format_RGBA8888);
    for (int y = 0; y < png.height; ++y) {
      const auto* row = reinterpret_cast<const uchar*>(&png.At(0, y));
      std::copy(row, row + std::size_t{4} * static_cast<std::size_t>(png.width), image.scanLine(y));
    }
    return QPixmap::fromImage(image);
  } catch (...) {
    return {};  // a window without an icon still works
  }
}

}  // namespace

QIcon ApplicationIcon() {
  const QString name =
      QString::fromUtf8(kApplicationId.data(), static_cast<qsizetype>(kApplicationId.size()));
  const QDir theme(QCoreApplication::applicationDirPath() + "/../share/icons/hicolor");
  // The window gets the sizes window managers draw for a window (title bar, task list, window
  // switcher); each is decoded and handed to the X server before the window first shows, so
  // the large ones would only slow the start. The desktop's menus and launchers take the icon
  // from the icon theme, by the desktop entry's name, in every size.
  QIcon icon;
  for (const int size : {16, 32, 48, 64}) {
    const QPixmap pixmap =
        IconPixmap(theme.filePath(QString("%1x%1/apps/%2.png").arg(size).arg(name)));
    if (!pixmap.isNull()) icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tapisto
