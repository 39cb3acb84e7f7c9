// Every page extractor on one page text in the legacy form: the history pages (new and mobile
// layouts), the margin pages (history and old table), the statement pages of the three kinds,
// both search-result views and the index chart page. The requests are the ones the seed pages
// answer (stock 1301 and the index 1001, the windows below), so that mutations reach the rows.
// Faults are what the sanitizers see; every extractor must take any text.
#include <cstdint>
#include <string>

#include "core/run_context.h"
#include "financial/statement_kinds.h"
#include "sources/quote_site/statement_page_extractor.h"
#include "financial/zaimu_table.h"
#include "latest/data_d_table.h"
#include "sources/quote_site/index_data.h"
#include "sources/quote_site/search_page_parser.h"
#include "margin/credit_table.h"
#include "sources/quote_site/margin_history_extractor.h"
#include "sources/quote_site/old_table_extractor.h"
#include "sources/quote_site/history_page_extractor.h"
#include "sources/quote_site/mobile_page_extractor.h"
#include "timeseries/price_table.h"

namespace {

using namespace karigane;

class fixed_clock_context : public run_context {
 public:
  local_time now() const override { return local_time{date{2013, 2, 20}, 16, 0, 0}; }
};

const kikan_row kPriceWindow{"", date{2013, 1, 1}, date{2013, 2, 19}};
const kikan_row kMarginWindow{"", date{2013, 1, 1}, date{2013, 2, 19}};

void history_pages(run_context& ctx, const std::string& page, const std::string& code) {
  for (int mobile = 0; mobile < 2; ++mobile) {
    price_rows rows = empty_price_rows(code);
    if (mobile) {
      read_mobile_history_page(ctx, page, kPriceWindow, rows);
    } else {
      read_history_page(ctx, page, kPriceWindow, rows);
    }
  }
}

void margin_pages(run_context& ctx, const std::string& page, const std::string& code) {
  for (int old = 0; old < 2; ++old) {
    for (const bool verify : {true, false}) {
      credit_tbl_t table = empty_credit_table(code);
      if (old) {
        read_old_margin_table(ctx, page, kMarginWindow, verify, table);
      } else {
        read_margin_history_page(ctx, page, kMarginWindow, verify, table);
      }
    }
  }
}

void statement_pages(run_context& ctx, const std::string& page) {
  for (const char* kind : {"単独決算", "連結決算", "中間決算"}) {
    zaimu_tbl_t table = empty_zaimu_table("1301");
    read_statement_page(ctx, kind, page, true, table);
  }
}

void search_pages(run_context& ctx, const std::string& page) {
  const char* codes[] = {"1301", "1332", "1001", "1002"};
  data_d_table_t table(std::size(codes) + 1);
  table[0][kDMarket] = std::to_string(std::size(codes));
  for (std::size_t k = 0; k < std::size(codes); ++k) table[k + 1][kDCode] = codes[k];
  read_yh_data_d1_sub(ctx, page, table, 1, std::size(codes));
  read_yh_data_d2_sub(ctx, page, table, 1, std::size(codes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string page(reinterpret_cast<const char*>(data), size);
  fixed_clock_context ctx;
  history_pages(ctx, page, "1301");
  history_pages(ctx, page, "1001");
  margin_pages(ctx, page, "1301");
  statement_pages(ctx, page);
  search_pages(ctx, page);
  index_table_t index;
  read_shihyou_data_sub(ctx, page, index);
  return 0;
}
