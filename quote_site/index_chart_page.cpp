// The index chart page: see index_chart_page.h.
#include "index_chart_page.h"

#include <cstdio>

#include "page_html.h"

namespace karigane::quote_site {

std::vector<std::string> index_chart_page::codes(const page_query&) const { return {"1001"}; }

page_answer index_chart_page::render(const page_query&, content_fault fault) const {
  page_answer answer;
  answer.title = "日経平均 チャート";
  std::string& html = answer.body;
  html += "<div id=\"chart\"><h2>日経平均</h2>\n";
  const stock_info* index = data_.find("1001");
  if (index == nullptr || fault == content_fault::no_data || fault == content_fault::no_stock) {
    html += "<p>データがありません。</p></div>\n";
    return answer;
  }
  const local_time& now = data_.now();
  date last = data_.latest_trading_day();
  const bool closed = !(last == now.day) || now.hour > 15 || (now.hour == 15 && now.minute >= 30);
  if (!closed) last = add_days(last, -1);
  std::vector<date> days = data_.trading_days(*index, add_days(last, -120), last);
  if (days.size() > 60) days.erase(days.begin(), days.end() - 60);
  const std::vector<price_row> rows = data_.daily_rows(*index, days);

  html += "<img src=\"/fisco/chart.png\" width=\"" + std::to_string(rows.size() * 5) +
          "\" height=\"200\" usemap=\"#n225\" alt=\"日経平均\">\n<map name=\"n225\">\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const price_row& r = rows[i];
    char day[16];
    std::snprintf(day, sizeof day, "%04d/%02d/%02d", r.day.y, r.day.m, r.day.d);
    html += "<area shape=\"rect\" coords=\"" + std::to_string(i * 5) + ",0," +
            std::to_string(i * 5 + 4) + ",200\" onmouseover=\"showData('" + day + "|" +
            price_text(r.open, true) + "|" + price_text(r.high, true) + "|" +
            price_text(r.low, true) + "|" + price_text(r.close, true) + "|" +
            thousands(r.volume) + "|')\" href=\"#\">\n";
  }
  html += "</map></div>\n";
  return answer;
}

}  // namespace karigane::quote_site
