// Sway's background through its IPC socket, with a real headless sway and swaybg: the pixels
// of every style taken with grim, the screen size, and the failures that come back as a line.
// sway refuses to run as root: run as root, the test starts sway as the user nobody, in folders
// that user may use.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "desktop/posix/handover/running_desktop.h"
#include "desktop/posix/handover/sway_handover.h"
#include "desktop_rig.h"
#include "desktop_session.h"
#include "image/bmp.h"
#include "image/png.h"
#include "support/run_program.h"

namespace tapisto::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
using Clock = std::chrono::steady_clock;

// Makes `path` a folder anyone may use, sway's user too.
void Share(const std::string& path) {
  std::filesystem::create_directories(path);
  std::filesystem::permissions(path, std::filesystem::perms::all);
}

// The PNG grim wrote; an empty raster when there is none.
Raster ReadPng(const std::string& path) try {
  const std::string bytes = ReadText(path);
  const RgbaImage image =
      DecodePng({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  Raster pixels(image.width, image.height, 0);
  DrawRgba(pixels, image, 0, 0);
  return pixels;
} catch (const std::exception&) {
  return {};
}

class SwayDesktop : public testing::Test {
 protected:
  // A headless sway on a 320 x 240 output in a folder of its own; sway names its sockets after
  // its process, and they are there once it listens.
  static void SetUpTestSuite() {
    try {
      if (FindOnPath("swaybg").empty() || FindOnPath("grim").empty()) throw std::runtime_error("");
      Share(home->path().string());
      Share(runtime);
      WriteText(home->File("config"), "xwayland disable\noutput HEADLESS-1 mode 320x240\n");
      std::vector<std::string> argv{FindOnPath("sway"), "-c", home->File("config")};
      if (::geteuid() == 0) {
        argv.insert(argv.begin(),
                    {FindOnPath("setpriv"), "--reuid=nobody", "--regid=nogroup", "--clear-groups"});
      }
      sway = std::make_unique<ServiceProcess>(
          argv, -1,
          std::vector<std::string>{"HOME=" + home->path().string(), "XDG_RUNTIME_DIR=" + runtime,
                                   "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                   "WLR_LIBINPUT_NO_DEVICES=1", "DISPLAY", "WAYLAND_DISPLAY",
                                   "SWAYSOCK", "XDG_CONFIG_HOME", "XDG_CURRENT_DESKTOP"});
      for (const auto deadline = Clock::now() + std::chrono::seconds(30);
           swaySocket.empty() || wayland.empty();) {
        if (!sway->Running()) throw std::runtime_error("sway ended at its start");
        if (Clock::now() > deadline) throw std::runtime_error("sway is silent");
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        for (const auto& entry : std::filesystem::directory_iterator(runtime)) {
          const std::string name = entry.path().filename().string();
          if (entry.is_socket() && name.starts_with("sway-ipc.")) swaySocket = entry.path();
          if (entry.is_socket() && name.starts_with("wayland-")) wayland = name;
        }
      }
    } catch (const std::exception& e) {
      startFailure = e.what();
      sway.reset();
    }
  }
  static void TearDownTestSuite() { sway.reset(); }

  void SetUp() override {
    if (!sway)
      GTEST_SKIP() << "sway cannot start here (Debian: sway, swaybg, grim): " << startFailure;
    Share(dir.path().string());
  }

  // The program's hand-over to the session's desktop: "" when taken, else the failure line.
  static std::string Show(const RequestedDesktop& request) {
    const std::vector<std::string> lines = RunningDesktop().Show(request);
    return lines.empty() ? "" : lines.front();
  }

  // Runs `program`; "" when it succeeded, else what it said.
  std::string Run(const std::string& program, const std::vector<std::string>& args) {
    const ProgramResult result = RunProgram(FindOnPath(program), args, dir.File(program));
    return result.exitCode == 0 ? "" : program + ": " + result.err;
  }

  // The output's pixels once every probe shows its colour, or after ten seconds those shown
  // then: swaybg draws a while after sway has answered.
  Raster Screen(const std::vector<Probe>& probes) {
    const std::string shot = dir.File("shot.png");
    Raster pixels;
    for (const auto deadline = Clock::now() + std::chrono::seconds(10); Clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      std::filesystem::remove(shot);
      EXPECT_EQ(Run("grim", {shot}), "");
      if (ProbeMismatches(pixels = ReadPng(shot), probes).empty()) break;
    }
    return pixels;
  }

  static inline std::unique_ptr<TempDir> home = std::make_unique<TempDir>();
  static inline std::string runtime = home->File("run"), swaySocket, wayland, startFailure;
  static inline std::unique_ptr<ServiceProcess> sway;
  TempDir dir;
  ScopedEnv socket{"SWAYSOCK", swaySocket};
  ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", runtime};
  ScopedEnv display{"WAYLAND_DISPLAY", wayland};
  ScopedEnv noDesktop{"XDG_CURRENT_DESKTOP", std::nullopt};
  ScopedEnv noBackend{"GSETTINGS_BACKEND", std::nullopt};
  ScopedEnv noDisplay{"DISPLAY", std::nullopt};
};

TEST_F(SwayDesktop, EachStyleTilingAndNoPictureShowOnTheOutput) {
  const std::string picture = dir.File("Quartiere mit 'Leer' zeichen, ä; \"$HOME\".bmp");
  WriteBmpFile(Quarters(), picture);
  // The program's compositions: the picture at its offsets (100, 50) on a screen-sized canvas
  // of the background colour, shown centred.
  const std::string composition = dir.File("Komposition.bmp");
  Raster canvas(kWidth, kHeight, kBg);
  BitBlt(canvas, 100, 50, 40, 20, Quarters(), 0, 0);
  canvas.SetFormat(PixelFormat::Bit24);
  WriteBmpFile(canvas, composition);
  // swaybg's scaling blends the picture's edges with the background over half a scaled pixel:
  // the edge probes keep clear of that.
  auto placed = [](Rect r, int sx, int sy) {
    return PlacedQuarters(r, sx, sy, kWidth, kHeight, std::max(sx, sy) / 2 + 1);
  };
  const std::vector<Probe> tiles{{0, 0, kRed},      {9, 9, kRed},     {10, 0, kGreen},
                                 {39, 19, kYellow}, {40, 0, kRed},    {50, 20, kGreen},
                                 {0, 30, kBlue},    {280, 220, kRed}, {319, 239, kYellow}};
  struct Row {
    const char* name;
    std::string file;
    const char *style, *tile;
    std::vector<Probe> probes;
  };
  for (const Row& row : {
           Row{"fit: 8 times, bars above and below", picture, "6", "0",
               placed({0, 40, 320, 200}, 8, 8)},
           Row{"fill: 12 times, 80 cut off left and right", picture, "10", "0",
               placed({-80, 0, 400, 240}, 12, 12)},
           Row{"span: as fill", picture, "22", "0", placed({-80, 0, 400, 240}, 12, 12)},
           Row{"stretch", picture, "2", "0", placed({0, 0, 320, 240}, 8, 12)},
           Row{"centre", picture, "0", "0", placed({140, 110, 180, 130}, 1, 1)},
           Row{"a composition, unscaled", composition, "0", "0", placed({100, 50, 140, 70}, 1, 1)},
           Row{"tiled", picture, "0", "1", tiles},
           Row{"no picture: the colour", "", "10", "0", {{0, 0, kBg}, {319, 239, kBg}}},
       }) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Show({row.file, row.style, row.tile, "58 110 165"}), "");
    EXPECT_EQ(ProbeMismatches(Screen(row.probes), row.probes), "");
  }
}

