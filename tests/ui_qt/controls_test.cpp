// Each kind of control as a view of its model: the model stays authoritative, the user's input
// reaches it through its User... calls, and the program's own changes show without running
// the program's handlers.
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>

#include "qt_test_registry.h"
#include "test_helpers.h"
#include "ui/layout.h"
#include "view_rig.h"

namespace tapisto::test {

class ControlViewsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<ViewRig> rig_;

  QAbstractSpinBox* SpinX() { return rig_->control<QAbstractSpinBox>("SpinEdit1"); }
  QPoint Up() { return ArrowCentre(*SpinX(), QStyle::SC_SpinBoxUp); }
  QPoint Down() { return ArrowCentre(*SpinX(), QStyle::SC_SpinBoxDown); }

 private slots:
  void init() {
    rig_ = std::make_unique<ViewRig>();
    // A picture on the desktop, so that every change of a control applies it.
    const std::string picture = rig_->Bmp("bild.bmp", 40, 30);
    rig_->WriteDesktopHive({{"Wallpaper", picture}, {"WallpaperStyle", "0"}});
    rig_->Start();
  }
  void cleanup() { rig_.reset(); }

  void spinFieldShowsWhateverTheModelHolds() {
    SpinEditModel& model = rig_->form().SpinEdit1;
    model.SetValue(-15);
    QCOMPARE(SpinX()->text(), QStringLiteral("-15"));
    // New bounds leave the shown value alone.
    model.SetBounds(0, 20);
    QCOMPARE(SpinX()->text(), QStringLiteral("-15"));
    model.SetValue(500);
    QCOMPARE(SpinX()->text(), QStringLiteral("20"));
    model.SetEnabled(false);
    QVERIFY(!SpinX()->isEnabled());
  }

