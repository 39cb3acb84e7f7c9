// Removal of leftover temporary files: see leftover_files.h.
#include "run/leftover_files.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <limits>
#include <system_error>

#include "core/file_store.h"

namespace fs = std::filesystem;

namespace karigane {
namespace {

// The writer's process id, when the name carries one right after the mark.
bool writer_pid(const std::string& name, long& pid) {
  const std::size_t at = name.find(kTemporaryFileMark);
  if (at == std::string::npos) return false;
  const char* first = name.data() + at + kTemporaryFileMark.size();
  const char* last = name.data() + name.size();
  const auto r = std::from_chars(first, last, pid);
  return r.ec == std::errc() && r.ptr != first && pid > 0;
}

bool written_by_another_live_process(const std::string& name) {
  long pid = 0;
  if (!writer_pid(name, pid) || pid == static_cast<long>(::getpid())) return false;
  if (pid > static_cast<long>(std::numeric_limits<pid_t>::max())) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool remove_if_leftover(const fs::directory_entry& entry) {
  std::error_code ec;
  if (!entry.is_regular_file(ec)) return false;
  const std::string name = entry.path().filename().string();
  if (name.find(kTemporaryFileMark) == std::string::npos ||
      written_by_another_live_process(name)) {
    return false;
  }
  return fs::remove(entry.path(), ec);
}

bool remove_leftover_of(const fs::directory_entry& entry, const std::string& target_name) {
  const std::string name = entry.path().filename().string();
  return name.size() > target_name.size() &&
         name.compare(0, target_name.size(), target_name) == 0 &&
         name.compare(target_name.size(), kTemporaryFileMark.size(), kTemporaryFileMark) == 0 &&
         remove_if_leftover(entry);
}

}  // namespace

std::size_t remove_leftover_temporaries(const std::vector<std::string>& trees,
                                        const std::string& top_folder) {
  std::size_t removed = 0;
  std::error_code ec;
  for (const std::string& tree : trees) {
    if (!folder_exists(tree)) continue;
    fs::recursive_directory_iterator it(tree, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      if (remove_if_leftover(*it)) ++removed;
    }
    ec.clear();
  }
  if (folder_exists(top_folder)) {
    fs::directory_iterator it(top_folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
      if (remove_if_leftover(*it)) ++removed;
    }
  }
  return removed;
}

std::size_t remove_leftover_temporaries_of(const std::vector<std::string>& targets) {
  std::size_t removed = 0;
  for (const std::string& target : targets) {
    const fs::path path(target);
    const std::string name = path.filename().string();
    std::error_code ec;
    if (name.empty() || !folder_exists(path.parent_path().string())) continue;
    fs::directory_iterator it(path.parent_path(), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
      if (remove_leftover_of(*it, name)) ++removed;
    }
  }
  return removed;
}

std::vector<std::string> leftover_temporary_folders(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  if (!folder_exists(folder)) return found;
  fs::directory_iterator it(folder, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code type_ec;
    const std::string name = it->path().filename().string();
    if (it->is_directory(type_ec) && !it->is_symlink(type_ec) &&
        name.rfind(kTemporaryFileMark, 0) == 0 && !written_by_another_live_process(name)) {
      found.push_back(it->path().string() + "/");
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace karigane
