// Reading settei.txt: see settings.h.
#include "run/settings.h"

#include <algorithm>
#include <charconv>

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

// Host values are scheme://host[:port]; a trailing "/" would double the path's first "/".
std::string host_value(std::string value) {
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

// A whole number of milliseconds, at most a minute; anything else keeps what was there.
void interval_value(const std::string& value, int& interval_ms) {
  constexpr int kMaxIntervalMs = 60'000;
  int ms = 0;
  const auto r = std::from_chars(value.data(), value.data() + value.size(), ms);
  if (!value.empty() && r.ec == std::errc() && r.ptr == value.data() + value.size() && ms >= 0 &&
      ms <= kMaxIntervalMs) {
    interval_ms = ms;
  }
}

// Walks the records of settei.txt as the reader takes them: a key and a value as two
// consecutive fields, up to the record whose key and value both contain "EOF" (that one
// included) or the end of the file. `ctx`, when given, is pumped before each record and its
// stop flag ends the walk.
template <class Visit>
void for_each_settings_record(run_context* ctx, const std::string& folder, Visit visit) {
  std::string bytes;
  if (!read_file_bytes(folder + "settei.txt", bytes)) return;
  const std::string text = decode_user_text(bytes);
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

}  // namespace

const std::vector<settings_key>& settings_keys() {
  static const std::vector<settings_key> keys = [] {
    const settei_record d;
    return std::vector<settings_key>{
        {"株価データベースフォルダパス", "kabuka/", false},
        {"修正株価データベースフォルダパス", "kabuka/syusei_kabuka/", false},
        {"時系列株価取得サイト", d.jikeiretu_site, false},
        {"時系列信用売買残取得サイト", d.shinyou_site, false},
        {"最新日株価フォルダ名", d.data_d_name, false},
        {"時系列株価フォルダ名", d.data_m_name, false},
        {"信用売買残フォルダ名", d.data_c_name, false},
        {"財務情報単独決算フォルダ名", d.data_ztan_name, false},
        {"財務情報連結決算フォルダ名", d.data_zren_name, false},
        {"財務情報中間決算フォルダ名", d.data_ztyu_name, false},
        {"株価サイトURL", d.kabuka_site_url, true},
        {"モバイルサイトURL", d.mobile_site_url, true},
        {"旧株価テーブルURL", d.old_table_url, true},
        {"企業情報サイトURL", d.profile_site_url, true},
        {"指標サイトURL", d.index_site_url, true},
        {"アクセス間隔ミリ秒", std::to_string(d.access_interval_ms), false},
        {"CA証明書ファイル", d.ca_certificate_file, false},
    };
  }();
  return keys;
}

void read_settei_sub(run_context& ctx, settei_record& settei) {
  const std::string& folder = ctx.program_folder;
  const settei_record defaults;
  settei = defaults;
  settei.kabuka_path = folder + "kabuka/";
  settei.syusei_path = folder + "kabuka/syusei_kabuka/";

  for_each_settings_record(&ctx, folder, [&](const std::string& key, const std::string& value) {
    if (key == "株価データベースフォルダパス") {
      settei.kabuka_path = settings_folder_path(folder, value);
    } else if (key == "修正株価データベースフォルダパス") {
      settei.syusei_path = settings_folder_path(folder, value);
    } else if (key == "時系列株価取得サイト") {
      settei.jikeiretu_site = value;
    } else if (key == "時系列信用売買残取得サイト") {
      settei.shinyou_site = value;
    } else if (key == "最新日株価フォルダ名") {
      settei.data_d_name = value;
    } else if (key == "時系列株価フォルダ名") {
      settei.data_m_name = value;
    } else if (key == "信用売買残フォルダ名") {
      settei.data_c_name = value;
    } else if (key == "財務情報単独決算フォルダ名") {
      settei.data_ztan_name = value;
    } else if (key == "財務情報連結決算フォルダ名") {
      settei.data_zren_name = value;
    } else if (key == "財務情報中間決算フォルダ名") {
      settei.data_ztyu_name = value;
    } else if (key == "株価サイトURL") {
      settei.kabuka_site_url = host_value(value);
    } else if (key == "モバイルサイトURL") {
      settei.mobile_site_url = host_value(value);
    } else if (key == "旧株価テーブルURL") {
      settei.old_table_url = host_value(value);
    } else if (key == "企業情報サイトURL") {
      settei.profile_site_url = host_value(value);
    } else if (key == "指標サイトURL") {
      settei.index_site_url = host_value(value);
    } else if (key == "アクセス間隔ミリ秒") {
      interval_value(value, settei.access_interval_ms);
    } else if (key == "CA証明書ファイル") {
      settei.ca_certificate_file = settings_file_path(folder, value);
    }
  });
}

std::vector<std::string> unknown_settings_keys(const std::string& program_folder) {
  std::vector<std::string> unknown;
  for_each_settings_record(nullptr, program_folder, [&](const std::string& key,
                                                         const std::string& value) {
    // The end record, and a lone "EOF" or blank line that a hand-edited file ends with.
    if ((contains(key, "EOF") && contains(value, "EOF")) || key == "EOF" || key.empty()) return;
    const auto& keys = settings_keys();
    const bool known = std::any_of(keys.begin(), keys.end(),
                                   [&](const settings_key& k) { return key == k.name; });
    if (!known && std::find(unknown.begin(), unknown.end(), key) == unknown.end()) {
      unknown.push_back(key);
    }
  });
  return unknown;
}

std::string unknown_settings_key_warning(const std::string& key) {
  return "settei.txt の不明なキーを読み飛ばしました: " + key;
}

}  // namespace karigane
