#include "desktop/posix/handover/running_desktop.h"

#include <cstdlib>

#include "desktop/posix/handover/gsettings_background.h"
#include "desktop/posix/handover/lxqt_handover.h"
#include "desktop/posix/handover/plasma_handover.h"
#include "desktop/posix/handover/sway_handover.h"
#include "desktop/posix/handover/x11_root_wallpaper.h"
#include "desktop/posix/handover/xfce_desktop.h"

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

// The desktops that paint their own background, in the order they are looked for: a session
// that names two is the first one's. Adding a desktop is its file and one line here.
struct KnownDesktop {
  // The entry of XDG_CURRENT_DESKTOP that names the desktop; "" where `runs` decides.
  std::string_view name;
  bool (*runs)(const SessionEnvironment& session);
  std::unique_ptr<DesktopHandOver> (*make)();

  bool RunsIn(const SessionEnvironment& session) const {
    return runs != nullptr ? runs(session) : CurrentDesktopNames(session.currentDesktop, name);
  }
};

template <typename HandOver>
std::unique_ptr<DesktopHandOver> Make() {
  return std::make_unique<HandOver>();
}

bool GnomeRuns(const SessionEnvironment& session) {
  return SessionUsesGnomeBackground(session.currentDesktop, session.explicitGSettingsBackend);
}

bool SwayRuns(const SessionEnvironment& session) {
  return session.swaySocket;
}

// GNOME last: an explicit GSettings backend alone counts as a GNOME session.
const KnownDesktop kKnownDesktops[] = {
    {"", SwayRuns, Make<SwayHandOver>},
    {"KDE", nullptr, Make<PlasmaHandOver>},
    {"XFCE", nullptr, Make<XfceHandOver>},
    {"Cinnamon", nullptr, MakeGSettingsHandOver<kCinnamonBackground>},
    {"MATE", nullptr, MakeGSettingsHandOver<kMateBackground>},
    {"LXQt", nullptr, Make<LxqtHandOver>},
    {"", GnomeRuns, MakeGSettingsHandOver<kGnomeBackground>},
};

}  // namespace

SessionEnvironment SessionEnvironment::OfThisProcess() {
  auto text = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  };
  return {text("XDG_CURRENT_DESKTOP"), !text("SWAYSOCK").empty(), !text("DISPLAY").empty(),
          !text("GSETTINGS_BACKEND").empty()};
}

std::vector<std::unique_ptr<DesktopHandOver>> DesktopsOfSession(const SessionEnvironment& session) {
  std::vector<std::unique_ptr<DesktopHandOver>> desktops;
  for (const KnownDesktop& desktop : kKnownDesktops) {
    if (desktop.RunsIn(session)) {
      desktops.push_back(desktop.make());
      return desktops;
    }
  }
  if (session.x11Display) desktops.push_back(std::make_unique<X11RootHandOver>());
  return desktops;
}

std::vector<std::string> RunningDesktop::Show(const RequestedDesktop& request) {
  const DesktopPicture picture = DesktopPictureFrom(request);
  const std::vector<std::unique_ptr<DesktopHandOver>> desktops =
      DesktopsOfSession(SessionEnvironment::OfThisProcess());
  if (desktops.empty()) {
    return {
        "Kein Desktop gefunden, der das Hintergrundbild zeigt (weder XDG_CURRENT_DESKTOP, "
        "SWAYSOCK noch DISPLAY nennen einen)"};
  }
  std::vector<std::string> failures;
  for (const std::unique_ptr<DesktopHandOver>& desktop : desktops) {
    try {
      desktop->HandOver(picture);
    } catch (const Error& e) {
      failures.push_back("Der Desktop " + desktop->Name() +
                         " hat das Hintergrundbild nicht übernommen: " + e.what());
    }
  }
  return failures;
}

void SeedFromRunningDesktop(Hive& hive) {
  for (const std::unique_ptr<DesktopHandOver>& desktop :
       DesktopsOfSession(SessionEnvironment::OfThisProcess())) {
    try {
      PutDesktopValues(hive, DesktopValuesFromShown(desktop->ReadShown(), DesktopValuesOf(hive)));
      return;
    } catch (const Error&) {
      // A desktop that cannot be asked leaves the fresh values as they are.
    }
  }
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
