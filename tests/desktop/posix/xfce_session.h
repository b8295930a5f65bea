// An Xfce settings service for one test: a private session bus and the real xfconfd on it,
// storing its channels in a folder of the test, and its values read and written with
// xfconf-query as a user would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop_session.h"

namespace tapisto::test {

// xfconfd's path from the xfconf package; "" when it is not installed.
std::string XfconfdPath();

class XfceSession {
 public:
  // Starts the bus in `folder` + "/bus" and xfconfd keeping its files under `folder` +
  // "/xfconf", and waits until xfconfd owns its name on the bus. Throws std::runtime_error
  // when either does not start.
  explicit XfceSession(const std::string& folder);

  // The value of `property` of the channel xfce4-desktop as xfconf-query prints it (an array
  // as its items, one a line); nullopt when it is not set.
  std::optional<std::string> Get(const std::string& property) const;
  // Creates or changes `property` as xfconf-query's `type` ("string", "int", "double"); more
  // than one value makes an array.
  void Set(const std::string& property, const std::string& type,
           const std::vector<std::string>& values) const;

 private:
  std::string scratch_;
  PrivateSessionBus bus_;
  std::unique_ptr<ServiceProcess> xfconfd_;
};

}  // namespace tapisto::test
