// tapisto-tool as scripts use it: exit codes, what it prints and the files it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/path.h"
#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg_decode.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

ProgramResult RunTool(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProgram(TAPISTO_TOOL_PATH, args, dir.File("tool"));
}

TEST(ToolDecode, WritesWhatEachReaderDecodedAsA24BitBmp) {
  TempDir dir;
  RgbaImage png = PatternRgba(5, 3);
  png.pixels[0].a = 0;
  WriteBytes(dir.File("a.PNG"), MakePng(png));
  const ProgramResult r =
      RunTool(dir, {"decode", "--background", "0 0 255", dir.File("a.PNG"), dir.File("out.bmp")});
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
  const ProgramResult bad = RunTool(dir, {"decode", dir.File("bad.gif"), dir.File("o.bmp")});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err.rfind("ImageFormatError : ", 0), 0u) << bad.err;
  EXPECT_EQ(RunTool(dir, {"decode", dir.File("x.tif"), "o.bmp"}).exitCode, 2);
  EXPECT_EQ(RunTool(dir, {"decode", "only-one-argument"}).exitCode, 2);
  EXPECT_EQ(RunTool(dir, {"frobnicate"}).exitCode, 2);
}

TEST(ToolCompose, ComposesPrintsTheOutputAndTheMessages) {
  TempDir dir;
  Raster logo = PatternRaster(30, 20);
  logo.SetFormat(PixelFormat::Bit24);
  WriteBytes(dir.File("Logo.bmp"), EncodeBmp(logo));
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  const ProgramResult r =
      RunTool(dir, {"compose", "--style", "spiegeln", "--screen", "64x48", "--background", "1 2 3",
                    "--x", "5", "--y", "-4", "--folder", folder, dir.File("Logo.bmp")});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string output = JoinPath(folder, "MirrLogo.jpg");
  EXPECT_EQ(r.out, output + "\n");
  const Raster written = ReadJpegFile(output);
  EXPECT_EQ(written.Width(), 64);
  EXPECT_EQ(written.Height(), 48);

  // Too wide for the duplicate styles: the message on stderr, no output file.
  const ProgramResult wide =
      RunTool(dir, {"compose", "--style", "duplizieren", "--screen", "50x48", "--background",
                    "1 2 3", "--folder", folder, dir.File("Logo.bmp")});
  EXPECT_EQ(wide.exitCode, 0);
  EXPECT_EQ(wide.out, "");
  EXPECT_EQ(wide.err,
            "Bild zu breit für die aktuelle Auflösung von 50 Pixel.\n"
            "Bildbreite: 30 Pixel.\n\n");

  // A background the program cannot read: apply's message.
  const ProgramResult colour =
      RunTool(dir, {"compose", "--style", "normal", "--screen", "50x48", "--background", "1  2",
                    "--folder", folder, dir.File("Logo.bmp")});
  EXPECT_EQ(colour.err.rfind("ComboBox-Auswahl\n\nConversionError : ", 0), 0u) << colour.err;
  EXPECT_EQ(RunTool(dir, {"compose", "--style", "nirgends", "--screen", "5x5", "--background",
                          "0 0 0", "--folder", "x", "y"})
                .exitCode,
            2);
}

TEST(ToolConvert, ConvertsAsApplyingWouldAndPrintsTheLogLines) {
  TempDir dir;
  WriteBytes(dir.File("Bild.PNG"), MakePng(PatternRgba(4, 4)));
  const std::string folder = dir.File("out");
  std::filesystem::create_directory(folder);
  const ProgramResult jpg = RunTool(dir, {"convert", "--to", "jpg", "--background", "0 0 0",
                                          "--folder", folder, dir.File("Bild.PNG")});
  EXPECT_EQ(jpg.exitCode, 0) << jpg.err;
  const std::string jpgOutput = JoinPath(folder, "Bild.jpg");
  EXPECT_EQ(jpg.out, jpgOutput + "\nnewFileName: " + jpgOutput +
                         "\nsWallpaper: " + dir.File("Bild.PNG") + "\n");
  const ProgramResult bmp = RunTool(dir, {"convert", "--to", "bmp", "--background", "0 0 0",
                                          "--folder", folder, dir.File("Bild.PNG")});
  EXPECT_EQ(bmp.out, JoinPath(folder, "Bild.bmp") + "\n");
  EXPECT_EQ(ReadBmpFile(JoinPath(folder, "Bild.bmp")).Width(), 4);
}

// Names beyond ASCII and with blanks reach the tool and come back unchanged (on Windows
// through the wide command line, not the ANSI code page).
TEST(ToolConvert, KeepsNamesWithUmlautsAndBlanks) {
  TempDir dir;
  const std::string folder = dir.File("Ausgabe für Blüten €");
  std::filesystem::create_directory(PathFromUtf8(folder));
  const std::string picture = dir.File("Blüte 1.PNG");
  WriteBytes(picture, MakePng(PatternRgba(3, 2)));
  const ProgramResult r = RunTool(
      dir, {"convert", "--to", "bmp", "--background", "0 0 0", "--folder", folder, picture});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const std::string output = JoinPath(folder, "Blüte 1.bmp");
  EXPECT_EQ(r.out, output + "\n");
  EXPECT_EQ(ReadBmpFile(output).Height(), 2);
}

}  // namespace
}  // namespace tapisto::test
