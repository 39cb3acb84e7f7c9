// What the settings dialog ("設定") shows of a program folder's settings, and the changes to
// settei.txt that its edited fields ask for, checked before anything is written. No widgets:
// the dialog (settings_dialog.h) fills one form from its fields and hands both forms here.
//
// Only the fields the user changed are written, so that what the dialog does not show, values
// the reader refused, a stored key and the five hosts of the quote site when they name
// different sites all stay as they are.
#pragma once

#include <string>
#include <vector>

#include "core/status.h"
#include "run/settings.h"

namespace karigane {

struct settings_form {
  source_id source = source_id::quote_site;  // "データ取得元"
  std::string site;                          // "株価サイトURL"
  bool sites_differ = false;                 // the five host keys do not all name that site
  std::string jquants_url;                   // "J-QuantsURL"
  std::string api_key_masked;                // the J-Quants key in force, masked; "" without one
  bool api_key_from_environment = false;     // that key is JQUANTS_API_KEY's, not the file's
  std::string new_api_key;                   // typed by the user: "" keeps the stored key
  jquants_plan plan = jquants_plan::free;
  std::string access_interval;      // "アクセス間隔ミリ秒"
  std::string ca_certificate_file;  // "CA証明書ファイル", as settei.txt writes it
};

// The form of the settings in force (read_settings).
settings_form settings_form_of(const program_settings& settings);

struct settings_form_changes {
  status checked;  // ok, or failed with a message naming the field that cannot be written
  std::vector<setting_change> changes;
};

// The changes to settei.txt of the fields that differ between `shown` (the form as it was
// read) and `edited`. A changed site sets the five host keys to it, as `init --site` does.
settings_form_changes settings_form_changes_of(const settings_form& shown,
                                               const settings_form& edited,
                                               const std::string& program_folder);

}  // namespace karigane
