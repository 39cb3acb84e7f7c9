// The installed data folder and the version: see install_paths.h.
#include "core/install_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace karigane {
namespace {

std::string with_slash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

bool holds_factory_list(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / "meigara_list_org.csv", ec);
}

}  // namespace

std::string program_data_folder() {
  if (const char* env = std::getenv("KARIGANE_DATA_DIR"); env != nullptr && *env != '\0') {
    std::error_code ec;
    return with_slash(fs::absolute(env, ec).lexically_normal().string());
  }
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed = (exe.parent_path().parent_path() / "share" / "karigane").lexically_normal();
    if (holds_factory_list(installed)) return with_slash(installed.string());
  }
#ifdef KARIGANE_SOURCE_DATA_DIR
  if (holds_factory_list(KARIGANE_SOURCE_DATA_DIR)) return with_slash(KARIGANE_SOURCE_DATA_DIR);
#endif
  return {};
}

const char* program_version() { return KARIGANE_VERSION; }

}  // namespace karigane
