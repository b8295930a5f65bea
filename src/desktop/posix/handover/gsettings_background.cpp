#include "desktop/posix/handover/gsettings_background.h"

#include <memory>
#include <string>

#include "desktop/posix/handover/file_uri.h"
#include "desktop/posix/handover/gio_functions.h"

namespace tapisto {

namespace {

struct ObjectUnref {
  void operator()(void* object) const noexcept { Gio().g_object_unref(object); }
};
struct SchemaUnref {
  void operator()(GSettingsSchema* schema) const noexcept { Gio().g_settings_schema_unref(schema); }
};
struct Free {
  void operator()(void* memory) const noexcept { Gio().g_free(memory); }
};
using SettingsPtr = std::unique_ptr<GSettings, ObjectUnref>;
using SchemaPtr = std::unique_ptr<GSettingsSchema, SchemaUnref>;
using TextPtr = std::unique_ptr<char, Free>;

// The installed schema, or a DesktopError saying it is missing. A missing schema must be
// looked up this way: creating settings for an unknown schema ends the program. A schema
// without one of the keys written here counts as missing too.
SchemaPtr InstalledSchema(const GSettingsBackground& where) {
  GSettingsSchemaSource* source = Gio().g_settings_schema_source_get_default();
  SchemaPtr schema(source != nullptr
                       ? Gio().g_settings_schema_source_lookup(source, where.schema, TRUE)
                       : nullptr);
  const std::string missing =
      std::string("Das GSettings-Schema ") + where.schema + " ist nicht installiert";
  if (!schema) throw DesktopError(missing);
  for (const char* key :
       {where.pictureKey, "picture-options", "primary-color", "color-shading-type"}) {
    if (!Gio().g_settings_schema_has_key(schema.get(), key)) {
      throw DesktopError(missing + " (ohne den Schlüssel " + key + ")");
    }
  }
  return schema;
}

std::string PictureText(const GSettingsBackground& where, const std::string& file) {
  if (file.empty()) return "";
  if (!Gio().g_utf8_validate(file.data(), static_cast<gssize>(file.size()), nullptr)) {
    throw DesktopError("Der Pfad \"" + file + "\" ist kein UTF-8-Text");
  }
  return where.pictureIsUri ? FileUri(file) : file;
}

// The local file a picture key names; "" for none, or for a URI that names no local file.
std::string PictureFile(const GSettingsBackground& where, const std::string& text) {
  return where.pictureIsUri ? PathOfFileUri(text).value_or("") : text;
}

void Set(const GSettingsBackground& where, GSettings* settings, const char* key,
         const std::string& value) {
  if (!Gio().g_settings_set_string(settings, key, value.c_str())) {
    throw DesktopError(std::string("Die Einstellung ") + where.schema + " " + key +
                       " ist nicht beschreibbar");
  }
}

std::string GetString(GSettings* settings, const char* key) {
  TextPtr value(Gio().g_settings_get_string(settings, key));
  return value ? value.get() : "";
}

}  // namespace

void GSettingsHandOver::HandOver(const DesktopPicture& picture) {
  const SchemaPtr schema = InstalledSchema(where_);
  const std::string text = PictureText(where_, AbsolutePicturePath(picture.file));
  const SettingsPtr settings(Gio().g_settings_new_full(schema.get(), nullptr, nullptr));
  GSettings* s = settings.get();
  // Delayed, the keys reach the desktop as one change: it redraws once, not once per key.
  Gio().g_settings_delay(s);
  try {
    Set(where_, s, where_.pictureKey, text);
    if (where_.darkPictureKey != nullptr &&
        Gio().g_settings_schema_has_key(schema.get(), where_.darkPictureKey)) {
      Set(where_, s, where_.darkPictureKey, text);
    }
    if (!text.empty() || where_.hasNoneOption) {
      Set(where_, s, "picture-options",
          std::string(GnomePictureOptions(picture.style, !text.empty())));
    }
    Set(where_, s, "primary-color", GnomeColour(picture.background));
    Set(where_, s, "color-shading-type", "solid");
  } catch (...) {
    Gio().g_settings_revert(s);
    throw;
  }
  Gio().g_settings_apply(s);
  // A settings service (dconf) may still hold the change when the process exits right after.
  Gio().g_settings_sync();
}

ShownDesktop GSettingsHandOver::ReadShown() {
  const SchemaPtr schema = InstalledSchema(where_);
  const SettingsPtr settings(Gio().g_settings_new_full(schema.get(), nullptr, nullptr));
  GnomeBackground background;
  background.picturePath = PictureFile(where_, GetString(settings.get(), where_.pictureKey));
  background.pictureOptions = GetString(settings.get(), "picture-options");
  background.primaryColour = GetString(settings.get(), "primary-color");
  return ShownFromGnome(background);
}

}  // namespace tapisto
