// Index data: see index_data.h.
#include "sources/quote_site/index_data.h"

#include "sources/quote_site/page_retrieval.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane {

status fetch_index_chart(run_context& ctx, const quote_site_settings& site, index_table_t& table) {
  if (ctx.stop_flag()) return status(status::stopped, "指処理を中断しました。");
  ctx.set_label1("指標データ処理中", label_colour::blue);
  ctx.pump();
  ctx.pump();
  const retrieved_page page = retrieve_page(ctx, site.connection, index_chart_url(site));
  if (!page.outcome) return page.outcome;
  ctx.pump();
  read_shihyou_data_sub(ctx, page.page, table);
  ctx.set_label1("指標データ処理完了", label_colour::blue);
  ctx.pump();
  return status::ok;
}

status index_chart_of_run::read(run_context& ctx, const quote_site_settings& site, bool announce) {
  if (outcome_) return *outcome_;
  if (announce) {
    outcome_ = fetch_index_chart(ctx, site, table_);
  } else {
    const retrieved_page page = retrieve_page(ctx, site.connection, index_chart_url(site));
    if (page.outcome) read_shihyou_data_sub(ctx, page.page, table_);
    outcome_ = page.outcome;
  }
  // A stop is no answer of the site: a later call in the same run may try again.
  const status outcome = *outcome_;
  if (outcome == status::stopped || ctx.stop_flag()) outcome_.reset();
  return outcome;
}

std::vector<date> index_chart_of_run::days(run_context& ctx, const quote_site_settings& site) {
  if (!read(ctx, site, false)) return {};
  std::vector<date> days;
  for (std::size_t k = 1; k < table_.size(); ++k) {
    if (const auto d = parse_yyyymmdd(table_[k][0])) days.push_back(*d);
  }
  return days;
}

void read_shihyou_data_sub(run_context& ctx, const std::string& page_text, index_table_t& table) {
  const u32 page = to_u32(page_text);
  const std::size_t map = instr(page, U"<MAP");
  if (map == 0) return;
  const std::size_t area = instr(page, U"<AREA", map);
  if (area == 0) return;
  u32v work = u32v(page).substr(area - 1);
  std::size_t end = instr(work, U"</MA");
  end = end == 0 ? 0 : instr(work, U">", end);
  if (end != 0) work = work.substr(0, end);

  table.assign(1, {});
  while (true) {
    ctx.pump();
    const std::size_t open = instr(work, U"(");
    if (open == 0) break;
    const std::size_t close = instr(work, U")", open);
    const std::size_t gt = close == 0 ? 0 : instr(work, U">", close);
    const std::size_t data_end = close == 0 ? work.size() + 1 : close;
    // The argument without the quote marks around it.
    const u32v data = data_end > open + 2 ? work.substr(open + 1, data_end - open - 3) : u32v();
    auto& row = table.emplace_back();
    std::size_t from = 0;
    for (std::size_t field = 0; field < 6; ++field) {
      const std::size_t bar = data.find(U'|', from);
      if (bar == u32v::npos) break;
      const std::string text = to_utf8(data.substr(from, bar - from));
      if (field == 0) {
        const std::string y = left(text, 4);
        const std::string m = mid(text, 6, 2);
        row[0] = y + m + right(text, 2);
      } else {
        row[field] = remove_all(text, ",");
      }
      from = bar + 1;
    }
    if (gt == 0) break;
    work.remove_prefix(gt);
  }
  const std::size_t m = table.size() - 1;
  table[0] = {"1001", "", "日経平均", m > 0 ? table[1][0] : "", m > 0 ? table[m][0] : "",
              num_text(static_cast<std::int64_t>(m)), ""};
}

}  // namespace karigane
