#include "view_rig.h"

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "desktop/apply.h"
#include "image/bmp.h"
#include "support/picture_files.h"

namespace tapisto::test {

namespace fs = std::filesystem;

ViewRig::ViewRig()
    : home_("HOME", dir_.File("home")),
      configHome_("XDG_CONFIG_HOME", dir_.File("config")),
      application(*qApp),
      settings(PosixSettingsStore::DefaultHivePath()) {
  fs::create_directories(Documents());
}

ViewRig::~ViewRig() {
  // The views let go of the models before the program goes.
  logWindowView.reset();
  mainView.reset();
}

void ViewRig::WriteDesktopHive(const std::vector<std::pair<std::string, std::string>>& values) {
  fs::create_directories(fs::path(settings.HivePath()).parent_path());
  std::ofstream out(settings.HivePath(), std::ios::binary | std::ios::trunc);
  out << "Windows Registry Editor Version 5.00\n\n"
      << "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"0 0 0\"\n\n"
      << "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n";
  for (const auto& [name, text] : values) out << '"' << name << "\"=\"" << text << "\"\n";
}

void ViewRig::Start() {
  program.Start();
  mainView = std::make_unique<MainWindowView>(*program.Form1(), dialogs);
  logWindowView = std::make_unique<LogWindowView>(*program.Form2(), dialogs);
  mainView->show();
  QApplication::setActiveWindow(mainView.get());
  (void)QTest::qWaitForWindowExposed(mainView.get());
}

std::string ViewRig::Desktop(const std::string& name) {
  const auto key = settings.OpenKey(kDesktopKey);
  return key ? key->ReadString(name, "<missing>") : "<no key>";
}

std::vector<std::string> ViewRig::WallpaperFiles() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(WallpaperFolder(), ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ViewRig::Bmp(const std::string& name, int w, int h) const {
  const std::string path = dir_.File(name);
  WriteBmpFile(PatternRaster(w, h), path);
  return path;
}

}  // namespace tapisto::test
