// Who holds a file: see file_holders.h.
#include "export/file_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace karigane {
namespace {

// The processes of /proc/locks whose locks are on the file (device major:minor:inode).
std::vector<long> lock_holders(const struct stat& file) {
  std::vector<long> pids;
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    // "1: POSIX  ADVISORY  READ 1234 08:01:5678 1073741826 1073742335"; blocked waiters ("->")
    // hold nothing.
    if (line.find("->") != std::string::npos) continue;
    std::istringstream fields(line);
    std::string id, kind, mode, access, where;
    long pid = 0;
    if (!(fields >> id >> kind >> mode >> access >> pid >> where)) continue;
    unsigned major_id = 0, minor_id = 0;
    unsigned long long inode = 0;
    if (std::sscanf(where.c_str(), "%x:%x:%llu", &major_id, &minor_id, &inode) != 3) continue;
    if (inode == file.st_ino && major_id == major(file.st_dev) && minor_id == minor(file.st_dev) &&
        pid > 0 && pid != static_cast<long>(::getpid())) {
      pids.push_back(pid);
    }
  }
  return pids;
}

// The processes with the file open.
std::vector<long> open_holders(const struct stat& file) {
  std::vector<long> pids;
  std::error_code ec;
  for (std::filesystem::directory_iterator it("/proc", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stol(name) == static_cast<long>(::getpid())) {
      continue;
    }
    std::error_code fd_ec;
    for (std::filesystem::directory_iterator fd(it->path() / "fd", fd_ec), fd_end;
         !fd_ec && fd != fd_end; fd.increment(fd_ec)) {
      struct stat st {};
      if (::stat(fd->path().c_str(), &st) == 0 && st.st_ino == file.st_ino &&
          st.st_dev == file.st_dev) {
        pids.push_back(std::stol(name));
        break;
      }
    }
  }
  return pids;
}

}  // namespace

std::vector<long> processes_holding(const std::string& path) {
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return {};
  std::vector<long> pids = lock_holders(file);
  if (pids.empty()) pids = open_holders(file);
  std::sort(pids.begin(), pids.end());
  pids.erase(std::unique(pids.begin(), pids.end()), pids.end());
  return pids;
}

std::string holders_text(const std::vector<long>& pids) {
  if (pids.empty()) return "他のプログラム";
  std::string text = "プロセス ";
  for (std::size_t i = 0; i < pids.size(); ++i) {
    if (i) text += ", ";
    text += std::to_string(pids[i]);
  }
  return text;
}

}  // namespace karigane
