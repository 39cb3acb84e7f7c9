// The mobile daily-price history page: see mobile_history_page.h.
#include "mobile_history_page.h"

#include <algorithm>

#include "page_html.h"
#include "page_subject.h"
#include "price_table.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<const char*, 6> kPeriodKeys{"fy", "fm", "fd", "ty", "tm", "td"};

std::string title_block(const stock_info& stock) {
  const std::string code = html_escape(stock.site_code_with_market());
  std::string html = "<div class=\"title\">";
  if (stock.is_index()) {
    html += "<a href=\"/stock/?code=" + code + "\">指数</a> <label><input type=\"radio\" name=\"idx\" value=\"" +
            html_escape(stock.site_code()) + "\" checked>" + html_escape(stock.name) + "</label>";
  } else {
    html += "<a href=\"/stock/?code=" + code + "\">" + html_escape(stock.name) + "</a>";
  }
  html += "<span class=\"market\">（" + html_escape(stock.market_name) + "）</span></div>\n";
  return html;
}

}  // namespace

std::vector<std::string> mobile_history_page::codes(const page_query& query) const {
  return {program_code_param(query.get("code"))};
}

page_answer mobile_history_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const auto subject = page_subject_of(data_, query, "code", kPeriodKeys, fault);
  if (!subject) {
    answer.title = "ページが存在しません - Karigane ファイナンス";
    answer.body = mobile_missing_page_body();
    return answer;
  }
  const stock_info* stock = subject->stock;
  const shown_period period = subject->period;
  const int page_no = page_number(query);
  const int first_year = std::min({1983, period.y1, period.y2});
  const int last_year = std::max({data_.today().y, period.y1, period.y2});
  const std::string code = html_escape(stock->site_code_with_market());
  answer.title = stock->name + "：時系列 - Karigane ファイナンス";

  std::string& html = answer.body;
  html.reserve(16384);
  html += mobile_header();
  html += "<div id=\"content\">\n";
  html += title_block(*stock);
  html += "<form action=\"/stock/historicaldata\" method=\"get\">\n";
  html += "<input type=\"hidden\" name=\"code\" value=\"" + code + "\">\n";
  html += "<p>開始日 " + mobile_period_select("fy", first_year, last_year, period.y1) + "年" +
          mobile_period_select("fm", 1, 12, period.m1) + "月" + mobile_period_select("fd", 1, 31, period.d1) + "日</p>\n";
  html += "<p>終了日 " + mobile_period_select("ty", first_year, last_year, period.y2) + "年" +
          mobile_period_select("tm", 1, 12, period.m2) + "月" + mobile_period_select("td", 1, 31, period.d2) + "日</p>\n";
  html += "<p><select name=\"cp\"> <option value=\"d\" selected>日次</option><option value=\"w\">週次</option>"
          "<option value=\"m\">月次</option></select> <input type=\"submit\" value=\"検索\"></p>\n</form>\n";

  const table_page rows = fault == content_fault::no_data
                              ? table_page{}
                              : history_table_page(data_, *stock, period.from(), period.to(), page_no);
  if (rows.rows.empty()) {
    html += "<p class=\"noData\">検索期間の価格データはありません。</p>\n";
  } else {
    html += price_table_html(rows, stock->is_index(), row_date_form::slash, "history");
    if (rows.more) {
      html += "<p class=\"next\"><a href=\"/stock/historicaldata?code=" + code + "&amp;fy=" +
              std::to_string(period.y1) + "&amp;fm=" + std::to_string(period.m1) + "&amp;fd=" +
              std::to_string(period.d1) + "&amp;ty=" + std::to_string(period.y2) + "&amp;tm=" +
              std::to_string(period.m2) + "&amp;td=" + std::to_string(period.d2) + "&amp;cp=d&amp;p=" +
              std::to_string(page_no + 1) + "\">次の50件</a></p>\n";
    }
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
