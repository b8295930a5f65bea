// Decoding the hive's wallpaper values into what the desktop shows, and translating them to
// and from the GNOME background settings.
#include "desktop/posix/handover/desktop_style.h"

#include <gtest/gtest.h>

namespace tapisto {
namespace {

TEST(DesktopStyle, HiveValuesDecideThePlacement) {
  struct Row {
    const char* style;
    const char* tile;
    DesktopStyle expected;
  };
  for (const Row row : {
           Row{"10", "0", DesktopStyle::Fill},
           Row{"6", "0", DesktopStyle::Fit},
           Row{"2", "0", DesktopStyle::Stretch},
           Row{"22", "0", DesktopStyle::Span},
           Row{"0", "0", DesktopStyle::Centre},
           Row{"0", "1", DesktopStyle::Tile},
           Row{"10", "1", DesktopStyle::Fill},    // tiling counts only with style 0
           Row{"", "", DesktopStyle::Centre},     // missing values read as 0
           Row{"zehn", "1", DesktopStyle::Tile},  // not a number: 0
           Row{"7", "0", DesktopStyle::Centre},   // a number of no style
           Row{"0", "2", DesktopStyle::Centre},   // only 1 tiles
           Row{"+6", "0", DesktopStyle::Fit},
       }) {
    SCOPED_TRACE(std::string(row.style) + "/" + row.tile);
    EXPECT_EQ(DesktopStyleFromValues(row.style, row.tile), row.expected);
  }
  // Each entry of the style list is shown as its row says.
  for (const StyleRow& row : kStyleTable) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(DesktopStyleFromValues(std::to_string(row.wallpaperStyle),
                                     std::to_string(row.tileWallpaper)),
              row.desktopStyle);
  }
}

TEST(DesktopStyle, EveryStyleWritesTheValuesThatReadBackAsIt) {
  for (const DesktopStyle style : {DesktopStyle::Centre, DesktopStyle::Tile, DesktopStyle::Stretch,
                                   DesktopStyle::Fit, DesktopStyle::Fill, DesktopStyle::Span}) {
    const StyleValues v = ValuesOfDesktopStyle(style);
    EXPECT_EQ(
        DesktopStyleFromValues(std::to_string(v.wallpaperStyle), std::to_string(v.tileWallpaper)),
        style);
  }
  EXPECT_EQ(ValuesOfDesktopStyle(DesktopStyle::Tile).tileWallpaper, 1);
  EXPECT_EQ(ValuesOfDesktopStyle(DesktopStyle::Span).wallpaperStyle, 22);
}

TEST(BackgroundColour, ReadsThreeNumbersSeparatedByBlanks) {
  struct Row {
    const char* text;
    Colour expected;
  };
  for (const Row row : {
           Row{"58 110 165", ComposeRgb(58, 110, 165)},
           Row{"  1\t2   3 ", ComposeRgb(1, 2, 3)},
           Row{"300 0 256", ComposeRgb(255, 0, 255)},
           Row{"99999999999999999999 0 0", ComposeRgb(255, 0, 0)},
           Row{"0 0 0", 0},
           Row{"1 2", 0},
           Row{"1 2 3 4", 0},
           Row{"1,2,3", 0},
           Row{"1 2 3x", 0},
           Row{"-1 2 3", 0},
           Row{"", 0},
       }) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseBackgroundColour(row.text), row.expected);
  }
  EXPECT_EQ(FormatBackgroundColour(ComposeRgb(58, 110, 165)), "58 110 165");
}

TEST(DesktopStyle, RequestBecomesPictureStyleAndColour) {
  const DesktopPicture p = DesktopPictureFrom({"/b/Berg.jpg", "6", "0", "10 20 30"});
  EXPECT_EQ(p.file, "/b/Berg.jpg");
  EXPECT_EQ(p.style, DesktopStyle::Fit);
  EXPECT_EQ(p.background, ComposeRgb(10, 20, 30));
}

TEST(GnomeBackgroundValues, PictureOptionsOfEachStyle) {
  struct Row {
    DesktopStyle style;
    const char* options;
  };
  for (const Row row :
       {Row{DesktopStyle::Fill, "zoom"}, Row{DesktopStyle::Fit, "scaled"},
        Row{DesktopStyle::Stretch, "stretched"}, Row{DesktopStyle::Span, "spanned"},
        Row{DesktopStyle::Tile, "wallpaper"}, Row{DesktopStyle::Centre, "centered"}}) {
    SCOPED_TRACE(row.options);
    EXPECT_EQ(GnomePictureOptions(row.style, true), row.options);
    EXPECT_EQ(GnomePictureOptions(row.style, false), "none");
    EXPECT_EQ(DesktopStyleFromGnomeOptions(row.options), row.style);
  }
  EXPECT_EQ(DesktopStyleFromGnomeOptions("none"), std::nullopt);
  EXPECT_EQ(DesktopStyleFromGnomeOptions("Zoom"), std::nullopt);
}

