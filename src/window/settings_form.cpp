// The settings dialog's form: see settings_form.h.
#include "window/settings_form.h"

#include <cstdlib>

#include "core/file_store.h"
#include "core/messages.h"
#include "core/text.h"
#include "run/program_init.h"

namespace karigane {
namespace {

// Why an address field cannot be written: `key` names the field.
std::string address_refusal(const char* key, const std::string& value) {
  return tr_format("%s は http://ホスト[:ポート] か https://ホスト[:ポート] で指定してください: %s",
                   {key, value});
}

}  // namespace

settings_form settings_form_of(const program_settings& settings) {
  settings_form form;
  form.source = settings.source;
  form.site = settings.quote_site.kabuka_site_url;
  for (const setting& s : settings_table()) {
    if (s.group == setting_group::quote_site_host && s.write(settings) != form.site) {
      form.sites_differ = true;
    }
  }
  form.jquants_url = settings.jquants.url;
  const std::string& key = settings.jquants.api_key;
  form.api_key_masked = masked_api_key(key);
  const char* environment = std::getenv(kJquantsApiKeyVariable);
  form.api_key_from_environment =
      !key.empty() && environment != nullptr && trim(environment) == key;
  form.plan = settings.jquants.plan;
  form.access_interval = std::to_string(settings.connection.access_interval_ms);
  for (const setting& s : settings_table()) {
    if (std::string_view(s.key) == kCaCertificateFileKey)
      form.ca_certificate_file = s.write(settings);
  }
  return form;
}

settings_form_changes settings_form_changes_of(const settings_form& shown,
                                               const settings_form& edited,
                                               const std::string& program_folder) {
  settings_form_changes out;
  auto refuse = [&out](std::string message) {
    out.checked = status::failure(std::move(message));
    out.changes.clear();
    return out;
  };

  if (edited.source != shown.source) {
    out.changes.push_back({kSourceKey, source_setting_value(edited.source)});
  }
  if (const std::string site = trim(edited.site); site != shown.site) {
    std::string host;
    if (!valid_site_value(site, host)) return refuse(address_refusal(kQuoteSiteUrlKey, site));
    if (host != shown.site || shown.sites_differ) {
      for (const setting& s : settings_table()) {
        if (s.group == setting_group::quote_site_host) out.changes.push_back({s.key, host});
      }
    }
  }
  if (const std::string url = trim(edited.jquants_url); url != shown.jquants_url) {
    std::string host;
    if (!valid_site_value(url, host)) return refuse(address_refusal(kJquantsUrlKey, url));
    if (host != shown.jquants_url) out.changes.push_back({kJquantsUrlKey, host});
  }
  // A key that only the environment gives is not written into the file: only a typed one is.
  if (const std::string key = trim(edited.new_api_key); !key.empty()) {
    out.changes.push_back({kJquantsApiKeyKey, key});
  }
  if (edited.plan != shown.plan) {
    out.changes.push_back({kJquantsPlanKey, jquants_plan_name(edited.plan)});
  }
  if (const std::string interval = trim(edited.access_interval);
      interval != shown.access_interval) {
    if (!access_interval_value(interval)) {
      return refuse(tr_format("アクセス間隔ミリ秒 は 0 から %s までの整数で指定してください: %s",
                              {std::to_string(kMaxAccessIntervalMs), interval}));
    }
    out.changes.push_back({kAccessIntervalKey, interval});
  }
  if (const std::string file = trim(edited.ca_certificate_file);
      file != shown.ca_certificate_file) {
    const std::string path = settings_file_path(program_folder, file);
    if (!file.empty() && !file_exists(path)) {
      return refuse(tr_format("CA証明書ファイル が見つかりません: %s", {path}));
    }
    out.changes.push_back({kCaCertificateFileKey, file});
  }
  return out;
}

}  // namespace karigane
