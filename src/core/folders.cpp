// Folder helpers: see folders.h.
#include "core/folders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/fields.h"

namespace fs = std::filesystem;

namespace karigane {
namespace {

bool is_temporary(const std::string& name) { return name.find(".karigane-tmp") != std::string::npos; }

std::vector<std::string> list_entries(const std::string& folder, bool want_dirs, bool* ok) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    if (ok) *ok = false;
    return names;
  }
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code type_ec;
    const bool is_dir = it->is_directory(type_ec);
    const bool is_file = it->is_regular_file(type_ec);
    const std::string name = it->path().filename().string();
    if (want_dirs ? is_dir : (is_file && !is_temporary(name))) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  if (ok) *ok = !ec;
  return names;
}

}  // namespace

bool folder_exists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

bool ensure_folder(const std::string& path) {
  if (folder_exists(path)) return true;
  std::error_code ec;
  fs::create_directories(path, ec);
  return folder_exists(path);
}

bool file_exists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::vector<std::string> list_files(const std::string& folder, bool* ok) {
  return list_entries(folder, false, ok);
}

std::vector<std::string> list_subfolders(const std::string& folder, bool* ok) {
  return list_entries(folder, true, ok);
}

bool copy_file_over(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!read_file_bytes(from, bytes)) return false;
  return write_file_atomic(to, bytes);
}

bool remove_file(const std::string& path) {
  std::error_code ec;
  return fs::remove(path, ec);
}

}  // namespace karigane
