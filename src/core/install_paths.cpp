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

bool holds_catalogue(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / "en" / "LC_MESSAGES" / "karigane.mo", ec);
}

// <folder of the running program>/../share/NAME; empty when the program's path is unknown.
fs::path installed_share_folder(const char* name) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return (exe.parent_path().parent_path() / "share" / name).lexically_normal();
}

}  // namespace

std::string program_data_folder() {
  if (const char* env = std::getenv("KARIGANE_DATA_DIR"); env != nullptr && *env != '\0') {
    std::error_code ec;
    return with_slash(fs::absolute(env, ec).lexically_normal().string());
  }
  const fs::path installed = installed_share_folder("karigane");
  if (!installed.empty() && holds_factory_list(installed)) return with_slash(installed.string());
#ifdef KARIGANE_SOURCE_DATA_DIR
  if (holds_factory_list(KARIGANE_SOURCE_DATA_DIR)) return with_slash(KARIGANE_SOURCE_DATA_DIR);
#endif
  return {};
}

std::string program_locale_folder() {
  const fs::path installed = installed_share_folder("locale");
  if (!installed.empty() && holds_catalogue(installed)) return with_slash(installed.string());
#ifdef KARIGANE_BUILD_LOCALE_DIR
  if (holds_catalogue(KARIGANE_BUILD_LOCALE_DIR)) return with_slash(KARIGANE_BUILD_LOCALE_DIR);
#endif
  return {};
}

const char* program_version() { return KARIGANE_VERSION; }

}  // namespace karigane
