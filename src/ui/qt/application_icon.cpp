#include "ui/qt/application_icon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "base/version.h"
#include "ui/qt/qt_text.h"

namespace tapisto {

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
    const QString file = theme.filePath(QString("%1x%1/apps/%2.png").arg(size).arg(name));
    if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
  }
  return icon;
}

}  // namespace tapisto
