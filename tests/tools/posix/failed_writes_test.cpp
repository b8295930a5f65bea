// Writes that fail: the tool says so in its exit status, prints no file it did not write, and
// gives the system's reason.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg.h"
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
    WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(40, 30)));
    WriteBytes(dir.File("Logo.jpg"), EncodeJpeg(logo, 90));
    WriteBytes(dir.File("not-a-folder"), {'x'});
    fs::create_directory(dir.File("out"));
    WriteHive(dir.File("HKCU.reg"),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n\n"
              "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"1 2 3\"\n");
  }
  static void WriteHive(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
  }
  ProgramResult Run(const std::vector<std::string>& args) const {
    return RunProgram(TAPISTO_TOOL_PATH, args, dir.File("tool"));
  }
  std::vector<std::string> Compose(const std::string& folder) const {
    return {"compose", "--style",  "normal", "--screen", "320x240", "--background",
            "0 0 0",   "--folder", folder,   "--x",      "3",       dir.File("Logo.bmp")};
  }
  std::vector<std::string> Apply(const std::string& picture,
                                 const std::string& style = "normal") const {
    return {"apply",    "--hive",        dir.File("HKCU.reg"),
            "--folder", dir.File("out"), "--screen",
            "320x240",  "--style",       style,
            picture};
  }
  TempDir dir;
};

TEST(FailedWrites, ComposeAndConvertExitOneWithTheReasonAndPrintNoUnwrittenFile) {
  FailedWriteRig rig;
  const std::string overLong = rig.dir.File(std::string(300, 'o'));
  struct Case {
    const char* what;
    std::vector<std::string> args;
    const char* reason;
  };
  const Case cases[] = {
      {"compose into a file", rig.Compose(rig.dir.File("not-a-folder")), "Not a directory"},
      {"compose into an over-long folder name", rig.Compose(overLong), "File name too long"},
      {"convert into a file",
       {"convert", "--to", "jpg", "--folder", rig.dir.File("not-a-folder"),
        rig.dir.File("Logo.png")},
       "Not a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramResult r = rig.Run(c.args);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out.find(".jpg"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }
}

TEST(FailedWrites, AFullDiskFailsTheComposeWithTheReasonAndLeavesNoTemporaryFile) {
  FailedWriteRig rig;
  ProgramResult r;
  {
    // The child inherits the limit, a "full disk", and the signal's default action, which
    // would end it: the tool must ignore the signal itself.
    const FileSizeLimit limit(2000);
    std::signal(SIGXFSZ, SIG_DFL);
    r = rig.Run(rig.Compose(rig.dir.File("out")));
  }
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
  EXPECT_TRUE(fs::is_empty(rig.dir.File("out")));
}

// What writes killed on the way left behind goes at the next write into the folder, once it is
// an hour old; files of others and recent ones stay.
TEST(FailedWrites, StaleTemporaryFilesOfOursAreRemovedAtTheNextWrite) {
  FailedWriteRig rig;
  const std::string out = rig.dir.File("out");
  const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
  const std::vector<std::string> stale = {out + "/.0Logo.jpg.tapisto-Ab3dE9.tmp",
                                          out + "/0Logo.jpg.tapisto-3141592653.tmp",
                                          rig.dir.File(".HKCU.reg.x7Yz0Q")};
  const std::vector<std::string> kept = {out + "/Urlaub.tmp", out + "/.Logo.jpg.tapisto-fresh1.tmp",
                                         rig.dir.File(".Anderes.reg.x7Yz0Q")};
  for (const std::string& file : stale) WriteBytes(file, {1});
  for (const std::string& file : kept) WriteBytes(file, {2});
  for (const std::string& file : stale) fs::last_write_time(file, twoHoursAgo);
  fs::last_write_time(kept[0], twoHoursAgo);
  fs::last_write_time(kept[2], twoHoursAgo);

  EXPECT_EQ(rig.Run(rig.Compose(out)).exitCode, 0);
  EXPECT_EQ(rig.Run(rig.Apply(rig.dir.File("Logo.jpg"), "zentriert")).exitCode, 0);
  for (const std::string& file : stale) EXPECT_FALSE(fs::exists(file)) << file;
  for (const std::string& file : kept) EXPECT_TRUE(fs::exists(file)) << file;
}

TEST(FailedWrites, ApplyExitsOneWhenTheApplyFailedAndWritesAbsolutePaths) {
  FailedWriteRig rig;
  WriteBytes(rig.dir.File("damaged.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
  const ProgramResult damaged = rig.Run(rig.Apply(rig.dir.File("damaged.png")));
  EXPECT_EQ(damaged.exitCode, 1) << damaged.err;

  const std::string unreadable = rig.dir.File("broken.reg");
  FailedWriteRig::WriteHive(unreadable, "kein Registry-Export\n");
  std::vector<std::string> args = rig.Apply(rig.dir.File("Logo.png"));
  args[2] = unreadable;
  const ProgramResult broken = rig.Run(args);
  EXPECT_EQ(broken.exitCode, 1) << broken.err;

  // A picture named relative to the current folder goes into the hive as an absolute path.
  const fs::path here = fs::current_path();
  fs::current_path(rig.dir.path());
  const ProgramResult relative = rig.Run(rig.Apply("Logo.jpg", "zentriert"));
  fs::current_path(here);
  EXPECT_EQ(relative.exitCode, 0) << relative.err;
  const auto bytes = ReadWholeFile(rig.dir.File("HKCU.reg"), 1 << 20);
  const std::string hive(bytes.begin(), bytes.end());
  EXPECT_NE(hive.find("\"Wallpaper\"=\"" + rig.dir.File("Logo.jpg") + "\""), std::string::npos)
      << hive;
}

}  // namespace
}  // namespace tapisto::test
