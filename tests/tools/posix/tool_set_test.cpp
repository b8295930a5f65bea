// tapisto-tool set and restore on the user's own hive and a running desktop: MATE's real
// schema with GSettings' keyfile backend in a scratch folder (no service to start), its
// schema hidden for a desktop that fails, and the autostart entry restore writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/desktop_fakes.h"
#include "support/picture_files.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace tapisto::test {
namespace {

// The files compared here have no "\r\n" in them.
std::string FileText(const std::string& path) {
  return ReadProgramOutput(path);
}

class ToolOnTheDesktop : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists("/usr/share/glib-2.0/schemas/org.mate.background.gschema.xml")) {
      GTEST_SKIP() << "the schema org.mate.background is not installed (mate-desktop-common)";
    }
    std::filesystem::create_directories(dir.File("home"));
    WriteBytes(dir.File("Logo.png"), MakePng(PatternRgba(8, 8)));
  }

  ProgramResult Tool(const std::vector<std::string>& args, const std::string& program = "") {
    return RunProgram(program.empty() ? TAPISTO_TOOL_PATH : program, args, dir.File("tool"));
  }
  std::string Keyfile() const { return FileText(dir.File("config/glib-2.0/settings/keyfile")); }
  void WriteKeyfile(const std::string& lines) const {
    std::filesystem::create_directories(dir.File("config/glib-2.0/settings"));
    std::ofstream(dir.File("config/glib-2.0/settings/keyfile")) << "[org/mate/desktop/background]\n"
                                                                << lines;
  }
  std::string Hive() const { return FileText(dir.File("config/tapisto/HKCU.reg")); }

  TempDir dir;
  ScopedEnv home{"HOME", dir.File("home")};
  ScopedEnv config{"XDG_CONFIG_HOME", dir.File("config")};
  ScopedEnv backend{"GSETTINGS_BACKEND", "keyfile"};
  ScopedEnv session{"XDG_CURRENT_DESKTOP", "MATE"};
  ScopedEnv display{"DISPLAY", std::nullopt};
  ScopedEnv sway{"SWAYSOCK", std::nullopt};
};

TEST_F(ToolOnTheDesktop, SetSeedsTheHiveAndTheHiveAndDesktopNameOneAbsoluteFile) {
  WriteKeyfile("picture-filename='/alt.jpg'\nprimary-color='#102030'\n");
  const std::string picture = dir.File("Mein \"Bild\" l'été.bmp");
  ASSERT_EQ(Tool({"decode", dir.File("Logo.png"), picture}).exitCode, 0);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const ProgramResult r = Tool({"set", "--style", "nebeneinander", "Mein \"Bild\" l'été.bmp"});
  std::filesystem::current_path(before);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // The hive quotes " with a backslash; GSettings' keyfile puts the text in double quotes.
  EXPECT_NE(Hive().find("\"Wallpaper\"=\"" + dir.File("Mein \\\"Bild\\\" l'été.bmp") + "\""),
            std::string::npos)
      << Hive();
  EXPECT_NE(Keyfile().find("picture-filename=\"" + dir.File("Mein \\\"Bild\\\" l'été.bmp") + "\""),
            std::string::npos)
      << Keyfile();
  EXPECT_NE(Keyfile().find("picture-options='wallpaper'"), std::string::npos) << Keyfile();
  // The colour came from the desktop at the first use, and went back to it.
  EXPECT_NE(Hive().find("\"Background\"=\"16 32 48\""), std::string::npos) << Hive();
  EXPECT_NE(Keyfile().find("primary-color='#102030'"), std::string::npos) << Keyfile();

  // restore hands the hive's wallpaper back after the desktop changed.
  WriteKeyfile("picture-filename='/anders.jpg'\n");
  const ProgramResult restored = Tool({"restore"});
  EXPECT_EQ(restored.exitCode, 0) << restored.err;
  EXPECT_NE(Keyfile().find("Mein \\\"Bild\\\""), std::string::npos) << Keyfile();
}

TEST_F(ToolOnTheDesktop, ADesktopThatFailsExitsThreeWithTheHiveWritten) {
  ScopedEnv noSchemas("XDG_DATA_DIRS", dir.File("empty-share"));
  ScopedEnv schemaDir("GSETTINGS_SCHEMA_DIR", std::nullopt);
  const std::string failure =
      "Der Desktop MATE hat das Hintergrundbild nicht übernommen: Das GSettings-Schema "
      "org.mate.background ist nicht installiert\n";
  struct Row {
    std::vector<std::string> args;
    int exitCode;
    std::string err;
  };
  const std::string noHive = "tapisto-tool: no settings file " +
                             dir.File("config/tapisto/HKCU.reg") + " yet, nothing to restore\n";
  for (const Row& row : {
           Row{{"restore"}, 0, noHive},
           Row{{"set", "--style", "anpassen", dir.File("Logo.png")}, 3, failure},
           Row{{"restore"}, 3, failure},
           Row{{"set", "--style", "normal", dir.File("Logo.png")}, 2, ""},
           Row{{"set", "--style", "anpassen", dir.File("fehlt.png")}, 1, ""},
       }) {
    SCOPED_TRACE(row.args[0] + " " + std::to_string(row.exitCode));
    const ProgramResult r = Tool(row.args);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    if (!row.err.empty()) {
      EXPECT_EQ(r.err, row.err);
    }
  }
  EXPECT_NE(Hive().find("Meine Wallpapers/Logo.jpg"), std::string::npos) << Hive();
}

TEST_F(ToolOnTheDesktop, AutostartEntryRunsThisToolsRestore) {
  // A copy in a folder whose name needs quoting in the entry.
  const std::string folder = dir.File("Mein $Ordner 100%");
  std::filesystem::create_directories(folder);
  const std::string tool = folder + "/tapisto-tool";
  std::filesystem::copy_file(TAPISTO_TOOL_PATH, tool);
  const ProgramResult r = Tool({"restore", "--autostart"}, tool);
  const std::string entry = dir.File("config/autostart/tapisto-restore.desktop");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, entry + "\n");
  const std::string text = FileText(entry);
  EXPECT_NE(text.find("\nExec=\"" + folder.substr(0, folder.find('$')) +
                      "\\\\$Ordner 100%%/tapisto-tool\" restore\n"),
            std::string::npos)
      << text;
  const ProgramResult valid =
      RunProgram("/usr/bin/desktop-file-validate", {entry}, dir.File("validate"));
  if (valid.exitCode != -1) {  // desktop-file-validate is installed
    EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
  }
}

}  // namespace
}  // namespace tapisto::test
