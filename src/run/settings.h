// The settings file settei.txt in the program folder: its records ("key,value", CP932 or UTF-8,
// up to the record "EOF,EOF"), and the one table that declares every setting once (its key,
// the value a new file gets, and where it goes in the settings record). The reader that runs
// at start-up and at the start of every run, `init`, the unknown-key warning and the window's
// settings all work from that table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_context.h"
#include "core/status.h"
#include "http/connection_settings.h"
#include "kinds/data_kinds.h"
#include "kinds/program_layout.h"
#include "sources/jquants/jquants_settings.h"
#include "sources/quote_site/quote_site_settings.h"

namespace karigane {

// Everything settei.txt sets, in the pieces each layer takes: the database's layout, the
// source ("データ取得元"), the quote site's hosts and page forms, J-Quants' address, key and
// plan, and the connection both sources use (a copy of it is in each source's settings).
struct program_settings {
  program_layout layout;
  source_id source = source_id::quote_site;
  quote_site_settings quote_site;
  jquants_settings jquants;
  connection_settings connection;
};

// The keys that the settings dialog and messages name (the table declares them with these).
inline constexpr const char* kSourceKey = "データ取得元";
inline constexpr const char* kQuoteSiteUrlKey = "株価サイトURL";
inline constexpr const char* kAccessIntervalKey = "アクセス間隔ミリ秒";
inline constexpr const char* kCaCertificateFileKey = "CA証明書ファイル";

// The most "アクセス間隔ミリ秒" may be: a minute.
inline constexpr int kMaxAccessIntervalMs = 60'000;

// The interval a value of "アクセス間隔ミリ秒" gives: a whole number of milliseconds from 0 to
// kMaxAccessIntervalMs; nothing for any other value (the reader then keeps what it had).
std::optional<int> access_interval_value(std::string_view value);

// The names of the sources as settei.txt writes them: "株価サイト", "J-Quants".
const char* source_setting_value(source_id source);

// Which part of the settings a key belongs to.
enum class setting_group { database, source, quote_site_host, quote_site, jquants, connection };

// One setting of settei.txt.
struct setting {
  const char* key;
  const char* default_value;  // the value a new settei.txt gets
  setting_group group;
  // Sets the record's member from a value read from the file (relative paths lie below the
  // program folder); a value the setting cannot take leaves the member as it was.
  void (*read)(program_settings& settings, const std::string& value);
  // The member's value as the file writes it.
  std::string (*write)(const program_settings& settings);
};

// Every setting, in the order a new settei.txt lists them.
const std::vector<setting>& settings_table();

// The settings of a program folder with every setting at its default (the table's).
program_settings default_settings(const std::string& program_folder,
                                  const std::string& factory_folder = {});

// The settings of a program folder: the defaults, then the records of its settei.txt up to the
// "EOF" record or the end of the file. A missing or unreadable file leaves the defaults. An
// empty J-Quants key is the environment's JQUANTS_API_KEY. With `ctx`, the reader pumps before
// each record and a stop ends it.
program_settings read_settings(const std::string& program_folder,
                               const std::string& factory_folder, run_context* ctx = nullptr);

// The keys of settei.txt's records that no setting knows (a misspelt host key would silently
// send a run to the default hosts), each once, in the order of the file.
std::vector<std::string> unknown_settings_keys(const std::string& program_folder);

// The warning a run gives for such a key.
std::string unknown_settings_key_warning(const std::string& key);

// The text of a new settei.txt: every setting with its value in `settings`, then "EOF,EOF".
std::string settings_file_text(const program_settings& settings);

// One value to set in settei.txt.
struct setting_change {
  std::string key;
  std::string value;
};

// Sets values in a program folder's settei.txt and keeps everything else of it: each record of
// a changed key gets the new value, a key the file lacks is added before its end record, and
// unknown keys, blank lines and whatever follows the end record stay as they are. A missing
// file is made from the defaults first. The file keeps its encoding (UTF-8 or CP932) and, once
// it holds a J-Quants API key, is readable by its owner alone. Replaced atomically.
status change_settings_file(const std::string& program_folder,
                            const std::vector<setting_change>& changes);

// The folder value of a settings record as an absolute folder path ending in "/": relative
// values (written with "\" or "/") lie below the program folder.
std::string settings_folder_path(const std::string& program_folder, const std::string& value);

// The file value of a settings record as a path: relative values lie below the program
// folder; "" stays "".
std::string settings_file_path(const std::string& program_folder, const std::string& value);

}  // namespace karigane
