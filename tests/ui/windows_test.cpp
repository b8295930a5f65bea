// The window definitions, the log window, the donation picture and loading a picture for its
// size.
#include <gtest/gtest.h>

#include <set>

#include "base/error.h"
#include "image/jpeg_decode.h"
#include "state/style_table.h"
#include "ui/donation_picture.h"
#include "ui/layout.h"
#include "ui/picture_size.h"
#include "window_rig.h"

namespace tapisto::test {
namespace {

template <std::size_t N>
void ExpectSoundLayout(const std::array<ControlLayout, N>& layout, const WindowDefinition& window,
                       int tabStops) {
  std::set<std::string_view> names;
  std::set<int> tabs;
  for (const ControlLayout& c : layout) {
    SCOPED_TRACE(std::string(c.name));
    EXPECT_TRUE(names.insert(c.name).second) << "name twice";
    EXPECT_TRUE(c.tabIndex < 0 || tabs.insert(c.tabIndex).second) << "tab index twice";
    EXPECT_GE(c.left, 0);
    EXPECT_GE(c.top, 0);
    EXPECT_LE(c.left + c.width, window.clientWidth);
    // The link label at the foot overhangs the client area by two rows, as defined.
    EXPECT_LE(c.top + c.height, window.clientHeight + 2);
  }
  // The tab order has no gaps.
  ASSERT_EQ(static_cast<int>(tabs.size()), tabStops);
  EXPECT_EQ(*tabs.begin(), 0);
  EXPECT_EQ(*tabs.rbegin(), tabStops - 1);
}

TEST(WindowDefinitions, EveryControlLiesInTheClientAreaAndTheTabOrderHasNoGaps) {
  ExpectSoundLayout(kForm1Layout, kForm1Window, 8);
  ExpectSoundLayout(kForm2Layout, kForm2Window, 2);
}

TEST(WindowDefinitions, MainWindowModelsCarryTheDefinitionsTexts) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  EXPECT_EQ(form.Caption(), "Tapisto Ver. 2.19.9");
  EXPECT_EQ(form.Definition().clientWidth, 394);
  EXPECT_EQ(form.Definition().clientHeight, 253);
  EXPECT_EQ(form.Button1.caption, "...");
  EXPECT_EQ(form.Button1.hint, "Datei auswählen");
  EXPECT_EQ(form.Button2.caption, "&Zurücksetzen");
  EXPECT_EQ(form.Button3.caption, "B&eenden");
  EXPECT_EQ(form.Label1.caption, "Desktop-Hintergrundbilddatei:");
  EXPECT_EQ(form.Label1.hint, "");
  EXPECT_EQ(form.SpinEdit1.hint, "Pfeil anklicken oder den Wert manuel eingeben");
  EXPECT_EQ(form.SpinEdit2.hint, form.SpinEdit1.hint);
  EXPECT_EQ(form.ComboBox1.hint, "Einige Funktionen sind erst ab Windows 10 wirksam");
  EXPECT_EQ(form.StaticText1.caption, "tapisto.example");
  EXPECT_EQ(form.StaticText1.hint, "https://tapisto.example");
  EXPECT_EQ(form.OpenDialog1.filter,
            "Grafik-Dateien (*.bmp, *.gif, *.jpg, *.png)|*.bmp;*.gif;*.jpg;*.png");
  ASSERT_EQ(form.ComboBox1.items.size(), kStyleTable.size());
  for (std::size_t i = 0; i < kStyleTable.size(); ++i) {
    EXPECT_EQ(form.ComboBox1.items[i], kStyleTable[i].text);
  }
  EXPECT_EQ(form.ComboBox1.items[11], "duplizieren und doppelt spiegeln");
  EXPECT_EQ(form.ComboBox1.ItemIndex(), -1);
  EXPECT_EQ(form.SpinEdit1.Value(), 0);
}

TEST(WindowDefinitions, EveryRowHasTheModelOfItsKindAndTheTabKeyWalksTheStopsFirst) {
  WindowRig rig;
  rig.Start();
  TForm1& form = rig.form();
  const std::vector<Form1Control>& controls = form.Controls();
  ASSERT_EQ(controls.size(), kForm1Layout.size());
  std::set<const ControlBase*> models;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const Form1Control& c = controls[i];
    SCOPED_TRACE(std::string(c.row->name));
    EXPECT_EQ(c.row, &kForm1Layout[i]);
    EXPECT_EQ(form.ControlNamed(c.row->name), &c);
    const ControlKind kind = c.row->kind;
    EXPECT_EQ(c.edit != nullptr, kind == ControlKind::Edit);
    EXPECT_EQ(c.spin != nullptr, kind == ControlKind::SpinEdit);
    EXPECT_EQ(c.comboBox != nullptr, kind == ControlKind::ComboBox);
    EXPECT_EQ(c.clickable != nullptr, kind == ControlKind::Label || kind == ControlKind::Button ||
                                          kind == ControlKind::Picture ||
                                          kind == ControlKind::LinkLabel);
    EXPECT_EQ(c.model == nullptr, kind == ControlKind::FileDialog);
    EXPECT_EQ(c.clicks != nullptr, c.edit != nullptr || c.clickable != nullptr);
    EXPECT_TRUE(c.model == nullptr || models.insert(c.model).second) << "a model twice";
  }
  EXPECT_EQ(form.ControlNamed("SpinEdit2")->spin, &form.SpinEdit2);
  EXPECT_EQ(form.ControlNamed("Image1")->clickable, &form.Image1);
  EXPECT_EQ(form.ControlNamed("Memo1"), nullptr);

