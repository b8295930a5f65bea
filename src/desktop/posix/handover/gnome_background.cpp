#include "desktop/posix/handover/gnome_background.h"

#include <gio/gio.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "desktop/posix/handover/file_uri.h"

namespace tapisto {

namespace {

constexpr const char* kSchema = "org.gnome.desktop.background";

struct ObjectUnref {
  void operator()(void* object) const noexcept { g_object_unref(object); }
};
struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const noexcept { g_settings_schema_unref(schema); }
};
struct Free {
  void operator()(void* memory) const noexcept { g_free(memory); }
};
using SettingsPtr = std::unique_ptr<GSettings, ObjectUnref>;
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using TextPtr = std::unique_ptr<char, Free>;

// The installed schema; nullptr when it is not installed. A missing schema must be looked up
// this way: creating settings for an unknown schema ends the program.
SchemaPtr LookUpSchema() {
  GSettingsSchemaSource* source = g_settings_schema_source_get_default();
  if (source == nullptr) return nullptr;
  return SchemaPtr(g_settings_schema_source_lookup(source, kSchema, TRUE));
}

bool SessionUsesIt() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  const char* backend = std::getenv("GSETTINGS_BACKEND");
  return SessionUsesGnomeBackground(desktop != nullptr ? desktop : "",
                                    backend != nullptr && *backend != '\0');
}

// The settings when the session uses them and the schema has every key written here.
SettingsPtr OpenBackground(SchemaPtr& schema) {
  if (!SessionUsesIt()) return nullptr;
  schema = LookUpSchema();
  if (!schema) return nullptr;
  for (const char* key :
       {"picture-uri", "picture-options", "primary-color", "color-shading-type"}) {
    if (!g_settings_schema_has_key(schema.get(), key)) return nullptr;
  }
  return SettingsPtr(g_settings_new_full(schema.get(), nullptr, nullptr));
}

void Set(GSettings* settings, const char* key, const std::string& value) {
  if (!g_settings_set_string(settings, key, value.c_str())) {
    throw DesktopError(std::string("Die GNOME-Einstellung ") + key + " ist nicht beschreibbar");
  }
}

std::string GetString(GSettings* settings, const char* key) {
  TextPtr value(g_settings_get_string(settings, key));
  return value ? value.get() : "";
}

}  // namespace

bool GnomeBackgroundAvailable() {
  return SessionUsesIt() && LookUpSchema() != nullptr;
}

bool WriteGnomeBackground(const DesktopPicture& picture) {
  SchemaPtr schema;
  const SettingsPtr settings = OpenBackground(schema);
  if (!settings) return false;
  const std::string uri = FileUri(picture.file);
  GSettings* s = settings.get();
  // Delayed, the keys reach the desktop as one change: it redraws once, not once per key.
  g_settings_delay(s);
  try {
    Set(s, "picture-uri", uri);
    if (g_settings_schema_has_key(schema.get(), "picture-uri-dark")) {
      Set(s, "picture-uri-dark", uri);
    }
    Set(s, "picture-options", std::string(GnomePictureOptions(picture.style, !uri.empty())));
    Set(s, "primary-color", GnomeColour(picture.background));
    Set(s, "color-shading-type", "solid");
  } catch (...) {
    g_settings_revert(s);
    throw;
  }
  g_settings_apply(s);
  g_settings_sync();
  return true;
}

std::optional<GnomeBackground> ReadGnomeBackground() {
  SchemaPtr schema;
  const SettingsPtr settings = OpenBackground(schema);
  if (!settings) return std::nullopt;
  GnomeBackground background;
  const std::string uri = GetString(settings.get(), "picture-uri");
  background.picturePath = PathOfFileUri(uri).value_or("");
  background.pictureOptions = GetString(settings.get(), "picture-options");
  background.primaryColour = GetString(settings.get(), "primary-color");
  return background;
}

namespace {
constexpr const char* kMissingSchema =
    "Das GSettings-Schema org.gnome.desktop.background ist nicht installiert";
}  // namespace

void GnomeHandOver::HandOver(const DesktopPicture& picture) {
  if (!WriteGnomeBackground(picture)) throw DesktopError(kMissingSchema);
}

ShownDesktop GnomeHandOver::ReadShown() {
  const std::optional<GnomeBackground> gnome = ReadGnomeBackground();
  if (!gnome) throw DesktopError(kMissingSchema);
  return ShownFromGnome(*gnome);
}

}  // namespace tapisto