TEST(GnomeBackgroundValues, ColourTexts) {
  EXPECT_EQ(GnomeColour(ComposeRgb(58, 110, 165)), "#3a6ea5");
  EXPECT_EQ(GnomeColour(ComposeRgb(0, 255, 9)), "#00ff09");
  struct Row {
    const char* text;
    std::optional<Colour> expected;
  };
  for (const Row row : {
           Row{"#3a6ea5", ComposeRgb(58, 110, 165)},
           Row{"#3A6EA5", ComposeRgb(58, 110, 165)},
           Row{"#abc", ComposeRgb(0xaa, 0xbb, 0xcc)},
           Row{"#123456789", ComposeRgb(0x12, 0x45, 0x78)},
           Row{"#3a3b6e6fa5a6", ComposeRgb(58, 110, 165)},
           Row{"3a6ea5", std::nullopt},
           Row{"#3a6ea", std::nullopt},
           Row{"#3a6eag", std::nullopt},
           Row{"#", std::nullopt},
           Row{"#1234567890abcdef", std::nullopt},
           Row{"black", std::nullopt},
       }) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParseGnomeColour(row.text), row.expected);
  }
}

TEST(GnomeBackgroundValues, GnomeSettingsBecomeHiveValues) {
  const RequestedDesktop fallback{"", "10", "0", "0 0 0"};
  struct Row {
    GnomeBackground gnome;
    RequestedDesktop expected;
  };
  for (const Row& row : {
           Row{{"/usr/share/backgrounds/a.jpg", "zoom", "#023c88"},
               {"/usr/share/backgrounds/a.jpg", "10", "0", "2 60 136"}},
           Row{{"/p/b.png", "wallpaper", "#ffffff"}, {"/p/b.png", "0", "1", "255 255 255"}},
           Row{{"/p/b.png", "centered", "#000"}, {"/p/b.png", "0", "0", "0 0 0"}},
           Row{{"/p/b.png", "spanned", "#010203"}, {"/p/b.png", "22", "0", "1 2 3"}},
           Row{{"/p/b.png", "scaled", ""}, {"/p/b.png", "6", "0", "0 0 0"}},
           Row{{"/p/b.png", "stretched", "rgb(1,2,3)"}, {"/p/b.png", "2", "0", "0 0 0"}},
           // "none" shows no picture; the style values stay as they were.
           Row{{"/p/b.png", "none", "#102030"}, {"", "10", "0", "16 32 48"}},
           // An option of no known style keeps the style values, not the picture.
           Row{{"/p/b.png", "sideways", "#102030"}, {"/p/b.png", "10", "0", "16 32 48"}},
           // A URI that names no local file gave no path.
           Row{{"", "zoom", "#102030"}, {"", "10", "0", "16 32 48"}},
       }) {
    SCOPED_TRACE(row.gnome.pictureOptions + " " + row.gnome.primaryColour);
    const RequestedDesktop got = DesktopValuesFromGnome(row.gnome, fallback);
    EXPECT_EQ(got.wallpaper, row.expected.wallpaper);
    EXPECT_EQ(got.wallpaperStyle, row.expected.wallpaperStyle);
    EXPECT_EQ(got.tileWallpaper, row.expected.tileWallpaper);
    EXPECT_EQ(got.background, row.expected.background);
  }
}

TEST(GnomeBackgroundValues, SessionsThatShowTheGnomeBackground) {
  struct Row {
    const char* desktop;
    bool explicitBackend;
    bool expected;
  };
  for (const Row row : {
           Row{"GNOME", false, true},
           Row{"ubuntu:GNOME", false, true},
           Row{"Budgie:GNOME", false, true},
           Row{"Unity", false, true},
           Row{"X-Cinnamon", false, false},
           Row{"Pantheon", false, true},
           Row{"gnome", false, true},
           Row{"GNOME-Flashback:GNOME", false, true},
           Row{"KDE", false, false},
           Row{"XFCE", false, false},
           Row{"", false, false},
           Row{"GNOMEX", false, false},
           Row{"X-GNOME-Like", false, false},
           Row{"KDE", true, true},
           Row{"", true, true},
           Row{":GNOME:", false, true},
       }) {
    SCOPED_TRACE(row.desktop);
    EXPECT_EQ(SessionUsesGnomeBackground(row.desktop, row.explicitBackend), row.expected);
  }
}

}  // namespace
}  // namespace tapisto
