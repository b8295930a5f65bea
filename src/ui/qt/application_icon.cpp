#include "ui/qt/application_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>

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
    // The reader's pixels are RGBA bytes, rows without padding; the pixmap takes a copy.
    return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(png.pixels.data()), png.width,
                                     png.height, png.width * 4, QImage::Format_RGBA8888));
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
