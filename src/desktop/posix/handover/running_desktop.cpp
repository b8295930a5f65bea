#include "desktop/posix/handover/running_desktop.h"

#include <exception>

#include "desktop/posix/handover/gnome_background.h"
#include "desktop/posix/handover/x11_root_wallpaper.h"

namespace tapisto {

namespace {

constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kColorsKey = "Control Panel\\Colors";

void Put(Hive& hive, const char* key, const char* name, const std::string& text) {
  HiveKey& section = hive.SectionFor(key);
  HiveValue value = MakeStringValue(name, text);
  if (HiveValue* existing = FindValue(section, name)) {
    value.name = existing->name;
    *existing = std::move(value);
  } else {
    section.values.push_back(std::move(value));
  }
}

std::string Get(Hive& hive, const char* key, const char* name) {
  const HiveKey* section = hive.FindKey(key);
  const HiveValue* value = section != nullptr ? FindValue(*section, name) : nullptr;
  return value != nullptr && value->type == ValueType::String ? value->text : "";
}

}  // namespace

void RunningDesktop::HandOver(const RequestedDesktop& request) {
  const DesktopPicture picture = DesktopPictureFrom(request);
  std::exception_ptr first;
  try {
    ShowOnX11Root(picture);
  } catch (const Error&) {
    first = std::current_exception();
  }
  try {
    WriteGnomeBackground(picture);
  } catch (const Error&) {
    if (!first) first = std::current_exception();
  }
  if (first) std::rethrow_exception(first);
}

void SeedFromRunningDesktop(Hive& hive) {
  const std::optional<GnomeBackground> gnome = ReadGnomeBackground();
  if (!gnome) return;
  PutDesktopValues(hive, DesktopValuesFromGnome(*gnome, DesktopValuesOf(hive)));
}

void PutDesktopValues(Hive& hive, const RequestedDesktop& values) {
  Put(hive, kDesktopKey, "Wallpaper", values.wallpaper);
  Put(hive, kDesktopKey, "TileWallpaper", values.tileWallpaper);
  Put(hive, kDesktopKey, "WallpaperStyle", values.wallpaperStyle);
  Put(hive, kColorsKey, "Background", values.background);
}

RequestedDesktop DesktopValuesOf(Hive& hive) {
  return {Get(hive, kDesktopKey, "Wallpaper"), Get(hive, kDesktopKey, "WallpaperStyle"),
          Get(hive, kDesktopKey, "TileWallpaper"), Get(hive, kColorsKey, "Background")};
}

}  // namespace tapisto
