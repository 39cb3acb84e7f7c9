// The program folder's lock: see folder_lock.h.
#include "run/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace karigane {

folder_lock::~folder_lock() { release(); }

folder_lock::result folder_lock::try_take(const std::string& path) {
  if (fd_ >= 0) return result::taken;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // A lock file another user made may be read-only to us; flock works on it all the same.
  if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return result::failed;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    const int error = errno;
    ::close(fd);
    errno = error;
    return error == EWOULDBLOCK ? result::held_elsewhere : result::failed;
  }
  fd_ = fd;
  return result::taken;
}

void folder_lock::release() {
  if (fd_ < 0) return;
  ::close(fd_);  // closing the only descriptor of the open file drops its lock
  fd_ = -1;
}

}  // namespace karigane
