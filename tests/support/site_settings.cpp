// settei.txt pointing at the local quote site, and the factory stock list: see site_settings.h.
#include "support/site_settings.h"

#include "support/temp_folder.h"

namespace karigane::testing {

void write_site_settings(const std::string& folder, const quote_site_process& site,
                         const std::string& extra) {
  const std::string url = site.url();
  write_cp932(folder + "settei.txt", "株価サイトURL," + url + "\r\nモバイルサイトURL," + url +
                                         "\r\n旧株価テーブルURL," + url + "\r\n企業情報サイトURL," +
                                         url + "\r\n指標サイトURL," + url + "\r\n" + extra +
                                         "EOF,EOF\r\n");
}

void write_factory_stock_list(const std::string& folder) {
  write_bytes(folder + "meigara_list.csv",
              file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"));
}

}  // namespace karigane::testing
