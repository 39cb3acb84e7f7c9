// The settings record: database folders, page-form choices, data-kind folder names and the
// hosts of the quote site. Filled by read_settei_sub (app/settings.h), read by every driver.
// Folder paths are absolute, use "/" and end in "/".
#pragma once

#include <string>

namespace karigane {

struct settei_record {
  std::string kabuka_path;
  std::string syusei_path;
  std::string jikeiretu_site = "新";
  std::string shinyou_site = "新";
  std::string data_d_name = "data_d";
  std::string data_m_name = "data_m";
  std::string data_c_name = "data_c";
  std::string data_ztan_name = "data_ztan";
  std::string data_zren_name = "data_zren";
  std::string data_ztyu_name = "data_ztyu";

  // Hosts of the quote site: scheme://host[:port], no trailing "/".
  std::string kabuka_site_url = "http://info.finance.yahoo.co.jp";
  std::string mobile_site_url = "http://m.finance.yahoo.co.jp";
  std::string old_table_url = "http://table.yahoo.co.jp";
  std::string profile_site_url = "http://profile.yahoo.co.jp";
  std::string index_site_url = "http://www.fisco.co.jp";

  // Politeness towards the quote site: the least time between two requests to one host that
  // is not on this machine.
  int access_interval_ms = 500;
  // A certificate file trusted besides the system's for HTTPS hosts (absolute path), or "".
  std::string ca_certificate_file;
};

}  // namespace karigane
