#include "xfce_session.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "support/run_program.h"

namespace tapisto::test {

namespace {

constexpr const char* kChannel = "xfce4-desktop";

}  // namespace

std::string XfconfdPath() {
  // The package puts it under the multiarch library folder, which differs between machines.
  const std::string dpkg = FindOnPath("dpkg");
  if (dpkg.empty()) return "";
  const std::string scratch =
      (std::filesystem::temp_directory_path() / ("tapisto-dpkg-" + std::to_string(::getpid())))
          .string();
  const ProgramResult files = RunProgram(dpkg, {"-L", "xfconf"}, scratch);
  std::filesystem::remove(scratch + "-stdout.txt");
  std::filesystem::remove(scratch + "-stderr.txt");
  std::istringstream lines(files.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.ends_with("/xfconfd") && ::access(line.c_str(), X_OK) == 0) return line;
  }
  return "";
}

XfceSession::XfceSession(const std::string& folder)
    : scratch_(folder + "/query"), bus_(folder + "/bus") {
  const std::string program = XfconfdPath();
  if (program.empty()) throw std::runtime_error("xfconfd is not installed");
  xfconfd_ = std::make_unique<ServiceProcess>(
      std::vector<std::string>{program}, -1,
      std::vector<std::string>{"XDG_CONFIG_HOME=" + folder + "/xfconf", "DISPLAY"});
  const std::string dbusSend = FindOnPath("dbus-send");
  for (int i = 0; i < 500; ++i) {
    const ProgramResult owner = RunProgram(
        dbusSend,
        {"--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
         "org.freedesktop.DBus.NameHasOwner", "string:org.xfce.Xfconf"},
        scratch_);
    if (owner.out.find("boolean true") != std::string::npos) return;
    if (!xfconfd_->Running()) break;
    ::usleep(10000);
  }
  throw std::runtime_error("xfconfd did not take its name on the bus");
}

std::optional<std::string> XfceSession::Get(const std::string& property) const {
  const ProgramResult r =
      RunProgram(FindOnPath("xfconf-query"), {"-c", kChannel, "-p", property}, scratch_);
  if (r.exitCode != 0) return std::nullopt;
  std::string text = r.out;
  // An array comes as "Value is an array with N items:", a blank line, then the items.
  if (text.starts_with("Value is an array")) text.erase(0, text.find("\n\n") + 2);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

void XfceSession::Set(const std::string& property, const std::string& type,
                      const std::vector<std::string>& values) const {
  std::vector<std::string> args{"-c", kChannel, "-p", property, "-n"};
  for (const std::string& value : values) args.insert(args.end(), {"-t", type, "-s", value});
  const ProgramResult r = RunProgram(FindOnPath("xfconf-query"), args, scratch_);
  if (r.exitCode != 0) throw std::runtime_error("xfconf-query: " + r.err);
}

}  // namespace tapisto::test
