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
  QIcon installed;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    const QString file = theme.filePath(QString("%1x%1/apps/%2.png").arg(size).arg(name));
    if (QFileInfo::exists(file)) installed.addFile(file, QSize(size, size));
  }
  return QIcon::fromTheme(name, installed);
}

}  // namespace tapisto
