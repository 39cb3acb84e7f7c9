// One run per program folder and per database: a lock (flock) held for the whole run by the
// command line and by the window (per run, so that a cron job can run while the window is
// idle), exclusive for a run that writes, shared for one that only reads (export), so that
// readers run side by side and on a read-only copy.
//
// The lock is taken on two things in the folder: the lock file "karigane.lock" (what other
// programs look for) and the folder itself. A lock file deleted while a run holds it lets a
// second run lock a new file of that name, but not the folder; and after taking the file's lock
// a run checks that the file it locked is still the one on disk (device and inode) and tries
// again when it is not. The kernel drops both locks when their holder ends, however it ends, so
// a killed run never leaves the folder locked.
#pragma once

#include <string>

namespace karigane {

class folder_lock {
 public:
  enum class result { taken, held_elsewhere, failed };
  enum class mode { exclusive, shared };

  folder_lock() = default;
  ~folder_lock();
  folder_lock(const folder_lock&) = delete;
  folder_lock& operator=(const folder_lock&) = delete;

  // Tries once, without waiting, to lock `folder` (ending in "/") and its lock file, creating the
  // file when it is missing. A shared lock makes do without the file where it cannot be made (a
  // read-only folder). `failed` means the folder or the file could not be opened (errno kept).
  result try_take(const std::string& folder, mode how = mode::exclusive);

  // Releases the lock (the destructor does it too).
  void release();

 private:
  result lock_file(const std::string& path, int operation);

  int folder_fd_ = -1;
  int file_fd_ = -1;
};

}  // namespace karigane
