// A folder of the process's own below the system's temporary folder, for harnesses whose
// readers take a path; made on first use and removed when the process ends.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace karigane::fuzz {

struct owned_folder {
  owned_folder() {
    path = (std::filesystem::temp_directory_path() / "karigane-fuzz-XXXXXX").string();
    if (mkdtemp(path.data()) == nullptr) std::abort();
    path += "/";
  }
  ~owned_folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

inline const std::string& scratch_folder() {
  static const owned_folder folder;
  return folder.path;
}

// Replaces the file `name` of the scratch folder with `bytes`; returns its path.
inline std::string scratch_file(const std::string& name, std::string_view bytes) {
  const std::string path = scratch_folder() + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) std::abort();
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) std::abort();
  std::fclose(f);
  return path;
}

}  // namespace karigane::fuzz
