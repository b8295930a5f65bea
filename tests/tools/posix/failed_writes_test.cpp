// Writes that fail: the tool says so in its exit status, prints no file it did not write, and
// gives the system's reason.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>

#include "image/bmp.h"
#include "image/jpeg_encode.h"
#include "support/file_size_limit.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

struct FailedWriteRig {
  FailedWriteRig() {
    Raster logo = PatternRaster(40, 30);
    logo.SetFormat(PixelFormat::Bit24);
    WriteBytes(dir.File("Logo.bmp"), EncodeBmp(logo));
    WriteBytes(dir.File("Logo.jpg"), EncodeJpeg(logo, 90));
    WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(40, 30)));
    WriteBytes(dir.File("not-a-folder"), {'x'});
    WriteBytes(dir.File("damaged.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
    WriteText("broken.reg", "kein Registry-Export\n");
    WriteText("HKCU.reg",
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"1 2 3\"\n");
    fs::create_directory(dir.File("out"));
  }
  void WriteText(const std::string& name, const std::string& text) const {
    WriteBytes(dir.File(name), {text.begin(), text.end()});
  }
  ProgramResult Run(const std::vector<std::string>& args) const {
    return RunProgram(TAPISTO_TOOL_PATH, args, dir.File("tool"));
  }
  std::vector<std::string> Compose(const std::string& folder) const {
    return {"compose", "--style",  "normal", "--screen", "320x240", "--background",
            "0 0 0",   "--folder", folder,   "--x",      "3",       dir.File("Logo.bmp")};
  }
  std::vector<std::string> Apply(const std::string& picture, const std::string& style = "normal",
                                 const std::string& hive = "HKCU.reg") const {
    return {"apply",    "--hive",  dir.File(hive), "--folder", dir.File("out"),
            "--screen", "320x240", "--style",      style,      picture};
  }
  TempDir dir;
};

TEST(FailedWrites, EveryFailedWriteExitsOneWithTheReasonAndPrintsNoUnwrittenFile) {
  FailedWriteRig rig;
  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* reason;  // "": no reason of the system to give
    bool fullDisk = false;
  };
  const Case cases[] = {
      {"compose into a file", rig.Compose(rig.dir.File("not-a-folder")), "Not a directory"},
      {"compose into an over-long folder name", rig.Compose(rig.dir.File(std::string(300, 'o'))),
       "File name too long"},
      {"convert into a file",
       {"convert", "--to", "jpg", "--folder", rig.dir.File("not-a-folder"),
        rig.dir.File("Logo.png")},
       "Not a directory"},
      {"compose onto a full disk", rig.Compose(rig.dir.File("out")), "File too large", true},
      {"apply a damaged picture", rig.Apply(rig.dir.File("damaged.png")), ""},
      {"apply with an unreadable hive", rig.Apply(rig.dir.File("Logo.jpg"), "normal", "broken.reg"),
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // The child inherits the limit and the signal's default action, which would end it: the
    // tool must ignore the signal itself.
    std::signal(SIGXFSZ, SIG_DFL);
    std::optional<FileSizeLimit> limit;
    if (c.fullDisk) limit.emplace(2000);
    const ProgramResult r = rig.Run(c.args);
    limit.reset();
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out.find(".jpg"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(rig.dir.File("out")));  // no temporary file left either
  }
}

// What writes killed on the way left behind goes at the next write into the folder, once it is
// an hour old; files of others and recent ones stay.
TEST(FailedWrites, StaleTemporaryFilesOfOursGoAtTheNextWriteAndApplyWritesAbsolutePaths) {
  FailedWriteRig rig;
  const std::string out = rig.dir.File("out");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(2);
  const std::vector<std::string> stale = {out + "/.0Logo.jpg.tapisto-Ab3dE9.tmp",
                                          out + "/0Logo.jpg.tapisto-3141592653.tmp",
                                          rig.dir.File(".HKCU.reg.x7Yz0Q")};
  const std::vector<std::string> kept = {out + "/Urlaub.tmp", rig.dir.File(".Anderes.reg.x7Yz0Q"),
                                         out + "/.Logo.jpg.tapisto-fresh1.tmp"};
  for (const std::string& file : stale) WriteBytes(file, {1}), fs::last_write_time(file, old);
  for (const std::string& file : kept) WriteBytes(file, {2}), fs::last_write_time(file, old);
  fs::last_write_time(kept[2], fs::file_time_type::clock::now());
  EXPECT_EQ(rig.Run(rig.Compose(out)).exitCode, 0);
  // A picture named relative to the current folder goes into the hive as an absolute path.
  const fs::path here = fs::current_path();
  fs::current_path(rig.dir.path());
  const ProgramResult relative = rig.Run(rig.Apply("Logo.jpg", "zentriert"));
  fs::current_path(here);
  EXPECT_EQ(relative.exitCode, 0) << relative.err;
  for (const std::string& file : stale) EXPECT_FALSE(fs::exists(file)) << file;
  for (const std::string& file : kept) EXPECT_TRUE(fs::exists(file)) << file;
  const std::string hive = ReadProgramOutput(rig.dir.File("HKCU.reg"));
  EXPECT_NE(hive.find("\"Wallpaper\"=\"" + rig.dir.File("Logo.jpg") + "\""), std::string::npos)
      << hive;
}

}  // namespace
}  // namespace tapisto::test
