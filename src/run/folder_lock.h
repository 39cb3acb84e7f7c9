// One run per program folder: an exclusive lock (flock) on the lock file "karigane.lock" in
// the program folder, held for the whole run by the command line and by the window (per run,
// so that a cron job can run while the window is idle). The kernel drops the lock when its
// holder ends, however it ends, so a killed run never leaves the folder locked.
#pragma once

#include <string>

namespace karigane {

class folder_lock {
 public:
  enum class result { taken, held_elsewhere, failed };

  folder_lock() = default;
  ~folder_lock();
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;

  // Tries once, without waiting, to lock the lock file at `path`, creating the file when it is
  // missing. `failed` means the file could not be opened (errno kept).
  result try_take(const std::string& path);

  // Releases the lock (the destructor does it too).
  void release();

 private:
  int fd_ = -1;
};

}  // namespace karigane
