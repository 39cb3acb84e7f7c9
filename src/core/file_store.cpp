// The stored-file layer on POSIX: see file_store.h. Each system call is preceded by its
// injected-fault check (file_faults.h), so that an injected failure takes the same way out as
// a real one.
#include "core/file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "core/cp932.h"
#include "core/file_faults.h"

namespace karigane {
namespace {

file_status failure(int error) { return file_status(error != 0 ? error : EIO); }

bool is_temporary(const std::string& name) {
  return name.find(kTemporaryFileMark) != std::string::npos;
}

std::string without_trailing_slash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

file_status write_all(int fd, std::span<const std::string_view> pieces, const std::string& path) {
  if (const int e = injected_file_error(file_call::write, path)) return failure(e);
  for (const std::string_view bytes : pieces) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (put < 0) {
        if (errno == EINTR) continue;
        return failure(errno);
      }
      done += static_cast<std::size_t>(put);
    }
  }
  return {};
}

std::vector<std::string> list_entries(const std::string& folder, bool want_dirs,
                                      file_status* status) {
  std::vector<std::string> names;
  const std::string dir_path = without_trailing_slash(folder);
  auto fail = [&](int e) {
    if (status) *status = failure(e);
    names.clear();
    return names;
  };
  if (const int e = injected_file_error(file_call::list, folder)) return fail(e);
  DIR* dir = ::opendir(dir_path.c_str());
  if (dir == nullptr) return fail(errno);
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      if (errno != 0) {
        const int e = errno;
        ::closedir(dir);
        return fail(e);
      }
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_dir = entry->d_type == DT_DIR;
    bool is_file = entry->d_type == DT_REG;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      // Links count as what they point to.
      struct stat st {};
      if (::stat((dir_path + "/" + name).c_str(), &st) == 0) {
        is_dir = S_ISDIR(st.st_mode);
        is_file = S_ISREG(st.st_mode);
      }
    }
    if (want_dirs ? is_dir : (is_file && !is_temporary(name))) names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  if (status) *status = {};
  return names;
}

}  // namespace

std::string file_error_text(int error) {
  const char* text = nullptr;
  switch (error) {
    case EACCES:
    case EPERM:
      text = "アクセスが許可されていません";
      break;
    case EISDIR:
      text = "ファイルの場所にフォルダがあります";
      break;
    case ENOTDIR:
      text = "フォルダの場所にファイルがあります";
      break;
    case EIO:
      text = "入出力エラーが起きました";
      break;
    case ENOSPC:
    case EDQUOT:
      text = "ディスクに空きがありません";
      break;
    case EROFS:
      text = "読み取り専用の場所です";
      break;
    case ENOENT:
      text = "見つかりません";
      break;
    default:
      break;
  }
  const char* name = strerrorname_np(error);
  std::string out = text != nullptr ? text : std::strerror(error);
  if (name != nullptr) out += std::string("（") + name + "）";
  return out;
}

file_status read_file_bytes(const std::string& path, std::string& bytes) {
  if (const int e = injected_file_error(file_call::open_read, path)) {
    bytes.clear();
    return failure(e);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int e = errno;
    bytes.clear();
    return failure(e);
  }
  // Read straight into the string, sized by the file; it still grows if the file does. What
  // it held is overwritten, not cleared first: growing a string fills the new part.
  struct stat st {};
  std::size_t size = 0;
  std::size_t want = 1 << 16;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) want = static_cast<std::size_t>(st.st_size) + 1;
  int error = injected_file_error(file_call::read, path);
  while (error == 0) {
    if (bytes.size() < size + want) bytes.resize(size + want);
    const ssize_t got = ::read(fd, bytes.data() + size, want);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    size += static_cast<std::size_t>(got);
    want = std::max<std::size_t>(want, 1 << 16);
  }
  ::close(fd);
  if (error != 0) {
    bytes.clear();
    return failure(error);
  }
  bytes.resize(size);
  return {};
}

file_status read_file_tail(const std::string& path, std::size_t max_bytes, std::string& bytes) {
  bytes.clear();
  if (const int e = injected_file_error(file_call::open_read, path)) return failure(e);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return failure(errno);
  struct stat st {};
  int error = injected_file_error(file_call::read, path);
  if (error == 0 && ::fstat(fd, &st) != 0) error = errno;
  if (error == 0 && S_ISDIR(st.st_mode)) error = EISDIR;
  const std::size_t size = error == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
  const std::size_t want = std::min(size, max_bytes);
  bytes.resize(want);
  std::size_t done = 0;
  while (error == 0 && done < want) {
    const ssize_t got = ::pread(fd, bytes.data() + done, want - done,
                                static_cast<off_t>(size - want + done));
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    done += static_cast<std::size_t>(got);
  }
  ::close(fd);
  if (error != 0) {
    bytes.clear();
    return failure(error);
  }
  bytes.resize(done);
  return {};
}

