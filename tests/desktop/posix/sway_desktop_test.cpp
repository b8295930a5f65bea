// Sway's background through its IPC socket, with a real headless sway and swaybg: the pixels
// of every style taken with grim, the screen size from the outputs, and the failures that
// must come back as a line (a socket that is not there, a file that cannot be read).
//
// sway refuses to run as root. Run as root, the test starts sway, grim and the client under
// test (in a child process) as the user nobody, in folders that user owns.
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
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
#include "support/run_program.h"

namespace tapisto::test {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// The user sway runs as: nobody when the test runs as root, else the test's own.
struct SwayUser {
  bool drop = ::geteuid() == 0;
  uid_t uid = ::geteuid();
  gid_t gid = ::getegid();

  SwayUser() {
    if (!drop) return;
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) throw std::runtime_error("no user nobody");
    uid = nobody->pw_uid;
    const group* nogroup = ::getgrnam("nogroup");
    gid = nogroup != nullptr ? nogroup->gr_gid : nobody->pw_gid;
  }

  // Becomes that user (in a child process).
  void Become() const {
    if (!drop) return;
    if (::setgroups(0, nullptr) != 0 || ::setresgid(gid, gid, gid) != 0 ||
        ::setresuid(uid, uid, uid) != 0) {
      throw std::runtime_error("cannot become the user nobody");
    }
  }

  void Own(const std::string& path) const {
    if (drop && ::chown(path.c_str(), uid, gid) != 0) throw std::runtime_error("chown " + path);
  }
};

// The P6 picture grim wrote; an empty raster for anything else.
Raster ReadPpm(const std::string& path) {
  const std::string bytes = ReadText(path);
  int width = 0, height = 0, maximum = 0, used = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &used) != 3 ||
      maximum != 255 || width <= 0 || height <= 0) {
    return {};
  }
  const std::size_t start = static_cast<std::size_t>(used) + 1;
  if (bytes.size() <
      start + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    return {};
  }
  Raster pixels(width, height, 0);
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + start);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x, p += 3) pixels.SetPixel(x, y, ComposeRgb(p[0], p[1], p[2]));
  }
  return pixels;
}

// A headless sway on a 320 x 240 output, running as SwayUser in a folder of its own.
class HeadlessSway {
 public:
  explicit HeadlessSway(const SwayUser& user) {
    user.Own(dir_.path().string());
    runtime_ = dir_.File("run");
    std::filesystem::create_directory(runtime_);
    ::chmod(runtime_.c_str(), 0700);
    user.Own(runtime_);
    const std::string config = dir_.File("config");
    WriteText(config, "xwayland disable\noutput HEADLESS-1 mode " + std::to_string(kWidth) + "x" +
                          std::to_string(kHeight) + "\n");
    std::vector<std::string> argv{FindOnPath("sway"), "-c", config};
    if (user.drop) {
      argv.insert(argv.begin(), {FindOnPath("setpriv"), "--reuid=" + std::to_string(user.uid),
                                 "--regid=" + std::to_string(user.gid), "--clear-groups"});
    }
    process_ = std::make_unique<ServiceProcess>(
        argv, -1,
        std::vector<std::string>{"HOME=" + dir_.path().string(), "XDG_RUNTIME_DIR=" + runtime_,
                                 "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                 "WLR_LIBINPUT_NO_DEVICES=1", "DISPLAY", "WAYLAND_DISPLAY",
                                 "SWAYSOCK", "XDG_CONFIG_HOME", "XDG_CURRENT_DESKTOP"});
    // sway names its socket after its process; it is there once sway listens.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (socket_.empty() || wayland_.empty()) {
      if (!process_->Running()) throw std::runtime_error("sway ended at its start");
      if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("sway is silent");
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_socket()) continue;
        if (name.starts_with("sway-ipc.")) socket_ = entry.path().string();
        if (name.starts_with("wayland-")) wayland_ = name;
      }
    }
  }

  const std::string& Socket() const noexcept { return socket_; }
  const std::string& Runtime() const noexcept { return runtime_; }
  const std::string& Wayland() const noexcept { return wayland_; }
  const TempDir& Dir() const noexcept { return dir_; }

 private:
  TempDir dir_;
  std::string runtime_, socket_, wayland_;
  std::unique_ptr<ServiceProcess> process_;
};

