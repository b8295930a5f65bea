// The wallpaper on the root window of a private X server: every desktop style and a
// composition through the program's refresh, the background colour around the picture, the
// pixmap outliving the connection that made it, and the screen size.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "compose/composition_context.h"
#include "desktop/apply.h"
#include "desktop/posix/handover/posix_refresh.h"
#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/handover/x11_display.h"
#include "desktop/posix/handover/x11_root_wallpaper.h"
#include "desktop/posix/handover/x11_screen.h"
#include "desktop_rig.h"
#include "desktop_session.h"
#include "image/bmp.h"
#include "support/picture_files.h"

namespace tapisto::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

class X11Desktop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (FindOnPath("Xvfb").empty()) return;
    try {
      server = std::make_unique<XvfbServer>("320x240x24");
    } catch (const std::exception& e) {
      startFailure = e.what();
    }
  }
  static void TearDownTestSuite() { server.reset(); }

  void SetUp() override {
    if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(server) << startFailure;
    display.emplace("DISPLAY", server->DisplayName());
  }

  // Writes the four settings as the program would and refreshes.
  void Show(const std::string& file, const std::string& style, const std::string& tile,
            const std::string& background = "58 110 165") {
    rig.store.OpenKey("Control Panel\\Desktop")->WriteString("Wallpaper", file);
    rig.store.OpenKey("Control Panel\\Desktop")->WriteString("WallpaperStyle", style);
    rig.store.OpenKey("Control Panel\\Desktop")->WriteString("TileWallpaper", tile);
    rig.store.OpenKey("Control Panel\\Colors")->WriteString("Background", background);
    refresh.Refresh();
  }

  std::string QuartersBmp() {
    const std::string path = rig.dir.File("Quartiere mit Leerzeichen.bmp");
    WriteBmpFile(Quarters(), path);
    return path;
  }

  static Raster Root() {
    const x11::DisplayPtr d = x11::OpenDisplay();
    return ReadPixels(d.get(), XDefaultRootWindow(d.get()), kWidth, kHeight);
  }

  static std::optional<Pixmap> PixmapProperty(Display* d, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<Pixmap> pixmap;
    if (XGetWindowProperty(d, XDefaultRootWindow(d), XInternAtom(d, name, False), 0, 1, False,
                           XA_PIXMAP, &type, &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1) {
      unsigned long id = 0;
      std::memcpy(&id, data, sizeof id);
      pixmap = id;
    }
    if (data != nullptr) XFree(data);
    return pixmap;
  }

  static inline std::unique_ptr<XvfbServer> server;
  static inline std::string startFailure;
  // No GNOME session: only the X server is given the wallpaper.
  ScopedEnv noDesktop{"XDG_CURRENT_DESKTOP", std::nullopt};
  ScopedEnv noBackend{"GSETTINGS_BACKEND", std::nullopt};
  std::optional<ScopedEnv> display;
  DesktopRig rig;
  RunningDesktop desktop;
  PosixRefresh refresh{rig.store, &desktop};
};

TEST_F(X11Desktop, EachDesktopStyleLaysThePictureOutOnTheRootWindow) {
  struct Row {
    const char* name;
    const char* style;
    const char* tile;
    Rect rect;
    int sx, sy;
  };
  const std::string picture = QuartersBmp();
  for (const Row& row : {
           Row{"fit: 8 times, bars above and below", "6", "0", {0, 40, 320, 200}, 8, 8},
           Row{"fill: 12 times, 80 cut off left and right", "10", "0", {-80, 0, 400, 240}, 12, 12},
           Row{"stretch", "2", "0", {0, 0, 320, 240}, 8, 12},
           Row{"span over the one monitor", "22", "0", {0, 0, 320, 240}, 8, 12},
           Row{"centre", "0", "0", {140, 110, 180, 130}, 1, 1},
       }) {
    SCOPED_TRACE(row.name);
    Show(picture, row.style, row.tile);
    EXPECT_EQ(ProbeMismatches(Root(), PlacedQuarters(row.rect, row.sx, row.sy, kWidth, kHeight)),
              "");
  }
}

