// An advisory lock (flock) on a lock file beside the hive, held across one read-modify-write
// of it, so that writers in other processes (a second window, a script) or threads neither lose
// each other's values nor interleave inside one write.
#pragma once

#include <string>

namespace tapisto {

class HiveLock {
 public:
  // Waits until the lock on `hivePath` + ".lock" is ours. Where the lock file cannot be made
  // (a folder the user may not write), the write that follows fails on its own and the lock
  // is skipped.
  explicit HiveLock(const std::string& hivePath);
  ~HiveLock();
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace tapisto