class SwayDesktop : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (FindOnPath("sway").empty() || FindOnPath("swaybg").empty() || FindOnPath("grim").empty()) {
      return;
    }
    try {
      sway = std::make_unique<HeadlessSway>(user);
    } catch (const std::exception& e) {
      startFailure = e.what();
    }
  }
  static void TearDownTestSuite() { sway.reset(); }

  void SetUp() override {
    if (!sway) {
      GTEST_SKIP() << "sway cannot start here (Debian: sway, swaybg, grim): " << startFailure;
    }
    socket.emplace("SWAYSOCK", sway->Socket());
    user.Own(dir.path().string());
  }

  // The program's hand-over to the session's desktop, run as sway's user; "" when it was
  // taken, else the failure line.
  std::string Show(const RequestedDesktop& request) {
    const std::string failure = RunInChild([&] {
      user.Become();
      const std::vector<std::string> lines = RunningDesktop().Show(request);
      if (!lines.empty()) throw std::runtime_error(lines.front());
    });
    const std::string prefix = "exception: ";
    return failure.starts_with(prefix) ? failure.substr(prefix.size()) : failure;
  }

  // The output's pixels once every probe shows its colour, or after ten seconds those shown
  // then: swaybg draws a while after sway has answered.
  Raster Screen(const std::vector<Probe>& probes) {
    const std::string shot = dir.File("shot.ppm");
    Raster pixels;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      std::filesystem::remove(shot);
      EXPECT_EQ(RunInChild([&] {
                  user.Become();
                  const ProgramResult grim =
                      RunProgram(FindOnPath("grim"), {"-t", "ppm", shot}, dir.File("grim"));
                  if (grim.exitCode != 0) throw std::runtime_error("grim: " + grim.err);
                }),
                "");
      pixels = ReadPpm(shot);
      if (ProbeMismatches(pixels, probes).empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return pixels;
  }

  std::string QuartersBmp() {
    const std::string path = dir.File("Quartiere mit 'Leer' zeichen, ä; \"$HOME\".bmp");
    WriteBmpFile(Quarters(), path);
    return path;
  }

  static inline SwayUser user;
  static inline std::unique_ptr<HeadlessSway> sway;
  static inline std::string startFailure;
  TempDir dir;
  std::optional<ScopedEnv> socket;
  ScopedEnv runtime{"XDG_RUNTIME_DIR", sway ? sway->Runtime() : ""};
  ScopedEnv wayland{"WAYLAND_DISPLAY", sway ? sway->Wayland() : ""};
  ScopedEnv noDesktop{"XDG_CURRENT_DESKTOP", std::nullopt};
  ScopedEnv noBackend{"GSETTINGS_BACKEND", std::nullopt};
  ScopedEnv noDisplay{"DISPLAY", std::nullopt};
};

TEST_F(SwayDesktop, EachStyleLaysThePictureOutOnTheOutput) {
  struct Row {
    const char* name;
    const char* style;
    const char* tile;
    Rect rect;
    int sx, sy;
    bool composed = false;
  };
  const std::string picture = QuartersBmp();
  // The program's compositions: the picture at its offsets (100, 50) on a screen-sized canvas
  // of the background colour, shown centred.
  const std::string composition = dir.File("Komposition.bmp");
  Raster canvas(kWidth, kHeight, kBg);
  const Raster quarters = Quarters();
  for (int y = 0; y < quarters.Height(); ++y) {
    for (int x = 0; x < quarters.Width(); ++x)
      canvas.SetPixel(100 + x, 50 + y, quarters.Pixel(x, y));
  }
  canvas.SetFormat(PixelFormat::Bit24);
  WriteBmpFile(canvas, composition);
  for (const Row& row : {
           Row{"fit: 8 times, bars above and below", "6", "0", {0, 40, 320, 200}, 8, 8},
           Row{"fill: 12 times, 80 cut off left and right", "10", "0", {-80, 0, 400, 240}, 12, 12},
           Row{"span: as fill", "22", "0", {-80, 0, 400, 240}, 12, 12},
           Row{"stretch", "2", "0", {0, 0, 320, 240}, 8, 12},
           Row{"centre", "0", "0", {140, 110, 180, 130}, 1, 1},
           Row{"a composition, unscaled", "0", "0", {100, 50, 140, 70}, 1, 1, true},
       }) {
    SCOPED_TRACE(row.name);
    ASSERT_EQ(Show({row.composed ? composition : picture, row.style, row.tile, "58 110 165"}), "");
    // swaybg's scaling blends the picture's edges with the background over half a scaled
    // pixel: the edge probes keep clear of that.
    const std::vector<Probe> probes =
        PlacedQuarters(row.rect, row.sx, row.sy, kWidth, kHeight, std::max(row.sx, row.sy) / 2 + 1);
    EXPECT_EQ(ProbeMismatches(Screen(probes), probes), "");
  }
}

