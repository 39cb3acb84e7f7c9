// Program folder set-up: see program_init.h.
#include "run/program_init.h"

#include "core/fields.h"
#include "core/file_store.h"
#include "kinds/program_layout.h"
#include "run/settings.h"

namespace karigane {

bool valid_site_value(const std::string& site, std::string& host) {
  std::string v = site;
  while (!v.empty() && v.back() == '/') v.pop_back();
  std::size_t rest = 0;
  if (v.rfind("http://", 0) == 0) {
    rest = 7;
  } else if (v.rfind("https://", 0) == 0) {
    rest = 8;
  } else {
    return false;
  }
  if (v.size() == rest) return false;
  for (std::size_t i = rest; i < v.size(); ++i) {
    const char c = v[i];
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
    if (!ok) return false;  // a path, a query or a blank has no place in a host value
  }
  host = v;
  return true;
}

std::string initial_settings_text(const std::string& site) {
  program_settings settings = default_settings("");
  for (const setting& s : settings_table()) {
    if (s.group == setting_group::quote_site_host) s.read(settings, site);
  }
  return settings_file_text(settings);
}

init_result init_program_folder(const std::string& program_folder,
                                const std::string& factory_folder, const std::string& site,
                                bool force, std::string& message) {
  std::string host;
  if (!valid_site_value(site, host)) {
    message = "サイトのURLは http://ホスト[:ポート] か https://ホスト[:ポート] で指定してください: " + site;
    return init_result::bad_site;
  }
  const program_layout layout = program_layout::of_folder(program_folder, factory_folder);
  const std::string settings = layout.settings_file();
  if (file_exists(settings) && !force) {
    message = settings + " は既にあります。上書きするには --force を付けてください。";
    return init_result::exists;
  }
  if (!ensure_folder(program_folder)) {
    message = "プログラムフォルダを作成できません: " + program_folder;
    return init_result::failed;
  }
  if (!write_file_atomic(settings, initial_settings_text(host))) {
    message = "ファイルを書き込めません: " + settings;
    return init_result::failed;
  }
  message = settings + " を作成しました（サイト " + host + "）。";
  const std::string list = layout.stock_list_file();
  const std::string org = layout.factory_stock_list_file();
  if (!file_exists(list) && file_exists(org)) {
    if (!copy_file_over(org, list)) {
      message = "銘柄リストをファイルに書き込めません。";
      return init_result::failed;
    }
    message += "\n" + list + " に出荷時の銘柄リストを置きました。";
  }
  return init_result::written;
}

}  // namespace karigane