  void spinFieldTypingGoesToTheModelAsItIs() {
    const int applies = rig_->refresh.count;
    QLineEdit* line = SpinX()->findChild<QLineEdit*>();
    QVERIFY(line != nullptr);
    SpinX()->setFocus();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Minus);
    // A lone minus sign is allowed; it reads as the lower bound, and it applied.
    QCOMPARE(rig_->form().SpinEdit1.Text(), std::string("-"));
    QCOMPARE(rig_->form().SpinEdit1.Value(), rig_->form().SpinEdit1.MinValue());
    QCOMPARE(rig_->refresh.count, applies + 1);
    QTest::keyClicks(line, QStringLiteral("3x5"));  // the letter is refused
    QCOMPARE(rig_->form().SpinEdit1.Text(), std::string("-35"));
    QCOMPARE(SpinX()->text(), QStringLiteral("-35"));
    QCOMPARE(rig_->refresh.count, applies + 3);
  }

  void spinFieldLeavingClampsThroughTheModel() {
    SpinEditModel& model = rig_->form().SpinEdit1;
    QLineEdit* line = SpinX()->findChild<QLineEdit*>();
    SpinX()->setFocus();
    QTRY_VERIFY(SpinX()->hasFocus());
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("99999"));
    QCOMPARE(model.Text(), std::string("99999"));  // typed values are kept while typing
    rig_->control("Button2")->setFocus();
    QCOMPARE(model.Value(), model.MaxValue());
    QCOMPARE(SpinX()->text(), Q(std::to_string(model.MaxValue())));
  }

  void spinArrowStepsWhenReleasedOverIt() {
    const TForm1& form = rig_->form();
    const int applies = rig_->refresh.count;
    QTest::mousePress(SpinX(), Qt::LeftButton, {}, Up());
    // The press alone steps nothing; the hook saw it before the field did.
    QVERIFY(form.State().MouseButtonDown);
    QVERIFY(form.SpinEdit1.PressedArrow() == SpinArrow::Up);
    QCOMPARE(form.SpinEdit1.Text(), std::string("0"));
    QTest::mouseRelease(SpinX(), Qt::LeftButton, {}, Up());
    QVERIFY(!form.State().MouseButtonDown);
    QCOMPARE(form.SpinEdit1.Text(), std::string("10"));
    QCOMPARE(rig_->refresh.count, applies + 1);

    QTest::mouseClick(SpinX(), Qt::LeftButton, {}, Down());
    QTest::mouseClick(SpinX(), Qt::LeftButton, {}, Down());
    QCOMPARE(form.SpinEdit1.Text(), std::string("-10"));

    // Pressed on one arrow and released on the other: no step.
    QTest::mousePress(SpinX(), Qt::LeftButton, {}, Up());
    QTest::mouseRelease(SpinX(), Qt::LeftButton, {}, Down());
    QCOMPARE(form.SpinEdit1.Text(), std::string("-10"));
    QCOMPARE(rig_->refresh.count, applies + 3);
  }

  void heldSpinArrowRepeatsThroughTheQtTimers() {
    const TForm1& form = rig_->form();
    const int applies = rig_->refresh.count;
    QTest::mousePress(SpinX(), Qt::LeftButton, {}, Up());
    QTRY_VERIFY_WITH_TIMEOUT(form.SpinEdit1.Value() >= 20, 5000);
    QCOMPARE(rig_->refresh.count, applies);  // held: nothing applied yet
    QTest::mouseRelease(SpinX(), Qt::LeftButton, {}, Up());
    QVERIFY(form.SpinEdit1.PressedArrow() == SpinArrow::None);
    QCOMPARE(rig_->refresh.count, applies + 1);
  }

  void spinKeysStepByTheIncrement() {
    SpinX()->setFocus();
    QTest::keyClick(SpinX(), Qt::Key_Up);
    QTest::keyClick(SpinX(), Qt::Key_Up);
    QTest::keyClick(SpinX(), Qt::Key_Down);
    QCOMPARE(rig_->form().SpinEdit1.Text(), std::string("10"));
    QCOMPARE(SpinX()->text(), QStringLiteral("10"));
  }

  void listSelectionsByTheProgramAreSilent() {
    auto* combo = rig_->control<QComboBox>("ComboBox1");
    const int applies = rig_->refresh.count;
    rig_->form().ComboBox1.SetItemIndex(5);
    QCOMPARE(combo->currentText(), QStringLiteral("zentriert"));
    rig_->form().ComboBox1.SetItemIndex(-1);
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(rig_->refresh.count, applies);

    // The user's choice by keyboard reaches the model and applies.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(rig_->form().ComboBox1.ItemIndex(), 0);
    QCOMPARE(rig_->refresh.count, applies + 1);
  }

  void fileFieldClickSelectsTheWholePath() {
    auto* edit = rig_->control<QLineEdit>("Edit1");
    QVERIFY(!edit->text().isEmpty());
    edit->deselect();
    QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(5, edit->height() / 2));
    QVERIFY(rig_->form().Edit1.AllSelected());
    QCOMPARE(edit->selectedText(), edit->text());
  }

  void hookSeesOnlyTheLeftButton() {
    const TForm1& form = rig_->form();
    QWidget* label = rig_->control("Label2");
    QTest::mousePress(label, Qt::RightButton);
    QVERIFY(!form.State().MouseButtonDown);
    QTest::mousePress(label, Qt::LeftButton);
    QVERIFY(form.State().MouseButtonDown);
    QTest::mouseRelease(label, Qt::RightButton);
    QVERIFY(form.State().MouseButtonDown);
    QTest::mouseRelease(label, Qt::LeftButton);
    QVERIFY(!form.State().MouseButtonDown);
  }

  void hintsShowOnlyWhereTheModelHasOne() {
    QWidget* button = rig_->control("Button1");
    QHelpEvent onButton(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(button, &onButton);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("Datei auswählen"));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());

    QWidget* label = rig_->control("Label1");
    QHelpEvent onLabel(QEvent::ToolTip, QPoint(5, 5), label->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(label, &onLabel);
    QVERIFY(!QToolTip::isVisible());
  }

  void pictureAndLinkOpenTheirPagesThroughTheShell() {
    QTest::mouseClick(rig_->control("Image1"), Qt::LeftButton);
    QTest::mouseClick(rig_->control("StaticText1"), Qt::LeftButton);
    // A press that ends outside the control is no click.
    QWidget* link = rig_->control("StaticText1");
    QTest::mousePress(link, Qt::LeftButton);
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, -5));
    const std::vector<std::string> expected{std::string(kDonationPage),
                                            std::string(kMakerAddress) + "/index.html"};
    QCOMPARE(rig_->shell.opened, expected);
  }
};

TAPISTO_QT_TEST(ControlViewsTest);

}  // namespace tapisto::test

#include "controls_test.moc"
