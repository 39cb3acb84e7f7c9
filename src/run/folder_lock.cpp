// The folder lock: see folder_lock.h.
#include "run/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "kinds/program_layout.h"

namespace karigane {
namespace {

// Tries to lock `fd` without waiting; EINTR is tried again.
int try_flock(int fd, int operation) {
  while (::flock(fd, operation | LOCK_NB) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

void close_keeping_errno(int& fd) {
  if (fd < 0) return;
  const int error = errno;
  ::close(fd);  // closing the only descriptor of the open file drops its lock
  fd = -1;
  errno = error;
}

// A lock file replaced under us more often than this is given up on.
constexpr int kReplacedFileAttempts = 10;

}  // namespace

folder_lock::~folder_lock() { release(); }

folder_lock::result folder_lock::try_take(const std::string& folder, mode how) {
  if (folder_fd_ >= 0 || file_fd_ >= 0) return result::taken;
  const int operation = how == mode::exclusive ? LOCK_EX : LOCK_SH;
  folder_fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder_fd_ < 0) return result::failed;
  if (const int error = try_flock(folder_fd_, operation); error == EWOULDBLOCK) {
    release();
    return result::held_elsewhere;
  } else if (error != 0) {
    // A file system that cannot lock a folder (NFS may refuse it): the lock file alone.
    close_keeping_errno(folder_fd_);
  }
  const result file = lock_file(folder + std::string(kLockFileName), operation);
  if (file == result::failed && how == mode::shared && folder_fd_ >= 0 &&
      (errno == ENOENT || errno == EROFS || errno == EACCES)) {
    return result::taken;  // a reader in a folder where the lock file cannot be made
  }
  if (file != result::taken) {
    const int error = errno;
    release();
    errno = error;
  }
  return file;
}

folder_lock::result folder_lock::lock_file(const std::string& path, int operation) {
  for (int attempt = 0; attempt < kReplacedFileAttempts; ++attempt) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file another user made may be read-only to us; flock works on it all the same.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return result::failed;
    if (const int error = try_flock(fd, operation); error != 0) {
      close_keeping_errno(fd);
      return error == EWOULDBLOCK ? result::held_elsewhere : result::failed;
    }
    // The file may have been deleted or replaced between the open and the lock: a lock on a
    // file that is no longer the one on disk keeps no one out.
    struct stat locked {
    }, on_disk{};
    if (::fstat(fd, &locked) == 0 && ::stat(path.c_str(), &on_disk) == 0 &&
        locked.st_dev == on_disk.st_dev && locked.st_ino == on_disk.st_ino) {
      file_fd_ = fd;
      return result::taken;
    }
    close_keeping_errno(fd);
  }
  errno = EAGAIN;
  return result::failed;
}

void folder_lock::release() {
  close_keeping_errno(file_fd_);
  close_keeping_errno(folder_fd_);
}

}  // namespace karigane
