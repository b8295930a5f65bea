// Named pipes, folders and devices where a file is expected: every command refuses them at once
// with a message naming the file, and none waits on a pipe that no program will ever write.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "image/bmp.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

TEST(NonRegularFiles, APipeFolderOrDeviceAsAnyInputIsRefusedAtOnceAndNamed) {
  TempDir dir;
  const std::string out = dir.File("out");
  std::filesystem::create_directory(out);
  Raster logo = PatternRaster(16, 12);
  logo.SetFormat(PixelFormat::Bit24);
  WriteBytes(dir.File("Logo.bmp"), EncodeBmp(logo));
  const std::string hive =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n";
  WriteBytes(dir.File("HKCU.reg"), {hive.begin(), hive.end()});
  const std::vector<std::string> compose = {"compose", "--screen", "64x48", "--background",
                                            "0 0 0",   "--folder", out,     "--style"};
  auto with = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  // The input is the argument that starts with "."; a folder reaches only decode's reader (the
  // compositions skip a missing file).
  const std::vector<std::string> cases[] = {
      {"decode", ".jpg", "out.bmp"},
      with(compose, {"normal", ".jpg"}),
      with(compose, {"addieren", "--previous", ".bmp", dir.File("Logo.bmp")}),
      {"convert", "--to", "jpg", "--folder", out, ".png"},
      {"apply", "--hive", dir.File("HKCU.reg"), "--folder", out, "--screen", "64x48", "--style",
       "normal", ".gif"},
  };
  for (const std::vector<std::string>& c : cases) {
    for (const std::string kind : {"named pipe", "folder", "device"}) {
      if (kind == "folder" && c[0] != "decode") continue;
      std::vector<std::string> args = c;
      std::string input;
      for (std::string& arg : args) {
        if (arg.starts_with(".")) arg = input = dir.File(kind + arg);
      }
      SCOPED_TRACE(c[0] + " with " + input);
      ASSERT_TRUE(kind != "named pipe" || ::mkfifo(input.c_str(), 0600) == 0);
      if (kind == "folder") std::filesystem::create_directory(input);
      if (kind == "device") std::filesystem::create_symlink("/dev/null", input);
      // Under timeout, a tool waiting for a writer shows as a failed expectation, not a hang.
      args.insert(args.begin(), {"5", TAPISTO_TOOL_PATH});
      const ProgramResult r = RunProgram("/usr/bin/timeout", args, dir.File("tool"));
      EXPECT_NE(r.err.find("\"" + input + "\": it is a " + kind), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find("9223372036854775807"), std::string::npos) << r.err;
      std::filesystem::remove(input);
    }
  }
}

}  // namespace
}  // namespace tapisto::test
