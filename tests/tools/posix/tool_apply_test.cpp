// tapisto-tool apply, which reads and writes the settings hive file of the POSIX backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

std::string ReadText(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string text(4096, '\0');
  text.resize(f == nullptr ? 0 : std::fread(text.data(), 1, text.size(), f));
  if (f != nullptr) std::fclose(f);
  return text;
}

TEST(ToolApply, ReadsTheHiveAppliesAndWritesOnlyThatHive) {
  TempDir dir;
  const std::string hive = dir.File("HKCU.reg");
  {
    std::FILE* f = std::fopen(hive.c_str(), "wb");
    std::fputs(
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n\"Wallpaper\"=\"\"\n\n"
        "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"0 128 255\"\n",
        f);
    std::fclose(f);
  }
  WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(8, 8)));
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  const ProgramResult r =
      RunProgram(TAPISTO_TOOL_PATH,
                 {"apply", "--hive", hive, "--folder", folder, "--screen", "64x48", "--style",
                  "spiegeln", "--x", "4", dir.File("Logo.png")},
                 dir.File("tool"));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "newFileName: " + folder + "/Logo.jpg\nsWallpaper: " + dir.File("Logo.png") + "\n");
  std::string text = ReadText(hive);
  EXPECT_NE(text.find("\"Wallpaper\"=\"" + folder + "/MirrLogo.jpg\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"WallpaperStyle\"=\"0\""), std::string::npos) << text;

  // An empty picture removes the wallpaper.
  const ProgramResult reset = RunProgram(
      TAPISTO_TOOL_PATH,
      {"apply", "--hive", hive, "--folder", folder, "--screen", "64x48", "--style", "", ""},
      dir.File("tool"));
  EXPECT_EQ(reset.exitCode, 0) << reset.err;
  text = ReadText(hive);
  EXPECT_NE(text.find("\"Wallpaper\"=\"\""), std::string::npos) << text;
}

}  // namespace
}  // namespace tapisto::test
