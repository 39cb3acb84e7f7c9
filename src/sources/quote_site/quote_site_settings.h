// The quote site as the settings describe it (their defaults are the settings table's): the hosts
// of its pages (scheme://host[:port], no trailing "/"), the page forms of the history and margin
// downloads, and the connection.
#pragma once

#include <string>

#include "http/connection_settings.h"

namespace karigane {

struct quote_site_settings {
  std::string kabuka_site_url;   // "株価サイトURL"
  std::string mobile_site_url;   // "モバイルサイトURL"
  std::string old_table_url;     // "旧株価テーブルURL"
  std::string profile_site_url;  // "企業情報サイトURL"
  std::string index_site_url;    // "指標サイトURL"
  std::string history_form;      // "時系列株価取得サイト": "新" or "Ｍ"
  std::string margin_form;       // "時系列信用売買残取得サイト": "新", "旧" or "Ｍ"
  connection_settings connection;
};

}  // namespace karigane
