// Method calls on the user's D-Bus session bus through GIO's GDBus, for the desktops that are
// reached over it (KDE Plasma's shell, Xfce's settings service). Only the hand-over sources
// include this header. GIO is loaded at the first connection (gio_functions.h).
#pragma once

#include <memory>
#include <string>

#include "desktop/posix/handover/gio_functions.h"

namespace tapisto {

struct VariantUnref {
  void operator()(GVariant* value) const noexcept { Gio().g_variant_unref(value); }
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

// A connection of its own to the session bus that DBUS_SESSION_BUS_ADDRESS names, made afresh
// (GIO's shared connection would keep the bus of the first use for the life of the process).
class SessionBus {
 public:
  // Throws DesktopError naming the reason when there is no session bus or it cannot be reached.
  SessionBus();
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Calls `method` of `interface` on the object `path` of `service` with `arguments` (a tuple;
  // a floating reference is taken) and waits at most kTimeoutMs for the reply, whose type must
  // be `replyType`. Throws DesktopError with the service's own error message (a missing
  // service, a refusal, a timeout).
  VariantPtr Call(const char* service, const char* path, const char* interface, const char* method,
                  GVariant* arguments, const GVariantType* replyType);

  // How long a call may take before the desktop counts as not reachable.
  static constexpr int kTimeoutMs = 5000;

 private:
  GDBusConnection* connection_ = nullptr;
};

}  // namespace tapisto
