// The desktops that keep their background in GSettings: GNOME (and the desktops sharing its
// schema), Cinnamon and MATE. One hand-over reads and writes them through GIO, never through a
// command; each desktop is a row of data saying where its keys are.
#pragma once

#include <memory>

#include "desktop/posix/handover/desktop_handover.h"

namespace tapisto {

// Where one desktop keeps its background. Every schema has picture-options with GNOME's names
// (GnomePictureOptions), primary-color ("#rrggbb") and color-shading-type.
struct GSettingsBackground {
  const char* desktopName;     // as the log shows it
  const char* schema;          // the schema id
  const char* pictureKey;      // the key naming the picture
  bool pictureIsUri;           // a file:// URI there, else a plain path
  const char* darkPictureKey;  // written like pictureKey where the schema has it; nullptr: none
  // Whether picture-options knows "none". Where it does not, no picture is an empty picture
  // key alone, and picture-options keeps its value.
  bool hasNoneOption;
};

inline constexpr GSettingsBackground kGnomeBackground{
    "GNOME", "org.gnome.desktop.background", "picture-uri", true, "picture-uri-dark", true};
inline constexpr GSettingsBackground kCinnamonBackground{
    "Cinnamon", "org.cinnamon.desktop.background", "picture-uri", true, nullptr, true};
inline constexpr GSettingsBackground kMateBackground{
    "MATE", "org.mate.background", "picture-filename", false, nullptr, false};

class GSettingsHandOver final : public DesktopHandOver {
 public:
  explicit GSettingsHandOver(const GSettingsBackground& where) : where_(where) {}

  std::string Name() const override { return where_.desktopName; }

  // Writes the picture (made absolute; as a percent-encoded file URI where the key takes one;
  // "" for none), picture-options, primary-color and color-shading-type "solid" as one change
  // and waits until the settings service has them (g_settings_sync). Throws DesktopError when
  // the schema is not installed or a key cannot be written.
  void HandOver(const DesktopPicture& picture) override;

  // The same keys as they are now. Throws DesktopError when the schema is not installed.
  ShownDesktop ReadShown() override;

 private:
  const GSettingsBackground& where_;
};

template <const GSettingsBackground& where>
std::unique_ptr<DesktopHandOver> MakeGSettingsHandOver() {
  return std::make_unique<GSettingsHandOver>(where);
}

}  // namespace tapisto
