// The settings table and the reading of settei.txt: see settings.h.
#include "run/settings.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/text.h"

namespace karigane {

std::string settings_folder_path(const std::string& program_folder, const std::string& value) {
  std::string v = value;
  std::replace(v.begin(), v.end(), '\\', '/');
  std::string path = !v.empty() && v.front() == '/' ? v : program_folder + v;
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string settings_file_path(const std::string& program_folder, const std::string& value) {
  if (value.empty()) return {};
  std::string v = value;
  std::replace(v.begin(), v.end(), '\\', '/');
  return v.front() == '/' ? v : program_folder + v;
}

namespace {

// A path below the program folder as the file writes it: relative to the folder.
std::string below_folder(const program_settings& s, const std::string& path) {
  const std::string& folder = s.layout.program_folder;
  if (!folder.empty() && path.rfind(folder, 0) == 0) return path.substr(folder.size());
  return path;
}

// Host values are scheme://host[:port]; a trailing "/" would double the path's first "/".
std::string host_value(std::string value) {
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

// The settings' members, each named once: the table below is built from these.
#define KARIGANE_TEXT_SETTING(key, def, group, member)                                \
  setting {                                                                           \
    key, def, group, [](program_settings& s, const std::string& v) { s.member = v; }, \
        [](const program_settings& s) { return std::string(s.member); }               \
  }
#define KARIGANE_HOST_SETTING(key, def, member)                                                 \
  setting {                                                                                     \
    key, def, setting_group::quote_site_host,                                                   \
        [](program_settings& s, const std::string& v) { s.quote_site.member = host_value(v); }, \
        [](const program_settings& s) { return s.quote_site.member; }                           \
  }

}  // namespace

std::optional<int> access_interval_value(std::string_view value) {
  int ms = 0;
  const auto r = std::from_chars(value.data(), value.data() + value.size(), ms);
  if (value.empty() || r.ec != std::errc() || r.ptr != value.data() + value.size() || ms < 0 ||
      ms > kMaxAccessIntervalMs) {
    return std::nullopt;
  }
  return ms;
}

const std::vector<setting>& settings_table() {
  static const std::vector<setting> table = {
      {"株価データベースフォルダパス", "kabuka/", setting_group::database,
       [](program_settings& s, const std::string& v) {
         s.layout.database = settings_folder_path(s.layout.program_folder, v);
       },
       [](const program_settings& s) { return below_folder(s, s.layout.database); }},
      {"修正株価データベースフォルダパス", "kabuka/syusei_kabuka/", setting_group::database,
       [](program_settings& s, const std::string& v) {
         s.layout.adjusted = settings_folder_path(s.layout.program_folder, v);
       },
       [](const program_settings& s) { return below_folder(s, s.layout.adjusted); }},
      KARIGANE_TEXT_SETTING("時系列株価取得サイト", "新", setting_group::quote_site,
                            quote_site.history_form),
      KARIGANE_TEXT_SETTING("時系列信用売買残取得サイト", "新", setting_group::quote_site,
                            quote_site.margin_form),
      KARIGANE_TEXT_SETTING("最新日株価フォルダ名", "data_d", setting_group::database,
                            layout.latest_name),
      KARIGANE_TEXT_SETTING("時系列株価フォルダ名", "data_m", setting_group::database,
                            layout.prices_name),
      KARIGANE_TEXT_SETTING("信用売買残フォルダ名", "data_c", setting_group::database,
                            layout.margin_name),
      KARIGANE_TEXT_SETTING("財務情報単独決算フォルダ名", "data_ztan", setting_group::database,
                            layout.independent_name),
      KARIGANE_TEXT_SETTING("財務情報連結決算フォルダ名", "data_zren", setting_group::database,
                            layout.consolidated_name),
      KARIGANE_TEXT_SETTING("財務情報中間決算フォルダ名", "data_ztyu", setting_group::database,
                            layout.interim_name),
      KARIGANE_HOST_SETTING(kQuoteSiteUrlKey, "http://info.finance.yahoo.co.jp", kabuka_site_url),
      KARIGANE_HOST_SETTING("モバイルサイトURL", "http://m.finance.yahoo.co.jp", mobile_site_url),
      KARIGANE_HOST_SETTING("旧株価テーブルURL", "http://table.yahoo.co.jp", old_table_url),
      KARIGANE_HOST_SETTING("企業情報サイトURL", "http://profile.yahoo.co.jp", profile_site_url),
      KARIGANE_HOST_SETTING("指標サイトURL", "http://www.fisco.co.jp", index_site_url),
      {kAccessIntervalKey, "500", setting_group::connection,
       [](program_settings& s, const std::string& v) {
         if (const auto ms = access_interval_value(v)) s.connection.access_interval_ms = *ms;
       },
       [](const program_settings& s) { return std::to_string(s.connection.access_interval_ms); }},
      {kCaCertificateFileKey, "", setting_group::connection,
       [](program_settings& s, const std::string& v) {
         s.connection.ca_certificate_file = settings_file_path(s.layout.program_folder, v);
       },
       [](const program_settings& s) { return below_folder(s, s.connection.ca_certificate_file); }},
      {kSourceKey, "株価サイト", setting_group::source,
       [](program_settings& s, const std::string& v) {
         for (const source_id id : {source_id::quote_site, source_id::jquants}) {
           if (v == source_setting_value(id)) s.source = id;
         }
       },
       [](const program_settings& s) { return std::string(source_setting_value(s.source)); }},
      {kJquantsUrlKey, "https://api.jquants.com", setting_group::jquants,
       [](program_settings& s, const std::string& v) { s.jquants.url = host_value(v); },
       [](const program_settings& s) { return s.jquants.url; }},
      {kJquantsApiKeyKey, "", setting_group::jquants,
       [](program_settings& s, const std::string& v) { s.jquants.api_key = trim(v); },
       [](const program_settings& s) { return s.jquants.api_key; }},
      {kJquantsPlanKey, "Free", setting_group::jquants,
       [](program_settings& s, const std::string& v) {
         if (const auto plan = jquants_plan_named(trim(v))) s.jquants.plan = *plan;
       },
       [](const program_settings& s) { return std::string(jquants_plan_name(s.jquants.plan)); }},
  };
  return table;
}

namespace {

#undef KARIGANE_TEXT_SETTING
#undef KARIGANE_HOST_SETTING

// Walks the records of settei.txt as the reader takes them: a key and a value as two
// consecutive fields, up to the record whose key and value both contain "EOF" (that one
// included) or the end of the file. `ctx`, when given, is pumped before each record and its
// stop flag ends the walk.
template <class Visit>
void for_each_record_of_text(run_context* ctx, const std::string& text, Visit visit) {
  field_reader reader(text);

  std::string key;
  std::string value;
  while (!(contains(key, "EOF") && contains(value, "EOF"))) {
    if (ctx != nullptr) {
      if (ctx->stop_flag()) break;
      ctx->pump();
    }
    if (!reader.next(key)) break;
    if (!reader.next(value)) value.clear();
    visit(key, value);
    if (reader.at_end()) break;
  }
}

template <class Visit>
void for_each_settings_record(run_context* ctx, const std::string& folder, Visit visit) {
  std::string bytes;
  if (!read_file_bytes(folder + std::string(kSettingsFileName), bytes)) return;
  for_each_record_of_text(ctx, decode_user_text(bytes), visit);
}

const setting* setting_of(const std::string& key) {
  for (const setting& s : settings_table()) {
    if (key == s.key) return &s;
  }
  return nullptr;
}

}  // namespace

program_settings default_settings(const std::string& program_folder,
                                  const std::string& factory_folder) {
  program_settings settings;
  settings.layout.program_folder = program_folder;
  settings.layout.factory_folder = factory_folder;
  for (const setting& s : settings_table()) s.read(settings, s.default_value);
  settings.quote_site.connection = settings.connection;
  settings.jquants.connection = settings.connection;
  return settings;
}

const char* source_setting_value(source_id source) {
  return source == source_id::jquants ? "J-Quants" : "株価サイト";
}

program_settings read_settings(const std::string& program_folder, const std::string& factory_folder,
                               run_context* ctx) {
  program_settings settings = default_settings(program_folder, factory_folder);
  for_each_settings_record(ctx, program_folder,
                           [&](const std::string& key, const std::string& value) {
                             if (const setting* s = setting_of(key)) s->read(settings, value);
                           });
  // What the settings take from outside the file: the connection for each source, and the key
  // from the environment when the file has none.
  settings.quote_site.connection = settings.connection;
  settings.jquants.connection = settings.connection;
  if (settings.jquants.api_key.empty()) {
    if (const char* key = std::getenv(kJquantsApiKeyVariable)) settings.jquants.api_key = trim(key);
  }
  return settings;
}

std::vector<std::string> unknown_settings_keys(const std::string& program_folder) {
  std::vector<std::string> unknown;
  for_each_settings_record(
      nullptr, program_folder, [&](const std::string& key, const std::string& value) {
        // The end record, and a lone "EOF" or blank line that a hand-edited file ends with.
        if ((contains(key, "EOF") && contains(value, "EOF")) || key == "EOF" || key.empty()) return;
        if (setting_of(key) == nullptr &&
            std::find(unknown.begin(), unknown.end(), key) == unknown.end()) {
          unknown.push_back(key);
        }
      });
  return unknown;
}

std::string unknown_settings_key_warning(const std::string& key) {
  return "settei.txt の不明なキーを読み飛ばしました: " + key;
}

std::string settings_file_text(const program_settings& settings) {
  std::string text;
  for (const setting& s : settings_table()) {
    text += s.key;
    text += ',';
    text += s.write(settings);
    text += "\r\n";
  }
  text += "EOF,EOF\r\n";
  return text;
}

namespace {

// A value as a settings record writes it: quoted when a comma would split it. The reader has
// no way to read a quote or a line break inside a value, so such values are refused.
std::string record_value(const std::string& value) {
  if (value.find(',') == std::string::npos) return value;
  return "\"" + value + "\"";
}

}  // namespace

status change_settings_file(const std::string& program_folder,
                            const std::vector<setting_change>& changes) {
  for (const setting_change& c : changes) {
    if (c.value.find_first_of("\"\r\n") != std::string::npos) {
      return status::failure(c.key + " の値に引用符や改行は使えません。");
    }
  }
  const std::string path = program_folder + std::string(kSettingsFileName);
  std::string bytes;
  bool utf8 = true;
  std::string text;
  if (const file_status read = read_file_bytes(path, bytes); read) {
    utf8 = is_valid_utf8(bytes);
    text = decode_user_text(bytes);
  } else if (read.missing()) {
    text = settings_file_text(default_settings(program_folder));
  } else {
    return status(status::io_error, "ファイルを読めません: " + path + "（" +
                                        file_error_text(read.error()) + "）");
  }

  std::vector<bool> placed(changes.size(), false);
  auto line_of = [](const setting_change& c) { return c.key + "," + record_value(c.value); };
  std::string out;
  bool ended = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(pos, end - pos);
    pos = end;
    std::string body = line;
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
    std::vector<std::string> fields;
    field_reader(body).next_line(fields);
    const std::string key = fields.empty() ? std::string() : trim(fields[0]);
    const std::string value = fields.size() > 1 ? fields[1] : std::string();
    if (!ended && contains(key, "EOF") && contains(value, "EOF")) {
      // Keys the file lacks go before its end record, where the reader still sees them.
      for (std::size_t i = 0; i < changes.size(); ++i) {
        if (!placed[i]) out += line_of(changes[i]) + "\r\n";
        placed[i] = true;
      }
      ended = true;
    } else if (!ended) {
      for (std::size_t i = 0; i < changes.size(); ++i) {
        if (key == changes[i].key) {
          line = line_of(changes[i]) + "\r\n";
          placed[i] = true;
        }
      }
    }
    out += line;
  }
  if (!ended) {
    if (!out.empty() && out.back() != '\n') out += "\r\n";
    for (std::size_t i = 0; i < changes.size(); ++i) {
      if (!placed[i]) out += line_of(changes[i]) + "\r\n";
    }
  }

  bool holds_key = false;
  for_each_record_of_text(nullptr, out, [&](const std::string& key, const std::string& value) {
    if (key == kJquantsApiKeyKey) holds_key = !trim(value).empty();
  });
  const file_access access = holds_key ? file_access::owner_only : file_access::everyone;
  const std::string stored = utf8 ? out : utf8_to_cp932(out);
  if (const file_status written = write_file_atomic(path, stored, access); !written) {
    return status(status::io_error, "ファイルを書き込めません: " + path + "（" +
                                        file_error_text(written.error()) + "）");
  }
  return status::ok;
}

}  // namespace karigane
