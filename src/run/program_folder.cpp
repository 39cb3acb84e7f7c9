// Program and factory folders: see program_folder.h.
#include "run/program_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "kinds/program_layout.h"
#include "run/settings.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/install_paths.h"

namespace fs = std::filesystem;

namespace karigane {

std::string absolute_folder(const std::string& dir) {
  std::error_code ec;
  fs::path p = dir.empty() ? fs::current_path(ec) : fs::path(dir);
  if (p.is_relative()) p = fs::absolute(p, ec);
  std::string s = p.lexically_normal().string();
  if (s.empty() || s.back() != '/') s += '/';
  return s;
}

std::string absolute_file(const std::string& path) {
  std::error_code ec;
  fs::path p(path);
  if (p.is_relative()) p = fs::absolute(p, ec);
  return p.lexically_normal().string();
}

std::string find_factory_folder() { return program_data_folder(); }

bool prepare_program_folder(run_context& ctx, std::string& message, folder_use use) {
  const std::string& folder = ctx.program_folder;
  if (use == folder_use::reads) return true;
  if (!ensure_folder(folder)) {
    message = "プログラムフォルダを作成できません: " + folder;
    return false;
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    message = "プログラムフォルダに書き込めません: " + folder;
    return false;
  }
  if (!first_use_of_folder(folder)) return true;
  const program_layout layout = program_layout::of_folder(folder, ctx.factory_folder);
  const std::string list = layout.stock_list_file();
  const std::string org = layout.factory_stock_list_file();
  if (!file_exists(list) && file_exists(org) && !copy_file_over(org, list)) {
    message = "銘柄リストをファイルに書き込めません。";
    return false;
  }
  return true;
}

bool first_use_of_folder(const std::string& program_folder) {
  // A folder once set up keeps a missing stock list missing: the runs then say so, and the
  // next latest-day run builds the list from the site's own.
  // Without settei.txt the database folder is the default one.
  const program_layout layout = default_settings(program_folder).layout;
  return !file_exists(layout.settings_file()) && !folder_exists(layout.database);
}


}  // namespace karigane
