// The desktop settings under test: the system's real settings store, holding only what the
// test wrote. On Linux that is a hive file in the test's scratch folder; on Windows a scratch
// key of the current user's registry that stands for the user's root, so tests never touch
// the desktop's own settings and never each other's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ports/settings_store.h"

namespace tapisto::test {

class SettingsRig {
 public:
  // `hivePath`: where the hive file lives on Linux (unused on Windows).
  explicit SettingsRig(const std::string& hivePath);
  ~SettingsRig();
  SettingsRig(const SettingsRig&) = delete;
  SettingsRig& operator=(const SettingsRig&) = delete;

  SettingsStore& Store();
  // Replaces everything stored by the keys and values of `body`, written as the body of a
  // registry export: "[HKEY_CURRENT_USER\Control Panel\Desktop]" sections and value lines
  // "name"="text", "name"=dword:0000000a, "name"=hex:01,02, "name"=hex(N):01,02.
  void WriteExport(const std::string& body);
  // "Control Panel\Colors" with "Background" and "Control Panel\Desktop" with `desktopLines`.
  void Write(const std::vector<std::string>& desktopLines, const std::string& background);
  // Everything stored, as text: two equal snapshots mean nothing was written in between.
  std::string Snapshot();
  // From now on the settings can no longer be read or written.
  void Break();

 private:
  struct Backend;
  std::unique_ptr<Backend> backend_;
};

// A value line of a registry export: "name"="text" with quotes and backslashes escaped.
inline std::string RegString(const std::string& name, const std::string& text) {
  std::string out = "\"" + name + "\"=\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The body of Write, shared by both systems.
inline std::string DesktopExport(const std::vector<std::string>& desktopLines,
                                 const std::string& background) {
  std::string body = "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n" +
                     RegString("Background", background) +
                     "\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n";
  for (const std::string& line : desktopLines) body += line + "\n";
  return body;
}

}  // namespace tapisto::test