TEST_F(X11Desktop, TilingRepeatsThePictureFromTheTopLeftCorner) {
  Show(QuartersBmp(), "0", "1");
  const Raster root = Root();
  EXPECT_EQ(ProbeMismatches(root, {{0, 0, kRed},
                                   {9, 9, kRed},
                                   {10, 0, kGreen},
                                   {39, 19, kYellow},
                                   {40, 0, kRed},
                                   {50, 20, kGreen},
                                   {0, 30, kBlue},
                                   {280, 220, kRed},
                                   {319, 239, kYellow}}),
            "");
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 40; x < kWidth; ++x) {
      ASSERT_EQ(root.Pixel(x, y), root.Pixel(x % 40, y % 20)) << x << ", " << y;
    }
  }
}

TEST_F(X11Desktop, NoPictureOrOneThatCannotBeReadShowsTheBackgroundColour) {
  const std::string damaged = rig.dir.File("kaputt.png");
  WriteText(damaged, "\x89PNG\r\n\x1a\nnot really");
  for (const std::string& file :
       {std::string(), rig.dir.File("fehlt.jpg"), damaged, rig.dir.File("bild.tiff")}) {
    SCOPED_TRACE(file);
    Show(QuartersBmp(), "0", "1");  // something else first
    Show(file, "10", "0", "1 2 3");
    EXPECT_EQ(Root(), Raster(kWidth, kHeight, ComposeRgb(1, 2, 3)));
  }
}

TEST_F(X11Desktop, TransparentPartsOfAPngShowTheBackgroundColour) {
  RgbaImage image{2, 1, {{255, 0, 0, 255}, {0, 255, 0, 0}}};
  const std::string path = rig.dir.File("halb.png");
  WriteBytes(path, MakePng(image));
  Show(path, "0", "0", "0 0 90");
  // Centred: (320 - 2) / 2 across, (240 - 1) / 2 down.
  EXPECT_EQ(ProbeMismatches(Root(), {{159, 119, ComposeRgb(255, 0, 0)},
                                     {160, 119, ComposeRgb(0, 0, 90)},
                                     {0, 0, ComposeRgb(0, 0, 90)}}),
            "");
}

TEST_F(X11Desktop, AComposedWallpaperIsShownUnscaledOverTheWholeScreen) {
  // The program's own "normal" style: the picture at the offsets on a screen-sized canvas of
  // the background colour, saved as JPEG and shown with style 0.
  rig.state.BackgroundRed = "58";
  rig.state.BackgroundGreen = "110";
  rig.state.BackgroundBlue = "165";
  rig.state.WallpaperFolder = rig.dir.File("Meine Wallpapers");
  std::filesystem::create_directories(rig.state.WallpaperFolder);
  rig.store.OpenKey("Control Panel\\Colors")->WriteString("Background", "58 110 165");
  X11Screen screen(1, 1);
  CompositionContext compose{rig.state, screen,      rig.pump,     rig.clock,
                             rig.files, rig.dialogs, rig.controls, PathFlavour::Posix};
  DesktopContext d{compose, rig.store, refresh, rig.shell, rig.log, rig.controls};
  const std::string picture = QuartersBmp();
  rig.controls.styleText = "normal";
  rig.controls.fileField = picture;
  rig.controls.offsets.x = 100;
  rig.controls.offsets.y = 50;
  SetWallpaperSystem(d, picture);
  ASSERT_EQ(rig.dialogs.messages, std::vector<std::string>{});

  const Raster root = Root();
  // JPEG keeps colours only closely; the probes stay clear of the edges it blurs.
  auto near = [](Colour a, Colour b) {
    for (int shift : {0, 8, 16}) {
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) >
          6) {
        return false;
      }
    }
    return true;
  };
  for (const Probe& p : std::vector<Probe>{{0, 0, kBg},
                                           {319, 239, kBg},
                                           {95, 55, kBg},
                                           {103, 53, kRed},
                                           {130, 54, kGreen},
                                           {103, 66, kBlue},
                                           {135, 66, kYellow},
                                           {145, 55, kBg},
                                           {110, 75, kBg}}) {
    EXPECT_TRUE(near(root.Pixel(p.x, p.y), p.expected))
        << Rgb(root.Pixel(p.x, p.y)) << " at " << p.x << ", " << p.y;
  }
}

TEST_F(X11Desktop, TheWallpaperPixmapOutlivesTheConnectionThatMadeIt) {
  Show(QuartersBmp(), "2", "0");
  const Raster shown = Root();
  // A new connection finds the pixmap through the properties and reads it.
  const x11::DisplayPtr d = x11::OpenDisplay();
  const std::optional<Pixmap> root = PixmapProperty(d.get(), "_XROOTPMAP_ID");
  ASSERT_TRUE(root.has_value());
  EXPECT_EQ(PixmapProperty(d.get(), "ESETROOT_PMAP_ID"), root);
  EXPECT_EQ(ReadPixels(d.get(), *root, kWidth, kHeight), shown);
  EXPECT_EQ(shown.Pixel(0, 0), kRed);
}

