#include "desktop/posix/handover/posix_refresh.h"

namespace tapisto {

namespace {

std::string StringOrEmpty(SettingsKey* key, const std::string& name) {
  if (key == nullptr || key->ValueSize(name) < 0) return "";
  // The hive has just been read by ValueSize, so what fails here is the value's type.
  try {
    return key->ReadString(name, "");
  } catch (const SettingsError&) {
    return "";
  }
}

}  // namespace

void PosixRefresh::Refresh() {
  RequestedDesktop request;
  const std::unique_ptr<SettingsKey> desktop = store_.OpenKey("Control Panel\\Desktop");
  request.wallpaper = StringOrEmpty(desktop.get(), "Wallpaper");
  request.wallpaperStyle = StringOrEmpty(desktop.get(), "WallpaperStyle");
  request.tileWallpaper = StringOrEmpty(desktop.get(), "TileWallpaper");
  const std::unique_ptr<SettingsKey> colors = store_.OpenKey("Control Panel\\Colors");
  request.background = StringOrEmpty(colors.get(), "Background");
  failures_.clear();
  if (desktop_ == nullptr) return;
  failures_ = desktop_->Show(request);
  if (report_) {
    for (const std::string& line : failures_) report_(line);
  }
}

}  // namespace tapisto