file_status read_cp932_file(const std::string& path, std::string& utf8) {
  std::string bytes;
  utf8.clear();
  const file_status status = read_file_bytes(path, bytes);
  if (status) utf8 = cp932_to_utf8(bytes);
  return status;
}

file_status write_file_atomic(const std::string& path, std::string_view bytes,
                              file_access access) {
  return write_file_atomic(path, std::span<const std::string_view>(&bytes, 1), access);
}

file_status write_file_atomic(const std::string& path, std::span<const std::string_view> pieces,
                              file_access access) {
  static std::atomic<unsigned> counter{0};
  const std::string temp = path + std::string(kTemporaryFileMark) + std::to_string(::getpid()) +
                           "_" + std::to_string(counter.fetch_add(1));
  if (const int e = injected_file_error(file_call::create, path)) return failure(e);
  // The temporary file is created with its final mode, so that a secret is never readable by
  // others, not even for the moment before the rename.
  const mode_t mode = access == file_access::owner_only ? 0600 : 0644;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  if (fd < 0) return failure(errno);
  file_status status = write_all(fd, pieces, path);
  // The data reach the disk before the rename, so that a crash leaves the old file or the
  // whole new one.
  if (status) {
    if (const int e = injected_file_error(file_call::sync, path)) {
      status = failure(e);
    } else if (::fdatasync(fd) != 0) {
      status = failure(errno);
    }
  }
  if (::close(fd) != 0 && status) status = failure(errno);
  if (status) {
    if (const int e = injected_file_error(file_call::rename, path)) {
      status = failure(e);
    } else if (::rename(temp.c_str(), path.c_str()) != 0) {
      status = failure(errno);
    }
  }
  if (!status) ::unlink(temp.c_str());
  return status;
}

file_status copy_file_over(const std::string& from, const std::string& to, bool* source_failed) {
  if (source_failed) *source_failed = false;
  std::string bytes;
  if (const file_status read = read_file_bytes(from, bytes); !read) {
    if (source_failed) *source_failed = true;
    return read;
  }
  return write_file_atomic(to, bytes);
}

file_status append_file::open(const std::string& path) {
  close();
  if (const int e = injected_file_error(file_call::append, path)) return failure(e);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd_ < 0) return failure(errno);
  path_ = path;
  return {};
}

file_status append_file::append(std::string_view bytes) {
  if (fd_ < 0) return failure(EBADF);
  return write_all(fd_, std::span<const std::string_view>(&bytes, 1), path_);
}

file_status append_file::close() {
  if (fd_ < 0) return {};
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) != 0 ? failure(errno) : file_status();
}

file_status append_to_file(const std::string& path, std::string_view bytes) {
  append_file file;
  file_status status = file.open(path);
  if (status) status = file.append(bytes);
  const file_status closed = file.close();
  return status ? closed : status;
}

file_status remove_file(const std::string& path) {
  if (const int e = injected_file_error(file_call::remove, path)) return failure(e);
  if (::unlink(path.c_str()) != 0) return failure(errno);
  return {};
}

file_status ensure_folder(const std::string& path) {
  const std::string target = without_trailing_slash(path);
  if (target.empty()) return failure(ENOENT);
  if (folder_exists(target)) return {};
  if (const int e = injected_file_error(file_call::make_folder, path)) return failure(e);
  // Each missing folder on the way, from the top down.
  std::size_t from = target[0] == '/' ? 1 : 0;
  while (true) {
    const std::size_t slash = target.find('/', from);
    const std::string part = target.substr(0, slash);
    if (!part.empty() && ::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      return failure(errno);
    }
    if (slash == std::string::npos) break;
    from = slash + 1;
  }
  // EEXIST also comes for a file in the folder's place.
  return folder_exists(target) ? file_status() : failure(ENOTDIR);
}

std::vector<std::string> list_files(const std::string& folder, file_status* status) {
  return list_entries(folder, false, status);
}

std::vector<std::string> list_subfolders(const std::string& folder, file_status* status) {
  return list_entries(folder, true, status);
}

file_stamp stamp_of(const std::string& path) {
  struct stat st {};
  file_stamp stamp;
  if (::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<std::int64_t>(st.st_size);
  stamp.mtime_ns = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return stamp;
}

bool folder_exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool file_exists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace karigane
