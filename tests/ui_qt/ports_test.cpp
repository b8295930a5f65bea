// The Qt side of the ports: the file dialog's filter, the scaling of the window definitions,
// the boxes as the user sees them, the message pump, and the program's icon.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <limits>

#include "base/version.h"
#include "qt_test_registry.h"
#include "test_helpers.h"
#include "ui/qt/application_icon.h"
#include "ui/qt/once_drawn.h"
#include "ui/qt/qt_dialogs.h"
#include "ui/qt/qt_ports.h"
#include "ui/qt/view_metrics.h"

namespace tapisto::test {

namespace {

class TitleOnly final : public Application {
 public:
  void SetTitle(const std::string&) override {}
  std::string Title() const override { return "Tapisto"; }
  void Terminate() override {}
  void SetMessageHook(MessageHook) override {}
  void SetHintHidePause(int) override {}
};

struct BoxSeen {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

// Once the next modal box is up, records what it shows and presses the button whose text is
// `press` (the escape key when empty).
void AnswerNextBox(BoxSeen& seen, const QString& press) {
  QTimer::singleShot(0, qApp, [&seen, press] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) seen.buttons.append(button->text());
    if (press.isEmpty()) {
      QTest::keyClick(box, Qt::Key_Escape);
      return;
    }
    for (QAbstractButton* button : box->buttons()) {
      if (button->text() == press) button->click();
    }
  });
}

}  // namespace

class QtPortsTest : public QObject {
  Q_OBJECT

 private slots:
  void fileFilterInQtSyntax_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("the open dialog's filter")
        << QStringLiteral("Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)|*.bmp;*.gif;*.jpg;*.png")
        << QStringLiteral("Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png) (*.bmp *.gif *.jpg *.png)");
    QTest::newRow("two entries") << QStringLiteral("Bilder|*.png|Alle|*.*")
                                 << QStringLiteral("Bilder (*.png);;Alle (*.*)");
    QTest::newRow("a pattern list with blanks")
        << QStringLiteral("JPEG| *.jpg ; *.jpeg ") << QStringLiteral("JPEG (*.jpg *.jpeg)");
    QTest::newRow("no patterns") << QStringLiteral("Alles") << QStringLiteral("Alles (*)");
    QTest::newRow("empty") << QString() << QString();
  }
  void fileFilterInQtSyntax() {
    QFETCH(QString, filter);
    QFETCH(QString, expected);
    QCOMPARE(QtFileFilter(ToUtf8(filter)), expected);
  }

  void scaledGeometry_data() {
    QTest::addColumn<double>("scale");
    QTest::addColumn<QRect>("expected");
    // SpinEdit1 stands at 170, 104 and measures 60 x 22 at 96 dots per inch.
    QTest::newRow("96 dpi") << 1.0 << QRect(170, 104, 60, 22);
    QTest::newRow("120 dpi") << 1.25 << QRect(213, 130, 75, 28);
    QTest::newRow("144 dpi") << 1.5 << QRect(255, 156, 90, 33);
  }
  void scaledGeometry() {
    QFETCH(double, scale);
    QFETCH(QRect, expected);
    QCOMPARE(ScaledRect(LayoutOf(kForm1Layout, "SpinEdit1"), scale), expected);
    QCOMPARE(ScaledClientSize(kForm1Window, 1.5), QSize(591, 380));
  }

  void messageBoxesShowTheProgramsTexts() {
    TitleOnly title;
    QtDialogs dialogs(title);
    BoxSeen message;
    AnswerNextBox(message, QStringLiteral("OK"));
    dialogs.ShowMessage("BeimStart\n\nFileReadError : <nicht lesbar>");
    QCOMPARE(message.title, QStringLiteral("Tapisto"));
    QCOMPARE(message.text, QStringLiteral("BeimStart\n\nFileReadError : <nicht lesbar>"));
    QCOMPARE(message.icon, QMessageBox::NoIcon);
    QCOMPARE(message.buttons, QStringList{QStringLiteral("OK")});

    BoxSeen report;
    AnswerNextBox(report, QStringLiteral("OK"));
    dialogs.ShowErrorReport("kaputt");
    QCOMPARE(report.title, QStringLiteral("Tapisto"));
    QCOMPARE(report.icon, QMessageBox::Critical);
    QCOMPARE(report.buttons, QStringList{QStringLiteral("OK")});
  }

  void confirmAnswersYesOnlyForJa() {
    TitleOnly title;
    QtDialogs dialogs(title);
    struct Case {
      QString press;
      bool answer;
    };
    for (const Case& c : {Case{QStringLiteral("&Ja"), true}, Case{QStringLiteral("&Nein"), false},
                          Case{QString(), false}}) {
      BoxSeen seen;
      AnswerNextBox(seen, c.press);
      QCOMPARE(dialogs.Confirm("Die Datei x ist in Benutzung. Warten?"), c.answer);
      QCOMPARE(seen.title, QStringLiteral("Bestätigen"));
      QCOMPARE(seen.icon, QMessageBox::Question);
      QCOMPARE(seen.buttons, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));
    }
  }

  void pumpRunsWhatIsPendingAndWakesForIt() {
    QtMessagePump pump;
    int ran = 0;
    QTimer::singleShot(0, qApp, [&ran] { ++ran; });
    pump.ProcessMessages();
    QCOMPARE(ran, 1);
    // A wait without an end returns for the next event (else this test never ends).
    QTimer::singleShot(0, qApp, [&ran] { ++ran; });
    pump.WaitForMessages(std::numeric_limits<std::uint32_t>::max());
    QCOMPARE(ran, 2);
  }

  // The icon comes from the PNGs the build renders next to the programs (bin/../share/icons),
  // where an installed Tapisto finds them too: the window sizes, not the launcher sizes, each
  // with the pixels Qt's own reader finds in the file. The windows get it once the main
  // window has been drawn.
  void windowIconHasTheWindowSizesOnceTheWindowIsDrawn() {
    const QIcon icon = ApplicationIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    QCOMPARE(sizes, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}}));
    for (const QSize& size : sizes) {
      const QImage file(QString("%1/../share/icons/hicolor/%2x%2/apps/%3.png")
                            .arg(QCoreApplication::applicationDirPath())
                            .arg(size.width())
                            .arg(QString::fromUtf8(kApplicationId.data(),
                                                   static_cast<qsizetype>(kApplicationId.size()))));
      QVERIFY(!file.isNull());
      // Both as pixmaps hold them: premultiplied.
      QCOMPARE(icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
               file.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }

    QApplication::setWindowIcon(QIcon());
    QWidget window;
    window.show();
    RunOnceDrawn(window, [] { QApplication::setWindowIcon(ApplicationIcon()); });
    QTRY_COMPARE(QApplication::windowIcon().availableSizes(), sizes);
  }
};

TAPISTO_QT_TEST(QtPortsTest);

}  // namespace tapisto::test

#include "ports_test.moc"
