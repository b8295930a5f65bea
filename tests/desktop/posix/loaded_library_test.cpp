// Xlib, XRandR and GIO loaded on first use: a missing library or function is a DesktopError
// naming it, every function of the tables is found, and a run loads only what its desktop
// needs (the loader's own log, LD_DEBUG=files, tells which libraries a run of the tool loaded).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "desktop/posix/handover/gio_functions.h"
#include "desktop/posix/handover/loaded_library.h"
#include "desktop/posix/handover/x11_functions.h"
#include "desktop_rig.h"
#include "desktop_session.h"
#include "support/picture_files.h"
#include "support/run_program.h"

namespace tapisto::test {
namespace {

TEST(LoadedLibrary, AMissingLibraryOrFunctionIsADesktopErrorNamingIt) {
  struct Case {
    const char* soname;
    const char* function;
    std::string message;  // the start of the error's text
  };
  const Case cases[] = {
      {"libtapisto-absent.so.0", "XOpenDisplay",
       "Die Bibliothek libtapisto-absent.so.0 lässt sich nicht laden: "},
      {"libX11.so.6", "XTapistoAbsent",
       "Der Bibliothek libX11.so.6 fehlt die Funktion XTapistoAbsent: "},
      {"libgio-2.0.so.0", "g_tapisto_absent",
       "Der Bibliothek libgio-2.0.so.0 fehlt die Funktion g_tapisto_absent: "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.soname) + " " + c.function);
    try {
      const LoadedLibrary library(c.soname);
      library.Function(c.function);
      ADD_FAILURE() << "no error";
    } catch (const DesktopError& e) {
      EXPECT_EQ(std::string(e.what()).substr(0, c.message.size()), c.message);
    }
  }
}

#define TAPISTO_EXPECT_LOADED(name) EXPECT_NE(table.name, nullptr) << #name;

TEST(LoadedLibrary, EveryFunctionOfTheTablesIsFoundAndCallable) {
  {
    const x11::XlibFunctions& table = x11::Xlib();
    TAPISTO_XLIB_FUNCTIONS(TAPISTO_EXPECT_LOADED)
  }
  {
    const x11::XRandRFunctions& table = x11::XRandR();
    TAPISTO_XRANDR_FUNCTIONS(TAPISTO_EXPECT_LOADED)
  }
  const GioFunctions& table = Gio();
  TAPISTO_GIO_FUNCTIONS(TAPISTO_EXPECT_LOADED)
  // GLib's functions come through GIO's dependencies.
  EXPECT_TRUE(table.g_utf8_validate("Grün", -1, nullptr));
  EXPECT_FALSE(table.g_utf8_validate("Gr\xfcn", -1, nullptr));
  GVariant* number = table.g_variant_new_int32(7);
  EXPECT_TRUE(table.g_variant_is_of_type(number, G_VARIANT_TYPE_INT32));
  EXPECT_TRUE(table.g_variant_is_of_type(number, VariantType("i")));
  EXPECT_EQ(table.g_variant_get_int32(number), 7);
  table.g_variant_unref(number);
}

#undef TAPISTO_EXPECT_LOADED

// The libraries a run of `tapisto-tool set` loaded, as the loader's log names them.
struct Loaded {
  bool xlib = false;
  bool xrandr = false;
  bool gio = false;
  bool operator==(const Loaded&) const = default;
};

Loaded LoadedBy(const std::string& loaderLog) {
  auto has = [&](const char* soname) {
    return loaderLog.find(std::string("file=") + soname + " ") != std::string::npos;
  };
  return {has("libX11.so.6"), has("libXrandr.so.2"), has("libgio-2.0.so.0")};
}

std::string Said(const Loaded& loaded) {
  return std::string(loaded.xlib ? "Xlib " : "") + (loaded.xrandr ? "XRandR " : "") +
         (loaded.gio ? "GIO" : "");
}

TEST(LoadedLibrary, ARunLoadsOnlyTheLibrariesItsDesktopNeeds) {
  if (FindOnPath("Xvfb").empty()) GTEST_SKIP() << "Xvfb is not installed (Debian: xvfb)";
  XvfbServer server("64x48x24");
  struct Case {
    const char* session;
    std::optional<std::string> display;
    std::optional<std::string> currentDesktop;
    int exitCode;
    Loaded loaded;
  };
  const Case cases[] = {
      // No desktop to hand the picture to: the run says so and loads none of them.
      {"no desktop", std::nullopt, std::nullopt, 3, {}},
      {"an X11 root window", server.DisplayName(), std::nullopt, 0, {true, true, false}},
      // Xfce's settings service is reached over D-Bus; here there is no bus.
      {"Xfce without a bus", std::nullopt, "XFCE", 3, {false, false, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.session);
    DesktopRig rig;
    WriteBytes(rig.dir.File("Logo.png"), MakePng(PatternRgba(8, 8)));
    ScopedEnv display("DISPLAY", c.display);
    ScopedEnv desktop("XDG_CURRENT_DESKTOP", c.currentDesktop);
    ScopedEnv sway("SWAYSOCK", std::nullopt);
    ScopedEnv backend("GSETTINGS_BACKEND", std::nullopt);
    ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + rig.dir.File("no-bus"));
    ScopedEnv loaderLog("LD_DEBUG", "files");
    const ProgramResult r =
        RunProgram(TAPISTO_TOOL_PATH,
                   {"set", "--style", "normal", "--screen", "64x48", rig.dir.File("Logo.png")},
                   rig.dir.File("tool"));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(Said(LoadedBy(r.err)), Said(c.loaded));
  }
}

}  // namespace
}  // namespace tapisto::test