TEST_F(SwayDesktop, TheScreenSizeIsTheFocusedOutputsTurnedWithIt) {
  for (const auto& [transform, width, height] :
       {std::tuple{"90", kHeight, kWidth}, std::tuple{"normal", kWidth, kHeight}}) {
    SCOPED_TRACE(transform);
    ASSERT_EQ(Run("swaymsg", {"output", "*", "transform", transform}), "");
    const std::optional<ScreenSize> size = SwayHandOver().ShownScreenSize();
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, width);
    EXPECT_EQ(size->height, height);
  }
}

TEST_F(SwayDesktop, WhatSwayCannotShowIsAFailureLine) {
  // No escape gets a line feed through sway's parser and wordexp whole.
  const std::string lineFeed = dir.File("Zeile\nzwei.bmp");
  WriteBmpFile(Quarters(), lineFeed);
  // A socket that takes the connection and never answers.
  const std::string silent = dir.File("stumm");
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, silent.c_str(), silent.size() + 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 4), 0);
  // Each: the picture, the socket SWAYSOCK names, and what the line says.
  for (const auto& [file, named, reason] : {
           std::tuple{dir.File("fehlt.jpg"), swaySocket, "ist nicht lesbar"},
           std::tuple{lineFeed, swaySocket, "Steuerzeichen"},
           std::tuple{std::string(), dir.File("nichts"), "nicht erreichbar"},
           std::tuple{std::string(), silent, "nicht binnen 5 Sekunden"},
       }) {
    SCOPED_TRACE(file + " through " + named);
    ScopedEnv socketName("SWAYSOCK", named);
    const auto start = Clock::now();
    const std::string line = Show({file, "10", "0", "1 2 3"});
    EXPECT_TRUE(line.starts_with("Der Desktop Sway hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(reason), std::string::npos) << line;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10)) << "hung";
  }
  ::close(listener);
}

}  // namespace
}  // namespace tapisto::test
