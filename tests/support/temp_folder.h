// Temporary program folders for tests, and small file helpers for checking bytes on disk.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace karigane::testing {

// A fresh folder below the system's temporary folder, removed with its contents at the end.
class temp_folder {
 public:
  temp_folder();
  ~temp_folder();
  temp_folder(const temp_folder&) = delete;
  temp_folder& operator=(const temp_folder&) = delete;

  // The folder, ending in "/".
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes UTF-8 text to a file as CP932 bytes (creating parent folders).
void write_cp932(const std::string& path, std::string_view utf8);
// Writes raw bytes to a file (creating parent folders).
void write_bytes(const std::string& path, std::string_view bytes);
// The raw bytes of a file ("" when missing).
std::string file_bytes(const std::string& path);
// The file decoded from CP932 to UTF-8 ("" when missing).
std::string cp932_file(const std::string& path);
// Every file below a folder (ending in "/") with its bytes, by its path relative to the folder.
std::map<std::string, std::string> files_below(const std::string& folder);

}  // namespace karigane::testing
