// The mobile margin page: see mobile_margin_page.h.
#include "mobile_margin_page.h"

#include <algorithm>

#include "margin_balances.h"
#include "margin_table.h"
#include "page_html.h"
#include "page_subject.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<const char*, 6> kPeriodKeys{"fy", "fm", "fd", "ty", "tm", "td"};

}  // namespace

std::vector<std::string> mobile_margin_page::codes(const page_query& query) const {
  return {program_code_param(query.get("code"))};
}

page_answer mobile_margin_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const auto subject = page_subject_of(data_, query, "code", kPeriodKeys, fault);
  if (!subject) {
    answer.title = "ページが存在しません - Karigane ファイナンス";
    answer.body = mobile_missing_page_body();
    return answer;
  }
  const stock_info* stock = subject->stock;
  const shown_period period = subject->period;
  const int first_year = std::min({1983, period.y1, period.y2});
  const int last_year = std::max({data_.today().y, period.y1, period.y2});
  const std::string code = html_escape(stock->site_code_with_market());
  answer.title = stock->name + "：信用残 - Karigane ファイナンス";

  std::string& html = answer.body;
  html.reserve(8192);
  html += mobile_header();
  html += "<div id=\"content\">\n<div class=\"title\"><a href=\"/stock/?code=" + code + "\">" +
          html_escape(stock->name) + "</a><span class=\"market\">（" + html_escape(stock->market_name) +
          "）</span></div>\n";
  html += "<form action=\"/stock/historicaldata/margin\" method=\"get\">\n";
  html += "<input type=\"hidden\" name=\"code\" value=\"" + code + "\">\n";
  html += "<p>開始日 " + mobile_period_select("fy", first_year, last_year, period.y1) + "年" +
          mobile_period_select("fm", 1, 12, period.m1) + "月" + mobile_period_select("fd", 1, 31, period.d1) + "日</p>\n";
  html += "<p>終了日 " + mobile_period_select("ty", first_year, last_year, period.y2) + "年" +
          mobile_period_select("tm", 1, 12, period.m2) + "月" + mobile_period_select("td", 1, 31, period.d2) + "日</p>\n";
  html += "<p><input type=\"submit\" value=\"検索\"></p>\n</form>\n";

  const std::vector<margin_week> weeks =
      fault == content_fault::no_data ? std::vector<margin_week>{}
                                      : margin_weeks(data_, *stock, period.from(), period.to());
  if (!stock->is_index() && weeks.empty()) {
    html += "<p class=\"noData\">検索期間の信用残データはありません。</p>\n";
  } else {
    html += margin_table_html(weeks, row_date_form::slash, margin_cells::plain, "margin");
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
