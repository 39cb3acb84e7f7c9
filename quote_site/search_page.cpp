// The search page: see search_page.h.
#include "search_page.h"

#include <algorithm>
#include <set>

#include "page_html.h"
#include "price_limits.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

// The codes of a query, split at "+" (a space once the query is decoded), duplicates dropped.
std::vector<std::string> query_codes(const std::string& query) {
  std::vector<std::string> out;
  std::set<std::string> seen;
  std::string code;
  auto flush = [&] {
    const std::string program = program_code_param(code);
    if (!program.empty() && seen.insert(program).second) out.push_back(program);
    code.clear();
  };
  for (char c : query) {
    if (c == '+' || c == ' ') {
      flush();
    } else {
      code += c;
    }
  }
  flush();
  return out;
}

struct listed_quote {
  const stock_info* stock = nullptr;
  price_row row;
  bool traded_latest = true;  // traded on the market's newest trading day
  bool limit_high = false;
  bool limit_low = false;
};

std::string time_or_date(const market_data& data, const listed_quote& q) {
  const local_time& now = data.now();
  const bool open_now = data.calendar().is_trading_day(now.day) && now.hour >= 9 && now.hour < 15;
  if (open_now && q.row.day == now.day) {
    return std::to_string(now.hour) + ":" + (now.minute < 10 ? "0" : "") + std::to_string(now.minute);
  }
  return std::to_string(q.row.day.m) + "/" + std::to_string(q.row.day.d);
}

std::string name_cell(const stock_info& s) {
  return "<td><a class=\"ico\" href=\"/q?s=" + html_escape(s.site_code_with_market()) + "\">" +
         html_escape(s.name) + "</a></td>";
}

std::string view1_row(const market_data& data, const listed_quote& q) {
  const stock_info& s = *q.stock;
  const bool index = s.is_index();
  return "<tr><td>" + html_escape(s.site_code()) + "</td><td>" + html_escape(s.market_name) +
         "</td>" + name_cell(s) + "<td class=\"time\">" + time_or_date(data, q) +
         "</td><td><strong>" + price_text(q.row.close, index) + "</strong></td><td>" +
         (q.traded_latest ? thousands(q.row.volume) : std::string("---")) + "</td></tr>\n";
}

std::string view2_row(const listed_quote& q) {
  const stock_info& s = *q.stock;
  const bool index = s.is_index();
  auto value = [&](std::int64_t v) { return q.traded_latest ? price_text(v, index) : std::string("---"); };
  std::string html = "<tr><td>" + html_escape(s.site_code()) + "</td><td>" +
                     html_escape(s.market_name) + "</td>" + name_cell(s) + "<td><strong>" +
                     price_text(q.row.close, index) + "</strong>";
  if (q.limit_high) html += "<span class=\"limit\">S高</span>";
  if (q.limit_low) html += "<span class=\"limit\">S安</span>";
  html += "</td><td>" + value(q.row.open) + "</td>";
  html += q.limit_high ? "<td class=\"greenFin\">" : "<td>";
  html += value(q.row.high) + "</td>";
  html += q.limit_low ? "<td class=\"redFin\">" : "<td>";
  html += value(q.row.low) + "</td></tr>\n";
  return html;
}

}  // namespace

std::vector<std::string> search_page::codes(const page_query& query) const {
  return query_codes(query.get("query"));
}

page_answer search_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const std::string view = query.get("view") == "l2" ? "l2" : "l1";
  const std::string query_text = query.get("query");
  answer.title = "「" + query_text + "」の検索結果 - Karigane ファイナンス";

  const date latest = data_.latest_trading_day();
  std::vector<listed_quote> quotes;
  if (fault != content_fault::no_stock && fault != content_fault::no_data) {
    for (const std::string& code : query_codes(query_text)) {
      if (std::find(query.left_out.begin(), query.left_out.end(), code) != query.left_out.end()) {
        continue;
      }
      const stock_info* stock = data_.find(code);
      if (stock == nullptr) continue;
      if (fault == content_fault::wrong_stock) stock = &data_.stocks().other_than(*stock, data_.today());
      std::vector<date> days =
          data_.trading_days(*stock, add_days(data_.today(), -40), data_.today());
      if (days.empty()) continue;
      // The last trade and the one before it (for the price limit) are all the page shows.
      if (days.size() > 2) days.erase(days.begin(), days.end() - 2);
      const std::vector<price_row> rows = data_.daily_rows(*stock, days);
      listed_quote q;
      q.stock = stock;
      q.row = rows.back();
      q.traded_latest = q.row.day == latest;
      if (rows.size() >= 2 && !stock->is_index() && q.traded_latest) {
        const std::int64_t previous = rows[rows.size() - 2].close / 100;
        const std::int64_t close = q.row.close / 100;
        q.limit_high = close >= previous + daily_limit_width(previous);
        q.limit_low = close <= previous - daily_limit_width(previous);
      }
      quotes.push_back(q);
    }
  }

  std::string& html = answer.body;
  html += "<div id=\"header\"><a href=\"/\">Karigane ファイナンス</a>"
          "<form action=\"/search/\" method=\"get\"><input type=\"text\" name=\"query\" value=\"" +
          html_escape(query_text) + "\"> <input type=\"submit\" value=\"検索\"></form></div>\n";
  html += "<div id=\"main\">\n";
  if (quotes.empty()) {
    html += "<p class=\"error\">該当する銘柄は見つかりません。</p>\n</div>\n";
    return answer;
  }
  html += "<table class=\"yjS\">\n";
  if (view == "l1") {
    html += "<tr><th>コード</th><th>市場</th><th>名称</th><th>取引値</th><th></th><th>出来高</th></tr>\n";
    for (const listed_quote& q : quotes) html += view1_row(data_, q);
  } else {
    html += "<tr><th>コード</th><th>市場</th><th>名称</th><th>取引値</th><th>始値</th><th>高値</th>"
            "<th>安値</th></tr>\n";
    for (const listed_quote& q : quotes) html += view2_row(q);
  }
  html += "<tr><td colspan=\"7\" class=\"paging\">" + std::to_string(quotes.size()) +
          "件</td></tr>\n</table>\n</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
