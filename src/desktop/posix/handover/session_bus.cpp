#include "desktop/posix/handover/session_bus.h"

#include "desktop/posix/handover/requested_desktop.h"

namespace tapisto {

namespace {

// The error's message without GIO's remote-error prefix, and the error freed.
std::string TakeMessage(GError*& error) {
  if (error == nullptr) return "unbekannter Fehler";
  if (Gio().g_dbus_error_is_remote_error(error)) Gio().g_dbus_error_strip_remote_error(error);
  std::string message = error->message;
  Gio().g_clear_error(&error);
  return message;
}

}  // namespace

SessionBus::SessionBus() {
  GError* error = nullptr;
  char* address = Gio().g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (address == nullptr) {
    throw DesktopError("Kein D-Bus-Sitzungsbus: " + TakeMessage(error));
  }
  connection_ = Gio().g_dbus_connection_new_for_address_sync(
      address,
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error);
  Gio().g_free(address);
  if (connection_ == nullptr) {
    throw DesktopError("Der D-Bus-Sitzungsbus ist nicht erreichbar: " + TakeMessage(error));
  }
}

SessionBus::~SessionBus() {
  Gio().g_dbus_connection_close_sync(connection_, nullptr, nullptr);
  Gio().g_object_unref(connection_);
}

VariantPtr SessionBus::Call(const char* service, const char* path, const char* interface,
                            const char* method, GVariant* arguments,
                            const GVariantType* replyType) {
  GError* error = nullptr;
  GVariant* reply = Gio().g_dbus_connection_call_sync(connection_, service, path, interface, method,
                                                      arguments, replyType, G_DBUS_CALL_FLAGS_NONE,
                                                      kTimeoutMs, nullptr, &error);
  if (reply == nullptr) {
    throw DesktopError(std::string(service) + " " + method + ": " + TakeMessage(error));
  }
  return VariantPtr(reply);
}

}  // namespace tapisto