TEST_F(X11Desktop, TheNextWallpaperFreesTheOneBeforeIt) {
  Show(QuartersBmp(), "2", "0");
  const x11::DisplayPtr d = x11::OpenDisplay();
  const std::optional<Pixmap> first = PixmapProperty(d.get(), "_XROOTPMAP_ID");
  ASSERT_TRUE(first.has_value());
  ASSERT_FALSE(ReadPixels(d.get(), *first, kWidth, kHeight).Empty());

  Show("", "0", "0", "9 9 9");
  const std::optional<Pixmap> second = PixmapProperty(d.get(), "_XROOTPMAP_ID");
  ASSERT_TRUE(second.has_value());
  EXPECT_NE(*second, *first);
  EXPECT_TRUE(ReadPixels(d.get(), *first, kWidth, kHeight).Empty()) << "old pixmap still there";
  EXPECT_EQ(ReadPixels(d.get(), *second, kWidth, kHeight),
            Raster(kWidth, kHeight, ComposeRgb(9, 9, 9)));
}

TEST_F(X11Desktop, AForeignRootPixmapIsLeftAlone) {
  // After our wallpaper a desktop program shows its own pixmap and names it in _XROOTPMAP_ID
  // only; ESETROOT_PMAP_ID still names ours. The program must live on.
  Show(QuartersBmp(), "2", "0");
  x11::DisplayPtr owner = x11::OpenDisplay();
  Display* o = owner.get();
  const Window root = XDefaultRootWindow(o);
  const Pixmap foreign = XCreatePixmap(o, root, 4, 4, static_cast<unsigned>(XDefaultDepth(o, 0)));
  const unsigned long id = foreign;
  XChangeProperty(o, root, XInternAtom(o, "_XROOTPMAP_ID", False), XA_PIXMAP, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&id), 1);
  XSync(o, False);

  Show(QuartersBmp(), "2", "0");
  const x11::DisplayPtr d = x11::OpenDisplay();
  EXPECT_EQ(ReadPixels(d.get(), foreign, 4, 4).Width(), 4) << "the foreign client was ended";
  // A connection the server has closed cannot be closed again without ending the test.
  if (HasFailure()) static_cast<void>(owner.release());
}

TEST_F(X11Desktop, EachMonitorShowsItsOwnCopy) {
  // Two monitors side by side, as XRandR 1.5 can declare them on any screen. The left one
  // takes the server's one output, which so no longer makes a monitor of its own.
  const x11::DisplayPtr d = x11::OpenDisplay();
  Display* x = d.get();
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, XDefaultRootWindow(x));
  ASSERT_TRUE(resources != nullptr && resources->noutput >= 1);
  RROutput output = resources->outputs[0];
  XRRFreeScreenResources(resources);
  XRRMonitorInfo left{}, right{};
  left.name = XInternAtom(x, "LINKS", False);
  left.width = 160;
  left.height = 240;
  left.mwidth = 40;
  left.mheight = 60;
  left.primary = True;
  left.noutput = 1;
  left.outputs = &output;
  right = left;
  right.noutput = 0;
  right.outputs = nullptr;
  right.name = XInternAtom(x, "RECHTS", False);
  right.x = 160;
  right.primary = False;
  XRRSetMonitor(x, XDefaultRootWindow(x), &left);
  XRRSetMonitor(x, XDefaultRootWindow(x), &right);
  XSync(x, False);

  Show(QuartersBmp(), "6", "0");
  // Fit on 160 x 240: 4 times, 160 x 80, centred at rows 80 to 159 on each monitor.
  const Raster root = Root();
  for (int offset : {0, 160}) {
    SCOPED_TRACE(offset);
    EXPECT_EQ(ProbeMismatches(root, {{offset, 80, kRed},
                                     {offset + 159, 80, kGreen},
                                     {offset, 159, kBlue},
                                     {offset + 159, 159, kYellow},
                                     {offset, 79, kBg},
                                     {offset + 80, 160, kBg}}),
              "");
  }
  XRRDeleteMonitor(x, XDefaultRootWindow(x), left.name);
  XRRDeleteMonitor(x, XDefaultRootWindow(x), right.name);
  XSync(x, False);
}

