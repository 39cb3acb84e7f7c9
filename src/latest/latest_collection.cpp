// The latest-day collection: see latest_collection.h.
#include "latest/latest_collection.h"

#include "core/file_store.h"
#include "core/text.h"
#include "kinds/data_kinds.h"
#include "latest/latest_files.h"
#include "latest/stock_list_renewal.h"

namespace karigane {
namespace {

// A stock that the source gave only half a row is left out of the latest-day file and the
// update (the stock list and the run's targets keep it) and counted as a failure.
void leave_out_incomplete_rows(run_context& ctx, data_d_table_t& table) {
  const std::size_t n = data_d_count(table);
  std::size_t m = 0;
  for (std::size_t k = 1; k <= n; ++k) {
    const std::string missing = missing_price_fields(table[k]);
    if (!missing.empty()) {
      ctx.failures.add({table[k][kDCode], kind_of(kind_id::latest).name, "",
                        "検索結果に欠けている項目があります（" + missing + "）"});
      continue;
    }
    ++m;
    if (m != k) table[m] = std::move(table[k]);
  }
  table.resize(m + 1);
  table[0][kDMarket] = num_text(static_cast<std::int64_t>(m));
}

// The latest-day file of the table: final rows of a stock that did not trade on the latest day
// show "---" for its day's prices.
status write_latest_file(run_context& ctx, const program_layout& layout, data_d_table_t& table) {
  // The latest-day folder is named without its final "/", as it always was.
  const std::string latest_folder = layout.latest_folder();
  for (const std::string& folder :
       {layout.database, latest_folder.substr(0, latest_folder.size() - 1)}) {
    if (!ensure_folder(folder)) ctx.set_write_error(folder);
  }
  if (ctx.has_run_error()) return status::failure(ctx.run_error());
  const local_time now = ctx.now();
  const std::string latest = table[0][kDCode];
  bool intraday = false;
  const std::string name = latest_day_file_name(latest, now, &intraday);
  if (!intraday) {
    for (std::size_t k = 1; k <= data_d_count(table); ++k) {
      ctx.pump();
      data_d_record& r = table[k];
      if (val(left(r[kDTradeDate], 8)) != val(latest)) {
        r[kDOpen] = r[kDHigh] = r[kDLow] = r[kDVolume] = kNoTradeText;
      }
    }
  }
  if (val(latest) < 19830101 || val(table[0][kDMarket]) <= 0) {
    ctx.set_label1("情報が収集できませんでした。", label_colour::red);
    return status::ok;
  }
  const std::string path = layout.latest_file(name);
  if (!write_latest_day_file(path, table, intraday)) {
    ctx.set_label1("日毎株価を書込めませんでした。", label_colour::red);
    ctx.set_write_error(path);
    return status::failure(ctx.run_error());
  }
  ctx.set_label1("最新日株価をダウンロードしました。", label_colour::blue);
  ctx.set_label4("", label_colour::blue);
  return status::ok;
}

// A site whose latest trading day lies after this computer's today: the clock is behind, and
// the rows' days (read with this year) cannot be trusted. Counted on its own line; the table is
// emptied, so that no latest-day file and no update is made of it.
bool clock_behind_site(run_context& ctx, data_d_table_t& table) {
  const std::optional<date> latest = parse_yyyymmdd(table[0][kDCode]);
  const date today = ctx.now().day;
  if (!latest || !(today < *latest)) return false;
  ctx.failures.add({"", kind_of(kind_id::latest).name, "",
                    "サイトの最新取引日 " + slash_text(*latest) + " がこのコンピューターの今日 " +
                        slash_text(today) + " より後です（時計をご確認ください）"});
  table.assign(1, {});
  return true;
}

}  // namespace

status collect_latest_day(run_context& ctx, const program_layout& layout, latest_source& source,
                          std::vector<std::string>& codes, bool write_file, data_d_table_t& table) {
  table.assign(1, {});
  if (ctx.stop_flag()) return status(status::stopped);
  ctx.pump();
  if (const status fetched = source.fetch_latest_day(ctx, codes, table); !fetched) return fetched;
  if (ctx.stop_flag()) return status(status::stopped);
  renew_stock_list(ctx, layout, table);
  // A stock list that could not be written ends the run.
  if (ctx.has_run_error()) return status::failure(ctx.run_error());
  if (ctx.stop_flag()) return status(status::stopped);

  const std::size_t n = data_d_count(table);
  codes.clear();
  for (std::size_t k = 1; k <= n; ++k) codes.push_back(table[k][kDCode]);
  if (clock_behind_site(ctx, table)) return status::ok;
  leave_out_incomplete_rows(ctx, table);
  if (!write_file) return status::ok;
  return write_latest_file(ctx, layout, table);
}

}  // namespace karigane
