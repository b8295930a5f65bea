// The main and log windows as the user meets them: where every control stands, what it says,
// the keyboard order, and one session of typing a picture path, stepping an offset and
// choosing a style, checked in the hive file and the output folder.
#include <QAbstractItemView>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "qt_test_registry.h"
#include "test_helpers.h"
#include "ui/qt/control_widgets.h"
#include "ui/qt/view_metrics.h"
#include "view_rig.h"

namespace tapisto::test {

namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A hive whose style shows no entry in the list, so the first apply selects "normal".
void NoStyleShown(ViewRig& rig) {
  rig.WriteDesktopHive({{"Wallpaper", ""}, {"TileWallpaper", "0"}, {"WallpaperStyle", "0"}});
}

}  // namespace

class MainWindowViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ViewRig> rig_;

 private slots:
  void init() { rig_ = std::make_unique<ViewRig>(); }
  void cleanup() { rig_.reset(); }

  void everyControlStandsAtItsScaledPlace() {
    rig_->Start();
    MainWindowView& view = rig_->view();
    const double scale = view.Scale();
    QCOMPARE(view.size(), ScaledClientSize(kForm1Window, scale));
    QCOMPARE(view.minimumSize(), view.maximumSize());
    for (const ControlLayout& row : kForm1Layout) {
      const QString name = Q(std::string(row.name));
      QWidget* widget = view.Control(row.name);
      if (row.kind == ControlKind::FileDialog) {
        QVERIFY2(widget == nullptr, qPrintable(name));
        continue;
      }
      QVERIFY2(widget != nullptr, qPrintable(name));
      QVERIFY2(widget->isVisible(), qPrintable(name));
      const QRect expected = ScaledRect(row, scale);
      QCOMPARE(widget->pos(), expected.topLeft());
      QCOMPARE(widget->height(), expected.height());
      if (row.kind == ControlKind::Label) {
        // A label is as wide as its caption needs, never narrower than defined.
        QVERIFY2(widget->width() >= expected.width(), qPrintable(name));
        QVERIFY2(widget->width() >= widget->sizeHint().width(), qPrintable(name));
      } else {
        QCOMPARE(widget->width(), expected.width());
      }
    }
  }

  void windowShowsTheModelsCaptionsHintsAndFont() {
    rig_->Start();
    MainWindowView& view = rig_->view();
    QCOMPARE(view.windowTitle(), QStringLiteral("Tapisto Ver. 2.19.9"));
    QVERIFY(view.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(view.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(rig_->control<QPushButton>("Button1")->text(), QStringLiteral("..."));
    QCOMPARE(rig_->control<QPushButton>("Button2")->text(), QStringLiteral("&Zurücksetzen"));
    QCOMPARE(rig_->control<QPushButton>("Button3")->text(), QStringLiteral("B&eenden"));
    QCOMPARE(rig_->control<QLabel>("Label1")->text(),
             QStringLiteral("Desktop-Hintergrundbilddatei:"));
    QCOMPARE(rig_->control<QLabel>("Label2")->text(), QStringLiteral("Horizontal - X"));
    QCOMPARE(rig_->control<QLabel>("Label3")->text(), QStringLiteral("Vertikal - Y"));
    QCOMPARE(rig_->control<QLabel>("Label4")->text(), QStringLiteral("Stil:"));
    QCOMPARE(rig_->control<QLabel>("StaticText1")->text(), QStringLiteral("tapisto.example"));
    QVERIFY(rig_->control<QLabel>("StaticText1")->font().underline());
    QVERIFY(!rig_->control<QLabel>("Image1")->pixmap().isNull());
    QCOMPARE(rig_->control<QLabel>("Image1")->pixmap().size(), QSize(100, 100));

    // Hints only where the definition or the start-up gives one.
    QCOMPARE(rig_->control("Button1")->toolTip(), QStringLiteral("Datei auswählen"));
    QCOMPARE(rig_->control("SpinEdit1")->toolTip(),
             QStringLiteral("Pfeil anklicken oder den Wert manuel eingeben"));
    QCOMPARE(rig_->control("ComboBox1")->toolTip(),
             QStringLiteral("Einige Funktionen sind erst ab Windows 10 wirksam"));
    QCOMPARE(rig_->control("StaticText1")->toolTip(), QStringLiteral("https://tapisto.example"));
    QCOMPARE(rig_->control("Image1")->toolTip(),
             QStringLiteral("Bitte unterstützen Sie die weitere Entwicklung\n"
                            "mit Ihrer Spende. Vielen Dank."));
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Edit1", "Button2"}) {
      QVERIFY2(rig_->control(name)->toolTip().isEmpty(), name);
    }
    QCOMPARE(rig_->watched.hintHidePause, 10000);

    // The list holds the twelve styles in order.
    auto* combo = rig_->control<QComboBox>("ComboBox1");
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), 12);
    QCOMPARE(combo->itemText(0), QStringLiteral("normal"));
    QCOMPARE(combo->itemText(11), QStringLiteral("duplizieren und doppelt spiegeln"));

    QCOMPARE(view.font().pixelSize(), Scaled(kFontPixelHeight, view.Scale()));
    const QStringList installed = QFontDatabase::families();
    for (const char* family : {"Tahoma", "Liberation Sans", "DejaVu Sans"}) {
      if (installed.contains(QLatin1String(family))) {
        QCOMPARE(view.font().family(), QLatin1String(family));
        break;
      }
    }
  }

  void tabOrderAndFocusFollowTheDefinition() {
    rig_->Start();
    std::vector<const ControlLayout*> stops;
    for (const ControlLayout& row : kForm1Layout) {
      if (row.tabIndex >= 0) stops.push_back(&row);
    }
    std::sort(stops.begin(), stops.end(),
              [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    QCOMPARE(stops.size(), std::size_t{8});

    // Walking the focus chain from the first stop meets the stops in their order; controls
    // without a tab stop take no focus.
    std::vector<QWidget*> chain;
    QWidget* first = rig_->control(stops.front()->name);
    QWidget* w = first;
    do {
      if (w->parentWidget() == &rig_->view() && (w->focusPolicy() & Qt::TabFocus)) {
        chain.push_back(w);
      }
      w = w->nextInFocusChain();
    } while (w != first);
    QCOMPARE(chain.size(), stops.size());
    for (std::size_t i = 0; i < stops.size(); ++i) {
      QCOMPARE(chain[i]->objectName(), Q(std::string(stops[i]->name)));
    }
    for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Image1"}) {
      QCOMPARE(rig_->control(name)->focusPolicy(), Qt::NoFocus);
    }

    // The model's focus moves the view's, and the user's focus reaches the model.
    QTRY_VERIFY(rig_->control("Edit1")->hasFocus());
    rig_->form().SetFocusedControl("Button2");
    QVERIFY(rig_->control("Button2")->hasFocus());
    rig_->control("ComboBox1")->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig_->form().FocusedControl(), std::string("ComboBox1"));
    // The spin field's inner line edit counts as the field.
    rig_->control<QAbstractSpinBox>("SpinEdit2")->setFocus(Qt::TabFocusReason);
    QCOMPARE(rig_->form().FocusedControl(), std::string("SpinEdit2"));
  }

  void accessKeyResetsOffsetsAndStyle() {
    rig_->Start();
    QTRY_VERIFY(rig_->view().isActiveWindow());
    TForm1& form = rig_->form();
    form.SpinEdit1.SetValue(30);
    form.SpinEdit2.SetValue(-40);
    form.ComboBox1.SetItemIndex(4);
    QTest::keyClick(&rig_->view(), Qt::Key_Z, Qt::AltModifier);
    // The button shows itself pressed for a moment before it clicks.
    QTRY_COMPARE(form.SpinEdit1.Text(), std::string("0"));
    QCOMPARE(rig_->control<QAbstractSpinBox>("SpinEdit2")->text(), QStringLiteral("0"));
    QCOMPARE(rig_->control<QComboBox>("ComboBox1")->currentText(), QStringLiteral("normal"));
  }

  void typingSteppingAndChoosingApplyToTheDesktop() {
    NoStyleShown(*rig_);
    rig_->Start();
    const std::string picture = rig_->Bmp("bild.bmp", 40, 30);
    const std::string normal = rig_->WallpaperFolder() + "/0bild.jpg";
    const std::string mirrored = rig_->WallpaperFolder() + "/Mirrbild.jpg";
    auto* combo = rig_->control<QComboBox>("ComboBox1");
    QCOMPARE(combo->currentIndex(), -1);

    // Typing the path: the last keystroke names the file, which applies it as "normal".
    auto* edit = rig_->control<QLineEdit>("Edit1");
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClicks(edit, Q(picture));
    QCOMPARE(rig_->form().Edit1.Text(), picture);
    QCOMPARE(rig_->refresh.count, 1);
    QCOMPARE(combo->currentText(), QStringLiteral("normal"));
    QCOMPARE(rig_->Desktop("Wallpaper"), normal);
    const std::string firstComposition = FileBytes(normal);
    QVERIFY(!firstComposition.empty());

    // One click on the X field's up arrow: one step, applied once on the release.
    auto* spin = rig_->control<QAbstractSpinBox>("SpinEdit1");
    QTest::mouseClick(spin, Qt::LeftButton, {}, ArrowCentre(*spin, QStyle::SC_SpinBoxUp));
    QCOMPARE(spin->text(), QStringLiteral("10"));
    QCOMPARE(rig_->form().SpinEdit1.Value(), 10);
    QCOMPARE(rig_->refresh.count, 2);
    QVERIFY(FileBytes(normal) != firstComposition);  // the picture moved by 10 pixels

    // Choosing "spiegeln" in the dropped-down list.
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    QTRY_VERIFY(list->isVisible());
    const QRect item = list->visualRect(list->model()->index(8, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QCOMPARE(combo->currentText(), QStringLiteral("spiegeln"));
    QCOMPARE(rig_->form().ComboBox1.ItemIndex(), 8);
    QCOMPARE(rig_->refresh.count, 3);

    QCOMPARE(rig_->Desktop("Wallpaper"), mirrored);
    QCOMPARE(rig_->Desktop("TileWallpaper"), std::string("0"));
    QCOMPARE(rig_->Desktop("WallpaperStyle"), std::string("0"));
    QCOMPARE(rig_->WallpaperFiles(), (std::vector<std::string>{"0bild.jpg", "Mirrbild.jpg"}));
    QVERIFY(rig_->dialogs.messages.empty());
    QVERIFY(rig_->dialogs.errorReports.empty());

    // The two applies of the file field and the list are in the log, and the log window's
    // text box shows them.
    const std::vector<std::string> logged{"Edit1.Text: " + picture, "Edit1.Text: " + picture};
    QCOMPARE(rig_->program.Log().Lines(), logged);
    QCOMPARE(rig_->logView().Memo()->toPlainText(), Q(logged[0] + "\n" + logged[1]));
  }

  void logWindowStartsHiddenAndHidesWhenClosed() {
    rig_->Start();
    LogWindowView& log = rig_->logView();
    QVERIFY(!log.isVisible());
    QCOMPARE(log.windowTitle(), QStringLiteral("Log"));
    const double scale = ScaleFactor(log.screen());
    QCOMPARE(log.size(), ScaledClientSize(kForm2Window, scale));
    QCOMPARE(log.Memo()->geometry(), ScaledRect(LayoutOf(kForm2Layout, "Memo1"), scale));
    QCOMPARE(log.CloseButton()->geometry(), ScaledRect(LayoutOf(kForm2Layout, "Button1"), scale));
    QCOMPARE(log.CloseButton()->text(), QStringLiteral("Schliessen"));
    QVERIFY(!log.Memo()->isReadOnly());
    QCOMPARE(log.Memo()->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    AppendLogLine(rig_->program.Log(), "eins");
    rig_->form().ComboBox1.SetItemIndex(2);  // no line of its own
    AppendLogLine(rig_->program.Log(), "zwei");
    rig_->program.Form2()->Show();
    QVERIFY(log.isVisible());
    QCOMPARE(log.Memo()->toPlainText(), QStringLiteral("eins\nzwei"));

    QTest::mouseClick(log.CloseButton(), Qt::LeftButton);
    QVERIFY(!log.isVisible());
    QVERIFY(!rig_->program.Form2()->Visible());
    rig_->program.Form2()->Show();
    log.close();  // the title bar's close box
    QVERIFY(!rig_->program.Form2()->Visible());
    QCOMPARE(log.Memo()->toPlainText(), QStringLiteral("eins\nzwei"));
  }

  void closingTheWindowEndsTheLoopWithoutTheQuitStep() {
    rig_->Start();
    QTimer::singleShot(0, &rig_->view(), [this] { rig_->view().close(); });
    QApplication::exec();
    QVERIFY(!rig_->watched.terminated);
    QCOMPARE(rig_->refresh.count, 0);  // the empty file field removed nothing
  }

  void quitButtonRemovesTheWallpaperAndEndsTheLoop() {
    rig_->WriteDesktopHive({{"Wallpaper", "/nirgends/alt.bmp"}, {"WallpaperStyle", "2"}});
    rig_->Start();
    QVERIFY(rig_->form().Edit1.Text() == "/nirgends/alt.bmp");
    QTest::keyClick(rig_->control("Edit1"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(rig_->control("Edit1"), Qt::Key_Delete);
    QCOMPARE(rig_->refresh.count, 1);  // emptying the field removed the wallpaper
    QTimer::singleShot(0, &rig_->view(),
                       [this] { QTest::mouseClick(rig_->control("Button3"), Qt::LeftButton); });
    QApplication::exec();
    QVERIFY(rig_->watched.terminated);
    QCOMPARE(rig_->refresh.count, 2);
    QCOMPARE(rig_->Desktop("Wallpaper"), std::string(""));
  }
};

TAPISTO_QT_TEST(MainWindowViewTest);

}  // namespace tapisto::test

#include "main_window_test.moc"
