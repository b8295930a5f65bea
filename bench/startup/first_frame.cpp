// Times one start of a program to its first drawn window on the X server: exec, then the
// server's own events. The root window's SubstructureNotify reports the program's top-level
// window when it is mapped; a Damage object on that window then reports the first drawing in
// it. Nothing is polled. Prints the milliseconds from just before the fork to that damage and
// the program's peak resident size then (kB), and ends the program.
// Usage: first_frame PROGRAM [ARGUMENT]...   (DISPLAY names the server)
// With FIRST_FRAME_LIBRARIES naming a file, the shared libraries the program has mapped at
// its first drawing go there, one path a line (bench/startup/libraries.sh).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "first_frame: %s\n", what);
  std::exit(2);
}

// The files ending in .so or .so.N... that /proc/PID/maps shows, each once, in map order.
void WriteLibraries(pid_t pid, const char* listPath) {
  char mapsPath[64];
  std::snprintf(mapsPath, sizeof mapsPath, "/proc/%d/maps", static_cast<int>(pid));
  std::ifstream maps(mapsPath);
  std::ofstream out(listPath);
  std::set<std::string> seen;
  std::string line;
  while (std::getline(maps, line)) {
    const std::size_t slash = line.find('/');
    if (slash == std::string::npos) continue;
    const std::string path = line.substr(slash);
    if (path.find(".so") == std::string::npos || !seen.insert(path).second) continue;
    out << path << "\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Die("usage: first_frame PROGRAM [ARGUMENT]...");
  xcb_connection_t* x = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(x)) Die("cannot open the display");
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(x, &xcb_damage_id);
  if (damage == nullptr || !damage->present) Die("the server has no DAMAGE extension");
  Reply<xcb_damage_query_version_reply_t> version(
      xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), nullptr), &std::free);
  if (!version) Die("DAMAGE version query failed");
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(x);
  // A round trip, so the server has the mask before the program can map anything.
  std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) Die("fork failed");
  if (child == 0) {
    close(xcb_get_file_descriptor(x));
    execvp(argv[1], argv + 1);
    _exit(127);
  }

  const std::uint8_t damageNotify = damage->first_event + XCB_DAMAGE_NOTIFY;
  xcb_window_t window = XCB_NONE;
  double ms = -1;
  while (xcb_generic_event_t* event = xcb_wait_for_event(x)) {
    const std::uint8_t type = event->response_type & 0x7F;
    if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
      const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
      if (!map->override_redirect) {
        window = map->window;
        // Reports once, at the first drawing. The program draws on the Expose that follows
        // its map, which it sees no sooner than this request reaches the server.
        xcb_damage_create(x, xcb_generate_id(x), window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(x);
      }
    } else if (type == damageNotify && window != XCB_NONE) {
      ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
               .count();
      std::free(event);
      break;
    }
    std::free(event);
  }
  if (const char* list = std::getenv("FIRST_FRAME_LIBRARIES")) WriteLibraries(child, list);
  long peakKb = -1;
  char statusPath[64];
  std::snprintf(statusPath, sizeof statusPath, "/proc/%d/status", static_cast<int>(child));
  if (std::FILE* status = std::fopen(statusPath, "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
      if (std::sscanf(line, "VmHWM: %ld", &peakKb) == 1) break;
    }
    std::fclose(status);
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  xcb_disconnect(x);
  if (ms < 0) Die("the connection ended before a window was drawn");
  std::printf("%.2f %ld\n", ms, peakKb);
  return 0;
}