  std::vector<std::string_view> order;
  for (const ControlLayout* row : InTabOrder(kForm1Layout)) order.push_back(row->name);
  EXPECT_EQ(order,
            (std::vector<std::string_view>{"Edit1", "Button1", "SpinEdit1", "SpinEdit2", "Button2",
                                           "ComboBox1", "Button3", "StaticText1", "OpenDialog1",
                                           "Label1", "Label2", "Label3", "Label4", "Image1"}));
}

TEST(LogWindow, StartsHiddenCloseButtonHidesItAndLinesAreKeptOnlyWhileItExists) {
  LogLines log;
  AppendLogLine(log, "verloren");
  {
    TForm2 form2(log);
    EXPECT_EQ(form2.Caption(), "Log");
    EXPECT_EQ(form2.Definition().clientWidth, 482);
    EXPECT_EQ(form2.Definition().clientHeight, 256);
    EXPECT_EQ(form2.Button1.caption, "Schliessen");
    EXPECT_FALSE(form2.Visible());
    int redraws = 0;
    form2.visibilityChanged = [&] { ++redraws; };
    AppendLogLine(log, "eins");
    AppendLogLine(log, "zwei");
    form2.Show();
    EXPECT_TRUE(form2.Visible());
    form2.Button1.UserClick();
    EXPECT_FALSE(form2.Visible());
    form2.FormKlose();  // already hidden: no change to show
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(form2.Memo1.log.Lines(), (std::vector<std::string>{"eins", "zwei"}));
    EXPECT_TRUE(log.WindowExists());
  }
  AppendLogLine(log, "nach dem Ende");
  EXPECT_EQ(log.Lines().size(), 2u);
}

TEST(DonationPicture, IsA100By120JpegOfWhichTheControlShowsTheTop100Rows) {
  const Raster stored = DecodeJpeg(DonationPictureJpeg());
  EXPECT_EQ(stored.Width(), 100);
  EXPECT_EQ(stored.Height(), 120);

  WindowRig rig;
  rig.Start();
  const Raster& shown = rig.form().Image1.picture;
  ASSERT_EQ(shown.Width(), 100);
  ASSERT_EQ(shown.Height(), 100);
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) ASSERT_EQ(shown.Pixel(x, y), stored.Pixel(x, y));
  }
  // A red heart in the middle on a warm background, not a blank picture.
  const Colour middle = shown.Pixel(50, 45);
  EXPECT_GT(RedOf(middle), 150);
  EXPECT_LT(GreenOf(middle), 80);
  EXPECT_GT(GreenOf(shown.Pixel(2, 2)), 150);
  EXPECT_NE(rig.form().Image1.hint, "");
}

TEST(CutToControl, ShowsTheTopLeftAndFillsWhatThePictureDoesNotCover) {
  Raster picture(3, 2, ComposeRgb(1, 2, 3));
  picture.SetPixel(2, 1, ComposeRgb(9, 9, 9));
  const Raster wide = CutToControl(picture, 4, 1);
  EXPECT_EQ(wide.Pixel(2, 0), ComposeRgb(1, 2, 3));
  EXPECT_EQ(wide.Pixel(3, 0), ComposeRgb(1, 2, 3));  // the fill colour
  const Raster small = CutToControl(picture, 3, 2);
  EXPECT_EQ(small.Pixel(2, 1), ComposeRgb(9, 9, 9));
}

TEST(LoadPictureSize, EachReaderIsChosenByTheExtensionInAnyLetterCase) {
  WindowRig rig;
  struct Case {
    std::string path;
    int w, h;
  };
  const Case cases[] = {
      {rig.Bmp("a.bmp", 7, 5), 7, 5},    {rig.Bmp("b.BMP", 3, 9), 3, 9},
      {rig.Jpeg("c.jpg", 16, 8), 16, 8}, {rig.Jpeg("d.JPEG", 9, 4), 9, 4},
      {rig.Gif("e.Gif", 6, 2), 6, 2},    {rig.Png("f.png", 5, 11), 5, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const PictureSize size = LoadPictureSize(c.path);
    EXPECT_EQ(size.width, c.w);
    EXPECT_EQ(size.height, c.h);
  }
}

TEST(LoadPictureSize, FailsForOtherExtensionsDamagedAndMissingFiles) {
  WindowRig rig;
  // A JPEG named .png is read as PNG and fails as one.
  const std::string misnamed = rig.dir.File("g.png");
  std::rename(rig.Jpeg("g.jpg", 4, 4).c_str(), misnamed.c_str());
  for (const std::string extension : {".Tiff", ""}) {
    try {
      LoadPictureSize(rig.Bmp("h" + extension, 2, 2));
      ADD_FAILURE() << "no error for " << extension;
    } catch (const ImageFormatError& e) {
      EXPECT_EQ(e.what(), "unknown picture file extension (" + extension + ")");
    }
  }
  EXPECT_THROW(LoadPictureSize(misnamed), ImageFormatError);
  EXPECT_THROW(LoadPictureSize(rig.dir.File("fehlt.bmp")), FileReadError);
}

}  // namespace
}  // namespace tapisto::test
