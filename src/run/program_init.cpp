// Program folder set-up: see program_init.h.
#include "run/program_init.h"

#include "codes/stock_list.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/text.h"
#include "kinds/program_layout.h"
#include "latest/data_d_table.h"
#include "latest/stock_list_renewal.h"
#include "run/settings.h"
#include "sources/jquants/jquants_client.h"
#include "sources/jquants/jquants_issues.h"

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

init_result init_jquants_folder(run_context& ctx, const std::string& program_folder,
                                const jquants_init& request, std::string& message) {
  jquants_settings settings = default_settings(program_folder).jquants;
  if (!request.site.empty() && !valid_site_value(request.site, settings.url)) {
    message =
        "J-Quants のURLは http://ホスト[:ポート] か https://ホスト[:ポート] で指定してください: " +
        request.site;
    return init_result::bad_site;
  }
  settings.api_key = trim(request.api_key);
  settings.plan = request.plan;
  const program_layout layout = program_layout::of_folder(program_folder);
  const std::string settings_file = layout.settings_file();
  if (file_exists(settings_file) && !request.force) {
    message = settings_file + " は既にあります。上書きするには --force を付けてください。";
    return init_result::exists;
  }

  // The list of issues first: it tells whether J-Quants takes the key at this address.
  jquants_client client(settings);
  const date newest = std::min(client.covered(ctx).last, ctx.now().day);
  const std::vector<date> days = client.business_days(ctx, {add_days(newest, -14), newest});
  const date day = days.empty() ? newest : days.back();
  std::vector<stock_entry> issues;
  const api_outcome listed = listed_issues(ctx, client, day, issues);
  if (listed.end != api_end::done || issues.empty()) {
    message = "J-Quants の銘柄一覧を取得できませんでした（何も書いていません）: " +
              (ctx.has_run_error()      ? ctx.run_error()
               : listed.message.empty() ? std::string("銘柄がありません。")
                                        : listed.message);
    return init_result::failed;
  }

  if (!ensure_folder(program_folder)) {
    message = "プログラムフォルダを作成できません: " + program_folder;
    return init_result::failed;
  }
  const status changed = change_settings_file(
      program_folder, {{kSourceKey, source_setting_value(source_id::jquants)},
                       {kJquantsUrlKey, settings.url},
                       {kJquantsApiKeyKey, settings.api_key},
                       {kJquantsPlanKey, jquants_plan_name(settings.plan)}});
  if (!changed) {
    message = changed.message();
    return init_result::failed;
  }
  message = settings_file + " を J-Quants 用にしました（" + settings.url + "、プラン " +
            jquants_plan_name(settings.plan) + "、API キー " + masked_api_key(settings.api_key) +
            "）。";

  data_d_table_t table(1);
  table[0][kDCode] = yyyymmdd(day);
  for (const stock_entry& e : issues) {
    data_d_record& r = table.emplace_back();
    r[kDCode] = e.code;
    r[kDMarket] = e.market_name;
    r[kDName] = e.name;
  }
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(issues.size()));
  renew_stock_list(ctx, layout, table);
  if (ctx.has_run_error()) {
    message += "\n" + ctx.run_error();
    return init_result::failed;
  }
  message += "\n" + layout.stock_list_file() + " に J-Quants の銘柄一覧（" + slash_text(day) +
             "、" + std::to_string(issues.size()) + " 銘柄）を置きました。";
  return init_result::written;
}

}  // namespace karigane
