// A stand-in for KDE Plasma's shell on the session bus, for the desktop tests where no Plasma
// can run: it owns org.kde.plasmashell and answers evaluateScript(s) on /PlasmaShell as the
// shell does, running the script against a mock of the shell's scripting API in node.
//
//   plasma_shell_standin FOLDER MOCK
//
// Each script is kept as FOLDER/script-N.js (N counting from 1). When FOLDER/refuse exists
// the answer is a D-Bus error with its text, as the shell refuses scripts while its widgets
// are locked; else `node MOCK FOLDER/desktops.json SCRIPT` runs the script, and what it
// prints is the answer, a script error a D-Bus error. "ready" goes to descriptor 3 once the
// name is owned.
#include <gio/gio.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr const char* kInterface = R"(<node>
  <interface name="org.kde.PlasmaShell">
    <method name="evaluateScript">
      <arg type="s" name="script" direction="in"/>
      <arg type="s" direction="out"/>
    </method>
  </interface>
</node>)";

std::string folder;
std::string mock;
int scripts = 0;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Evaluate(GDBusMethodInvocation* invocation, const char* script) {
  const std::string path = folder + "/script-" + std::to_string(++scripts) + ".js";
  std::ofstream(path, std::ios::binary) << script;
  if (g_file_test((folder + "/refuse").c_str(), G_FILE_TEST_EXISTS)) {
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                               ReadFile(folder + "/refuse").c_str());
    return;
  }
  const std::string state = folder + "/desktops.json";
  const char* argv[] = {"node", mock.c_str(), state.c_str(), path.c_str(), nullptr};
  char* out = nullptr;
  char* err = nullptr;
  int status = 0;
  GError* error = nullptr;
  if (!g_spawn_sync(nullptr, const_cast<char**>(argv), nullptr, G_SPAWN_SEARCH_PATH, nullptr,
                    nullptr, &out, &err, &status, &error) ||
      !g_spawn_check_wait_status(status, &error)) {
    const std::string message = std::string(error->message) + ": " + (err != nullptr ? err : "");
    g_dbus_method_invocation_return_dbus_error(invocation, "org.freedesktop.DBus.Error.Failed",
                                               message.c_str());
  } else {
    g_dbus_method_invocation_return_value(invocation, g_variant_new("(s)", out));
  }
  g_clear_error(&error);
  g_free(out);
  g_free(err);
}

void OnCall(GDBusConnection*, const char*, const char*, const char*, const char* method,
            GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
  if (g_strcmp0(method, "evaluateScript") != 0) {
    g_dbus_method_invocation_return_dbus_error(invocation,
                                               "org.freedesktop.DBus.Error.UnknownMethod", method);
    return;
  }
  const char* script = nullptr;
  g_variant_get(parameters, "(&s)", &script);
  Evaluate(invocation, script);
}

void OnNameAcquired(GDBusConnection*, const char*, gpointer) {
  (void)!::write(3, "ready\n", 6);
  ::close(3);
}

void OnNameLost(GDBusConnection*, const char*, gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  folder = argv[1];
  mock = argv[2];
  GError* error = nullptr;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
  if (bus == nullptr) return 1;
  GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
  const GDBusInterfaceVTable vtable{OnCall, nullptr, nullptr, {}};
  g_dbus_connection_register_object(bus, "/PlasmaShell", node->interfaces[0], &vtable, nullptr,
                                    nullptr, nullptr);
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_bus_own_name_on_connection(bus, "org.kde.plasmashell", G_BUS_NAME_OWNER_FLAGS_NONE,
                               OnNameAcquired, OnNameLost, loop, nullptr);
  g_main_loop_run(loop);
  return 0;
}
