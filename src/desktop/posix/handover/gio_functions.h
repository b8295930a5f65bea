// The functions of GLib, GObject and GIO the hand-over calls (GSettings, GDBus, GVariant, file
// URIs), loaded on first use through libgio-2.0.so.0, whose own dependencies hold the GLib and
// GObject ones (loaded_library.h). They are called through the table by their usual names:
// Gio().g_variant_new("(s)", text). Only the hand-over sources include this header.
#pragma once

#include <gio/gio.h>

#include "desktop/posix/handover/loaded_library.h"

#define TAPISTO_GIO_FUNCTIONS(F)            \
  F(g_free)                                 \
  F(g_clear_error)                          \
  F(g_object_unref)                         \
  F(g_utf8_validate)                        \
  F(g_filename_to_uri)                      \
  F(g_filename_from_uri)                    \
  F(g_dbus_error_is_remote_error)           \
  F(g_dbus_error_strip_remote_error)        \
  F(g_dbus_address_get_for_bus_sync)        \
  F(g_dbus_connection_new_for_address_sync) \
  F(g_dbus_connection_close_sync)           \
  F(g_dbus_connection_call_sync)            \
  F(g_settings_schema_source_get_default)   \
  F(g_settings_schema_source_lookup)        \
  F(g_settings_schema_has_key)              \
  F(g_settings_schema_unref)                \
  F(g_settings_new_full)                    \
  F(g_settings_get_string)                  \
  F(g_settings_set_string)                  \
  F(g_settings_delay)                       \
  F(g_settings_apply)                       \
  F(g_settings_revert)                      \
  F(g_settings_sync)                        \
  F(g_variant_new)                          \
  F(g_variant_new_string)                   \
  F(g_variant_new_int32)                    \
  F(g_variant_new_double)                   \
  F(g_variant_new_variant)                  \
  F(g_variant_new_array)                    \
  F(g_variant_get)                          \
  F(g_variant_get_string)                   \
  F(g_variant_get_int32)                    \
  F(g_variant_get_uint32)                   \
  F(g_variant_get_double)                   \
  F(g_variant_get_variant)                  \
  F(g_variant_get_child_value)              \
  F(g_variant_n_children)                   \
  F(g_variant_is_of_type)                   \
  F(g_variant_iter_next)                    \
  F(g_variant_iter_free)                    \
  F(g_variant_unref)

namespace tapisto {

struct GioFunctions {
  TAPISTO_GIO_FUNCTIONS(TAPISTO_FUNCTION_MEMBER)
};

// The functions, loaded at the first call; throws DesktopError when the library or one of the
// functions is missing (and tries again at the next call).
const GioFunctions& Gio();

// A GVariant type from its text ("(s)"), as G_VARIANT_TYPE gives it without its check, which
// is a call into GLib.
inline const GVariantType* VariantType(const char* text) {
  return reinterpret_cast<const GVariantType*>(text);
}

}  // namespace tapisto