TEST_F(X11Desktop, ScreenSizeIsTheRootWindowsWithoutAPrimaryOutput) {
  const std::optional<ScreenSize> size = PrimaryX11ScreenSize();
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(size->width, kWidth);
  EXPECT_EQ(size->height, kHeight);
  const X11Screen screen(1, 1);
  EXPECT_EQ(screen.Width(), kWidth);
  EXPECT_EQ(screen.Height(), kHeight);
}

TEST_F(X11Desktop, ScreenSizeIsThePrimaryOutputsWhenThereIsOne) {
  // The server's one output shows a 200 x 100 mode at the root's top-left and is made
  // primary; the root window stays 320 x 240.
  const x11::DisplayPtr d = x11::OpenDisplay();
  Display* x = d.get();
  const Window root = XDefaultRootWindow(x);
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x, root);
  ASSERT_TRUE(resources != nullptr && resources->noutput >= 1);
  RROutput output = resources->outputs[0];
  XRROutputInfo* info = XRRGetOutputInfo(x, resources, output);
  ASSERT_TRUE(info != nullptr && info->crtc != 0);
  const RRCrtc crtc = info->crtc;
  XRRFreeOutputInfo(info);
  XRRCrtcInfo* before = XRRGetCrtcInfo(x, resources, crtc);
  const RRMode oldMode = before->mode;
  XRRFreeCrtcInfo(before);

  char name[] = "200x100";
  XRRModeInfo mode{};
  mode.width = 200;
  mode.height = 100;
  mode.dotClock = 1000000;
  mode.hTotal = 200;
  mode.vTotal = 100;
  mode.name = name;
  mode.nameLength = 7;
  const RRMode small = XRRCreateMode(x, root, &mode);
  XRRAddOutputMode(x, output, small);
  ASSERT_EQ(XRRSetCrtcConfig(x, resources, crtc, CurrentTime, 0, 0, small, RR_Rotate_0, &output, 1),
            0);
  XSync(x, False);
  // Not primary yet: the root window's size.
  EXPECT_EQ(X11Screen(1, 1).Width(), kWidth);
  XRRSetOutputPrimary(x, root, output);
  XSync(x, False);
  const X11Screen screen(1, 1);
  EXPECT_EQ(screen.Width(), 200);
  EXPECT_EQ(screen.Height(), 100);

  // The server as the other tests expect it.
  XRRSetOutputPrimary(x, root, 0);
  XRRSetCrtcConfig(x, resources, crtc, CurrentTime, 0, 0, oldMode, RR_Rotate_0, &output, 1);
  XRRDeleteOutputMode(x, output, small);
  XRRDestroyMode(x, small);
  XRRFreeScreenResources(resources);
  XSync(x, False);
  EXPECT_EQ(screen.Width(), kWidth);
}

TEST(X11Absent, WithoutADisplayNothingIsDrawnAndTheScreenFallsBack) {
  for (const std::optional<std::string>& name :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>(":9999")}) {
    ScopedEnv display("DISPLAY", name);
    EXPECT_FALSE(ShowOnX11Root({"", DesktopStyle::Fill, 0}));
    EXPECT_EQ(PrimaryX11ScreenSize().has_value(), false);
    const X11Screen screen(800, 600);
    EXPECT_EQ(screen.Width(), 800);
    EXPECT_EQ(screen.Height(), 600);
  }
}

TEST(X11Absent, ARefreshWithNoDesktopAtAllKeepsTheSettingsAndReportsIt) {
  DesktopRig rig;
  ScopedEnv display("DISPLAY", std::nullopt);
  ScopedEnv session("XDG_CURRENT_DESKTOP", std::nullopt);
  ScopedEnv backend("GSETTINGS_BACKEND", std::nullopt);
  RunningDesktop desktop;
  std::vector<std::string> reported;
  PosixRefresh refresh(rig.store, &desktop,
                       [&](const std::string& line) { reported.push_back(line); });
  rig.store.OpenKey("Control Panel\\Desktop")->WriteString("Wallpaper", "/nirgends/bild.jpg");
  EXPECT_NO_THROW(refresh.Refresh());
  EXPECT_EQ(rig.store.OpenKey("Control Panel\\Desktop")->ReadString("Wallpaper", ""),
            "/nirgends/bild.jpg");
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported, refresh.LastFailures());
  EXPECT_TRUE(reported[0].starts_with("Kein Desktop gefunden")) << reported[0];
}

}  // namespace
}  // namespace tapisto::test
