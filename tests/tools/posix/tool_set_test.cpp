// tapisto-tool set and restore on the user's own hive and MATE's real schema with GSettings'
// keyfile backend in a scratch folder; the schema hidden for a desktop that fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/desktop_fakes.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

namespace fs = std::filesystem;

class ToolOnTheDesktop : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists("/usr/share/glib-2.0/schemas/org.mate.background.gschema.xml")) {
      GTEST_SKIP() << "the schema org.mate.background is not installed (mate-desktop-common)";
    }
    fs::create_directories(dir.File("config/glib-2.0/settings"));
    WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(8, 8)));
  }
  ProgramResult Tool(const std::vector<std::string>& args,
                     const std::string& program = TAPISTO_TOOL_PATH) {
    return RunProgram(program, args, dir.File("tool"));
  }
  // The files read here have no "\r\n" in them.
  std::string Keyfile() const { return ReadProgramOutput(dir.File(keyfile)); }
  std::string Hive() const { return ReadProgramOutput(dir.File("config/tapisto/HKCU.reg")); }
  void WriteKeyfile(const std::string& lines) const {
    std::ofstream(dir.File(keyfile)) << "[org/mate/desktop/background]\n" << lines;
  }

  const char* keyfile = "config/glib-2.0/settings/keyfile";
  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv backend{"GSETTINGS_BACKEND", "keyfile"};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "MATE"};
  ScopedEnv display{"DISPLAY", std::nullopt};
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
};

#define EXPECT_CONTAINS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)

TEST_F(ToolOnTheDesktop, SetSeedsTheHiveAndTheHiveAndDesktopNameOneAbsoluteFile) {
  WriteKeyfile("picture-filename='/alt.jpg'\nprimary-color='#102030'\n");
  ASSERT_EQ(Tool({"decode", dir.File("Logo.png"), dir.File("Mein \"Bild\" l'été.bmp")}).exitCode,
            0);
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const ProgramResult r = Tool({"set", "--style", "nebeneinander", "Mein \"Bild\" l'été.bmp"});
  fs::current_path(before);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The hive quotes " with a backslash; GSettings' keyfile puts the text in double quotes.
  const std::string quoted = dir.File("Mein \\\"Bild\\\" l'été.bmp") + "\"";
  EXPECT_CONTAINS(Hive(), "\"Wallpaper\"=\"" + quoted);
  EXPECT_CONTAINS(Keyfile(), "picture-filename=\"" + quoted);
  EXPECT_CONTAINS(Keyfile(), "picture-options='wallpaper'");
  // The colour came from the desktop at the first use, and went back to it.
  EXPECT_CONTAINS(Hive(), "\"Background\"=\"16 32 48\"");
  EXPECT_CONTAINS(Keyfile(), "primary-color='#102030'");

  // restore hands the hive's wallpaper back after the desktop changed.
  WriteKeyfile("picture-filename='/anders.jpg'\n");
  EXPECT_EQ(Tool({"restore"}).exitCode, 0);
  EXPECT_CONTAINS(Keyfile(), "picture-filename=\"" + quoted);
}

TEST_F(ToolOnTheDesktop, ExitsZeroOneTwoOrThreeAndADesktopThatFailsGetsTheHiveWritten) {
  ScopedEnv noSchemas("XDG_DATA_DIRS", dir.File("empty-share"));
  ScopedEnv schemaDir("GSETTINGS_SCHEMA_DIR", std::nullopt);
  const std::string failure =
      "Der Desktop MATE hat das Hintergrundbild nicht übernommen: Das GSettings-Schema "
      "org.mate.background ist nicht installiert\n";
  const std::string noHive = "tapisto-tool: no settings file " +
                             dir.File("config/tapisto/HKCU.reg") + " yet, nothing to restore\n";
  const struct {
    std::vector<std::string> args;
    int exitCode;
    std::string err;  // "": not compared
  } rows[] = {
      {{"restore"}, 0, noHive},
      {{"set", "--style", "anpassen", dir.File("Logo.png")}, 3, failure},
      {{"restore"}, 3, failure},
      {{"set", "--style", "normal", dir.File("Logo.png")}, 2, ""},
      {{"set", "--style", "anpassen", dir.File("fehlt.png")}, 1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[0] + " " + std::to_string(row.exitCode));
    const ProgramResult r = Tool(row.args);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    EXPECT_TRUE(row.err.empty() || r.err == row.err) << r.err;
  }
  EXPECT_CONTAINS(Hive(), "Meine Wallpapers/Logo.jpg");
}

TEST_F(ToolOnTheDesktop, AutostartEntryRunsThisToolsRestore) {
  // A copy in a folder whose name needs quoting in the entry.
  const std::string folder = dir.File("Mein $Ordner 100%");
  fs::create_directories(folder);
  fs::copy_file(TAPISTO_TOOL_PATH, folder + "/tapisto-tool");
  const ProgramResult r = Tool({"restore", "--autostart"}, folder + "/tapisto-tool");
  const std::string entry = dir.File("config/autostart/tapisto-restore.desktop");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, entry + "\n");
  EXPECT_CONTAINS(ReadProgramOutput(entry),
                  "\nExec=\"" + dir.File("Mein \\\\$Ordner 100%%") + "/tapisto-tool\" restore\n");
  const ProgramResult valid = RunProgram("/usr/bin/desktop-file-validate", {entry}, dir.File("v"));
  EXPECT_TRUE(valid.exitCode == -1 || valid.exitCode == 0) << valid.out << valid.err;  // -1: none
}

}  // namespace
}  // namespace tapisto::test
