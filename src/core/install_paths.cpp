// The installed data and catalogue folders and the version: see install_paths.h.
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

#ifndef KARIGANE_SOURCE_DATA_DIR
#define KARIGANE_SOURCE_DATA_DIR ""
#endif
#ifndef KARIGANE_BUILD_LOCALE_DIR
#define KARIGANE_BUILD_LOCALE_DIR ""
#endif

// <folder of the running program>/../share/NAME when it holds `marker` (an installed program),
// else `build_folder` when that holds it (a program run from its build tree); ends in "/", and
// is empty when neither does.
std::string share_folder(const char* name, const fs::path& marker, const char* build_folder) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const fs::path installed =
        (exe.parent_path().parent_path() / "share" / name).lexically_normal();
    if (fs::is_regular_file(installed / marker, ec)) return with_slash(installed.string());
  }
  if (*build_folder != '\0' && fs::is_regular_file(fs::path(build_folder) / marker, ec)) {
    return with_slash(build_folder);
  }
  return {};
}

}  // namespace

std::string program_data_folder() {
  if (const char* env = std::getenv("KARIGANE_DATA_DIR"); env != nullptr && *env != '\0') {
    std::error_code ec;
    return with_slash(fs::absolute(env, ec).lexically_normal().string());
  }
  return share_folder("karigane", "meigara_list_org.csv", KARIGANE_SOURCE_DATA_DIR);
}

std::string program_locale_folder() {
  return share_folder("locale", fs::path("en") / "LC_MESSAGES" / "karigane.mo",
                      KARIGANE_BUILD_LOCALE_DIR);
}

const char* program_version() { return KARIGANE_VERSION; }

}  // namespace karigane