TEST_F(SwayDesktop, TilingRepeatsThePictureAndNoPictureShowsTheColour) {
  ASSERT_EQ(Show({QuartersBmp(), "0", "1", "58 110 165"}), "");
  const std::vector<Probe> tiles{{0, 0, kRed},      {9, 9, kRed},     {10, 0, kGreen},
                                 {39, 19, kYellow}, {40, 0, kRed},    {50, 20, kGreen},
                                 {0, 30, kBlue},    {280, 220, kRed}, {319, 239, kYellow}};
  EXPECT_EQ(ProbeMismatches(Screen(tiles), tiles), "");

  ASSERT_EQ(Show({"", "10", "0", "1 2 3"}), "");
  const std::vector<Probe> colour{{0, 0, ComposeRgb(1, 2, 3)},
                                  {160, 120, ComposeRgb(1, 2, 3)},
                                  {319, 239, ComposeRgb(1, 2, 3)}};
  EXPECT_EQ(ProbeMismatches(Screen(colour), colour), "");
}

TEST_F(SwayDesktop, TheScreenSizeIsTheFocusedOutputsTurnedWithIt) {
  struct Row {
    const char* transform;
    int width, height;
  };
  for (const Row& row : {Row{"90", kHeight, kWidth}, Row{"normal", kWidth, kHeight}}) {
    SCOPED_TRACE(row.transform);
    EXPECT_EQ(RunInChild([&] {
                user.Become();
                const ProgramResult turn =
                    RunProgram(FindOnPath("swaymsg"), {"output", "*", "transform", row.transform},
                               dir.File("swaymsg"));
                if (turn.exitCode != 0) throw std::runtime_error("swaymsg: " + turn.err);
                const std::optional<ScreenSize> size = SwayHandOver().ShownScreenSize();
                if (!size) throw std::runtime_error("no size");
                if (size->width != row.width || size->height != row.height) {
                  throw std::runtime_error(std::to_string(size->width) + " x " +
                                           std::to_string(size->height));
                }
              }),
              "");
  }
}

TEST_F(SwayDesktop, WhatSwayCannotShowIsAFailureLine) {
  const std::string locked = dir.File("gesperrt.bmp");
  WriteBmpFile(Quarters(), locked);
  ::chmod(locked.c_str(), 0);
  const std::string folder = dir.File("Ordner");
  std::filesystem::create_directory(folder);
  WriteText(dir.File("kein Socket"), "");
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
  ::chmod(silent.c_str(), 0777);
  struct Row {
    const char* name;
    std::string file, socket, reason;
  };
  for (const Row& row : {
           Row{"a missing file", dir.File("fehlt.jpg"), sway->Socket(), "ist nicht lesbar"},
           Row{"a file this user may not read", locked, sway->Socket(), "ist nicht lesbar"},
           Row{"a folder", folder, sway->Socket(), "ist keine Bilddatei"},
           Row{"a line feed in the path", lineFeed, sway->Socket(), "Steuerzeichen"},
           Row{"a path naming nothing", "", dir.File("nichts"), "nicht erreichbar"},
           Row{"a file that is no socket", "", dir.File("kein Socket"), "nicht erreichbar"},
           Row{"a socket that never answers", "", silent, "nicht binnen 5 Sekunden"},
       }) {
    SCOPED_TRACE(row.name);
    ScopedEnv named("SWAYSOCK", row.socket);
    const auto start = std::chrono::steady_clock::now();
    const std::string line = Show({row.file, "10", "0", "1 2 3"});
    EXPECT_TRUE(line.starts_with("Der Desktop Sway hat das Hintergrundbild nicht übernommen: "))
        << line;
    EXPECT_NE(line.find(row.reason), std::string::npos) << line;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "hung";
  }
  ::close(listener);
}

}  // namespace
}  // namespace tapisto::test
