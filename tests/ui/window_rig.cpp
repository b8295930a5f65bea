#include "window_rig.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "desktop/apply.h"
#include "image/bmp.h"
#include "image/file_io.h"
#include "image/jpeg_encode.h"
#include "support/picture_files.h"

namespace tapisto::test {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

WindowRig::WindowRig(int screenWidth, int screenHeight)
    : home("HOME", dir.File("home")),
      configHome("XDG_CONFIG_HOME", dir.File("config")),
      screen(screenWidth, screenHeight) {
  fs::create_directories(Documents());
  fs::create_directories(AppData());
  fs::create_directories(Temp());
  shell.personal = Documents();
  shell.appData = AppData();
  shell.temp = WithSeparator(Temp());
  WriteHive({});
}

std::string WindowRig::Path(const std::string& relative) const {
  const auto u8 = (dir.path() / PathFromUtf8(relative)).make_preferred().u8string();
  return std::string(u8.begin(), u8.end());
}

std::string WindowRig::Desktop(const std::string& name) {
  const auto key = settings.Store().OpenKey(kDesktopKey);
  return key ? key->ReadString(name, "<missing>") : "<no key>";
}

std::string WindowRig::Bmp(const std::string& name, int w, int h) const {
  const std::string path = dir.File(name);
  WriteBmpFile(PatternRaster(w, h), path);
  return path;
}

std::string WindowRig::Png(const std::string& name, int w, int h) const {
  const std::string path = dir.File(name);
  WriteBytes(path, MakePng(PatternRgba(w, h)));
  return path;
}

std::string WindowRig::Jpeg(const std::string& name, int w, int h) const {
  const std::string path = dir.File(name);
  WriteJpegFile(PatternRaster(w, h), 90, path);
  return path;
}

std::string WindowRig::Gif(const std::string& name, int w, int h) const {
  const std::string path = dir.File(name);
  WriteBytes(path, MakeGif(Raster(w, h, ComposeRgb(1, 2, 3))));
  return path;
}

std::string WindowRig::Bytes(const std::string& name, const std::string& content) const {
  const std::string path = dir.File(name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

void WindowRig::AtPump(int n, std::function<void()> event) {
  if (n <= 1) {
    pump.Post(std::move(event));
    return;
  }
  pump.Post([this, n, event = std::move(event)]() mutable { AtPump(n - 1, std::move(event)); });
}

}  // namespace tapisto::test
