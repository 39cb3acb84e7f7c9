// Temporary folders and file helpers for tests: see temp_folder.h.
#include "support/temp_folder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"

namespace fs = std::filesystem;

namespace karigane::testing {

temp_folder::temp_folder() {
  std::string pattern = (fs::temp_directory_path() / "karigane-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

temp_folder::~temp_folder() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

void write_bytes(const std::string& path, std::string_view bytes) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void write_cp932(const std::string& path, std::string_view utf8) {
  write_bytes(path, utf8_to_cp932(utf8));
}

std::string file_bytes(const std::string& path) {
  std::string bytes;
  read_file_bytes(path, bytes);
  return bytes;
}

std::string cp932_file(const std::string& path) { return cp932_to_utf8(file_bytes(path)); }

std::map<std::string, std::string> files_below(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(folder, ec)) {
    if (entry.is_regular_file()) {
      files[entry.path().string().substr(folder.size())] = file_bytes(entry.path().string());
    }
  }
  return files;
}

}  // namespace karigane::testing
