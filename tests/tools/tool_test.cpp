// tapisto-tool as scripts use it: exit codes, what it prints and the files it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

#include "image/bmp.h"
#include "image/jpeg.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

// Runs the tool with `args` (already quoted for the shell), capturing both streams.
Result RunTool(const TempDir& dir, const std::string& args) {
  const std::string errFile = dir.File("stderr.txt");
  const std::string command =
      std::string("'") + TAPISTO_TOOL_PATH + "' " + args + " 2>'" + errFile + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string out;
  std::array<char, 4096> buffer{};
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  std::string err;
  if (FILE* f = std::fopen(errFile.c_str(), "rb")) {
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f))
      err.append(buffer.data(), n);
    std::fclose(f);
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, err};
}

std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

TEST(ToolDecode, WritesWhatEachReaderDecodedAsA24BitBmp) {
  TempDir dir;
  RgbaImage png = PatternRgba(5, 3);
  png.pixels[0].a = 0;
  WriteBytes(dir.File("a.PNG"), MakePng(png));
  const Result r = RunTool(dir, "decode --background '0 0 255' " + Quote(dir.File("a.PNG")) + " " +
                                    Quote(dir.File("out.bmp")));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "5 x 3\n");
  const Raster out = ReadBmpFile(dir.File("out.bmp"));
  EXPECT_EQ(out.Format(), PixelFormat::Bit24);
  EXPECT_EQ(out.Pixel(0, 0), ComposeRgb(0, 0, 255));  // transparent: the background given
  EXPECT_EQ(out.Pixel(1, 0), ComposeRgb(png.pixels[1].r, png.pixels[1].g, png.pixels[1].b));
}

TEST(ToolDecode, ReaderErrorsExitOneAndUsageErrorsTwo) {
  TempDir dir;
  WriteBytes(dir.File("bad.gif"), {'G', 'I', 'F', '8', '9', 'a', 1});
  const Result bad =
      RunTool(dir, "decode " + Quote(dir.File("bad.gif")) + " " + Quote(dir.File("o.bmp")));
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err.rfind("ImageFormatError : ", 0), 0u) << bad.err;
  EXPECT_EQ(RunTool(dir, "decode " + Quote(dir.File("x.tif")) + " o.bmp").exitCode, 2);
  EXPECT_EQ(RunTool(dir, "decode only-one-argument").exitCode, 2);
  EXPECT_EQ(RunTool(dir, "frobnicate").exitCode, 2);
}

TEST(ToolCompose, ComposesPrintsTheOutputAndTheMessages) {
  TempDir dir;
  Raster logo = PatternRaster(30, 20);
  logo.SetFormat(PixelFormat::Bit24);
  WriteBytes(dir.File("Logo.bmp"), EncodeBmp(logo));
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  const Result r = RunTool(dir,
                           "compose --style spiegeln --screen 64x48 --background '1 2 3' "
                           "--x 5 --y -4 --folder " +
                               Quote(folder) + " " + Quote(dir.File("Logo.bmp")));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, folder + "/MirrLogo.jpg\n");
  const Raster written = ReadJpegFile(folder + "/MirrLogo.jpg");
  EXPECT_EQ(written.Width(), 64);
  EXPECT_EQ(written.Height(), 48);

  // Too wide for the duplicate styles: the message on stderr, no output file.
  const Result wide = RunTool(dir,
                              "compose --style duplizieren --screen 50x48 --background "
                              "'1 2 3' --folder " +
                                  Quote(folder) + " " + Quote(dir.File("Logo.bmp")));
  EXPECT_EQ(wide.exitCode, 0);
  EXPECT_EQ(wide.out, "\n");
  EXPECT_EQ(wide.err,
            "Bild zu breit für die aktuelle Auflösung von 50 Pixel.\n"
            "Bildbreite: 30 Pixel.\n\n");

  // A background the program cannot read: apply's message.
  const Result colour = RunTool(dir,
                                "compose --style normal --screen 50x48 --background "
                                "'1  2' --folder " +
                                    Quote(folder) + " " + Quote(dir.File("Logo.bmp")));
  EXPECT_EQ(colour.err.rfind("ComboBox-Auswahl\n\nConversionError : ", 0), 0u) << colour.err;
  EXPECT_EQ(RunTool(dir,
                    "compose --style nirgends --screen 5x5 --background '0 0 0' "
                    "--folder x y")
                .exitCode,
            2);
}

TEST(ToolConvert, ConvertsAsApplyingWouldAndPrintsTheLogLines) {
  TempDir dir;
  WriteBytes(dir.File("Bild.PNG"), MakePng(PatternRgba(4, 4)));
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  const Result jpg = RunTool(dir, "convert --to jpg --background '0 0 0' --folder " +
                                      Quote(folder) + " " + Quote(dir.File("Bild.PNG")));
  EXPECT_EQ(jpg.exitCode, 0) << jpg.err;
  EXPECT_EQ(jpg.out, folder + "/Bild.jpg\nnewFileName: " + folder +
                         "/Bild.jpg\nsWallpaper: " + dir.File("Bild.PNG") + "\n");
  const Result bmp = RunTool(dir, "convert --to bmp --background '0 0 0' --folder " +
                                      Quote(folder) + " " + Quote(dir.File("Bild.PNG")));
  EXPECT_EQ(bmp.out, folder + "/Bild.bmp\n");
  EXPECT_EQ(ReadBmpFile(folder + "/Bild.bmp").Width(), 4);
}

TEST(ToolApply, ReadsTheHiveAppliesAndWritesOnlyThatHive) {
  TempDir dir;
  const std::string hive = dir.File("HKCU.reg");
  WriteBytes(hive, {});
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
  const Result r =
      RunTool(dir, "apply --hive " + Quote(hive) + " --folder " + Quote(folder) +
                       " --screen 64x48 --style spiegeln --x 4 " + Quote(dir.File("Logo.png")));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "newFileName: " + folder + "/Logo.jpg\nsWallpaper: " + dir.File("Logo.png") + "\n");
  std::FILE* f = std::fopen(hive.c_str(), "rb");
  std::string text(4096, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  EXPECT_NE(text.find("\"Wallpaper\"=\"" + folder + "/MirrLogo.jpg\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"WallpaperStyle\"=\"0\""), std::string::npos) << text;

  // An empty picture removes the wallpaper.
  const Result reset = RunTool(dir, "apply --hive " + Quote(hive) + " --folder " + Quote(folder) +
                                        " --screen 64x48 --style '' ''");
  EXPECT_EQ(reset.exitCode, 0) << reset.err;
  f = std::fopen(hive.c_str(), "rb");
  text.assign(4096, '\0');
  text.resize(std::fread(text.data(), 1, text.size(), f));
  std::fclose(f);
  EXPECT_NE(text.find("\"Wallpaper\"=\"\""), std::string::npos) << text;
}

}  // namespace
}  // namespace tapisto::test
