// `plasma_shell_standin FOLDER MOCK`: KDE Plasma's shell where none can run. It owns
// org.kde.plasmashell and answers evaluateScript on /PlasmaShell with what `node MOCK
// FOLDER/desktops.json SCRIPT` prints, a script error as a D-Bus error; while FOLDER/refuse
// exists, with its text as a D-Bus error, as the shell does while its widgets are locked.
// "ready" goes to descriptor 3 once the name is owned.
#include <gio/gio.h>
#include <unistd.h>

#include <string>

namespace {

char** args;  // FOLDER and MOCK from 1

// GDBus answers methods missing from the interface itself, so every call is evaluateScript.
void OnCall(GDBusConnection*, const char*, const char*, const char*, const char*,
            GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
  const char* script = nullptr;
  g_variant_get(parameters, "(&s)", &script);
  const std::string state = std::string(args[1]) + "/desktops.json";
  const char* argv[] = {"node", args[2], state.c_str(), script, nullptr};
  gchar *out = nullptr, *err = nullptr;
  int status = 0;
  GError* error = nullptr;
  if (g_file_get_contents((std::string(args[1]) + "/refuse").c_str(), &err, nullptr, nullptr)) {
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                               err);
  } else if (g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                          nullptr, &out, &err, &status, &error) &&
             g_spawn_check_wait_status(status, &error)) {
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", out));
  } else {
    const std::string message = std::string(error->message) + ": " + (err != nullptr ? err : "");
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                               message.c_str());
  }
  g_clear_error(&error);
  g_free(out);
  g_free(err);
}

}  // namespace

int main(int, char** argv) {
  args = argv;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return 1;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(
      "<node><interface name='org.kde.PlasmaShell'><method name='evaluateScript'>"
      "<arg type='s' direction='in'/><arg type='s' direction='out'/></method></interface></node>",
      nullptr);
  const GDBusInterfaceVTable vtable{OnCall, nullptr, nullptr, {}};
  g_dbus_connection_register_object(bus, "/PlasmaShell", node->interfaces[0], &vtable, nullptr,
                                    nullptr, nullptr);
  g_bus_own_name_on_connection(
      bus, "org.kde.plasmashell", G_BUS_NAME_OWNER_FLAGS_NONE,
      [](GDBusConnection*, const char*, gpointer) { (void)!::write(3, "ready\n", 6), ::close(3); },
      nullptr, nullptr, nullptr);
  g_main_loop_run(g_main_loop_new(nullptr, FALSE));
  return 0;
}
