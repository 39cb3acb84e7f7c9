// The history pages' price table: see price_table.h.
#include "price_table.h"

#include <algorithm>

#include "page_html.h"

namespace karigane::quote_site {

table_page history_table_page(const market_data& data, const stock_info& stock, const date& from,
                              const date& to, int page) {
  table_page out;
  const std::vector<date> days = data.trading_days(stock, from, to);
  const std::size_t skip = static_cast<std::size_t>(std::max(0, page - 1)) * kRowsPerPage;
  if (skip >= days.size()) return out;
  // Newest first: page 1 holds the last kRowsPerPage days.
  const std::size_t newest = days.size() - skip;  // one past the newest index of this page
  const std::size_t oldest = newest > kRowsPerPage ? newest - kRowsPerPage : 0;
  out.more = oldest > 0;
  std::vector<price_row> rows =
      data.daily_rows(stock, std::span<const date>(days.data() + oldest, newest - oldest));
  std::reverse(rows.begin(), rows.end());
  out.rows = std::move(rows);
  // The page's span: the first page reaches to the period's end, the last to its start.
  const date span_to = skip == 0 ? to : add_days(days[newest], -1);
  const date span_from = out.more ? days[oldest] : from;
  out.splits = data.splits(stock, span_from, span_to);
  std::reverse(out.splits.begin(), out.splits.end());
  return out;
}

std::string price_table_html(const table_page& page, bool index, row_date_form form,
                             const std::string& table_class) {
  std::string html;
  html.reserve(256 + page.rows.size() * 220);
  html += "<table class=\"" + table_class + "\">\n";
  html += "<tr><th>日付</th><th>始値</th><th>高値</th><th>安値</th><th>終値</th>"
          "<th>出来高</th><th>調整後終値*</th></tr>\n";
  std::size_t next_split = 0;
  auto split_rows_from = [&](const date& d) {
    while (next_split < page.splits.size() && !(page.splits[next_split].day < d)) {
      const split_event& s = page.splits[next_split++];
      html += "<tr><td>" + kanji_date(s.day) + "</td><td colspan=\"6\" class=\"through\">分割: " +
              html_escape(s.before) + "株 -&gt; " + html_escape(s.after) + "株</td></tr>\n";
    }
  };
  for (const price_row& r : page.rows) {
    split_rows_from(r.day);
    html += "<tr><td>";
    html += form == row_date_form::kanji ? kanji_date(r.day) : plain_slash_date(r.day);
    html += "</td><td>" + price_text(r.open, index) + "</td><td>" + price_text(r.high, index) +
            "</td><td>" + price_text(r.low, index) + "</td><td>" + price_text(r.close, index) +
            "</td><td>" + thousands(r.volume) + "</td><td>" + price_text(r.adjusted_close, index) +
            "</td></tr>\n";
  }
  split_rows_from(date{});  // splits older than the page's oldest row, on its last page
  html += "</table>\n";
  return html;
}

}  // namespace karigane::quote_site
