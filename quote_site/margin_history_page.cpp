// The margin history page: see margin_history_page.h.
#include "margin_history_page.h"

#include <algorithm>

#include "margin_balances.h"
#include "margin_table.h"
#include "page_html.h"
#include "page_subject.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<const char*, 6> kPeriodKeys{"sy", "sm", "sd", "ey", "em", "ed"};

std::string select(const char* name, const char* id, int first, int last, int chosen) {
  return std::string("<select name=\"") + name + "\" id=\"" + id + "\">" +
         number_options(first, last, chosen, selected_place::before_value) + "</select>";
}

std::string period_selects(const shown_period& p, const date& today) {
  const int first_year = std::min({1983, p.y1, p.y2});
  const int last_year = std::max({today.y, p.y1, p.y2});
  return "<p class=\"period\">期間：" + select("sy", "selYear", first_year, last_year, p.y1) + "年" +
         select("sm", "selMonth", 1, 12, p.m1) + "月" + select("sd", "selDay", 1, 31, p.d1) + "日 ～ " +
         select("ey", "selYear", first_year, last_year, p.y2) + "年" +
         select("em", "selMonth", 1, 12, p.m2) + "月" + select("ed", "selDay", 1, 31, p.d2) + "日</p>\n";
}

}  // namespace

std::vector<std::string> margin_history_page::codes(const page_query& query) const {
  return {program_code_param(query.get("code"))};
}

page_answer margin_history_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const auto subject = page_subject_of(data_, query, "code", kPeriodKeys, fault);
  if (!subject) {
    answer.title = "銘柄が見つかりません - Karigane ファイナンス";
    answer.body = unknown_stock_body();
    return answer;
  }
  const stock_info* stock = subject->stock;
  const shown_period period = subject->period;

  const std::string code = html_escape(stock->site_code_with_market());
  answer.title = stock->name + "【" + stock->site_code() + "】：信用残時系列 - Karigane ファイナンス";

  std::string& html = answer.body;
  html.reserve(12288);
  html += site_header();
  html += "<div id=\"main\">\n<ul class=\"stockNav\">";
  html += "<li><a href=\"/stocks/detail/?code=" + code + "\" title=\"株価詳細\">株価詳細</a></li>";
  html += "<li><a href=\"/history/?code=" + code + "\">時系列</a></li>";
  html += "<li class=\"selected\"><a href=\"/history/margin/?code=" + code + "\">信用残時系列</a></li>";
  html += "<li><a href=\"/profile/?code=" + code + "\">企業情報</a></li></ul>\n";
  html += "<div class=\"stockInfo\">\n<h1>" + html_escape(stock->name) + "</h1>\n";
  html += "<p class=\"codeMarket\"><span class=\"code\">【" + html_escape(stock->site_code()) +
          "】</span> <span class=\"yjSb\">" + html_escape(stock->market_name) + "</span></p>\n</div>\n";
  html += "<form action=\"/history/margin/\" method=\"get\" class=\"historySearch\">\n";
  html += "<input type=\"hidden\" name=\"code\" value=\"" + code + "\">\n";
  html += period_selects(period, data_.today());
  html += "<p><input type=\"hidden\" name=\"tm\" value=\"d\"><input type=\"submit\" value=\"表示\"></p>\n</form>\n";
  html += "<div class=\"detailLinks\"><h2>詳細情報</h2><ul>"
          "<li><a href=\"/stocks/detail/?code=" + code + "\">株価</a></li>"
          "<li><a href=\"/history/?code=" + code + "\">時系列</a></li></ul></div>\n";

  if (stock->is_index()) {
    html += "<p class=\"note\">指数には信用取引の残高がありません。</p>\n";
    html += margin_table_html({}, row_date_form::kanji, margin_cells::plain, "boardFin yjSt marB6");
  } else {
    const std::vector<margin_week> weeks =
        fault == content_fault::no_data ? std::vector<margin_week>{}
                                        : margin_weeks(data_, *stock, period.from(), period.to());
    if (weeks.empty()) {
      html += "<p class=\"noData\">該当する期間のデータはありません。<br>期間を変更してください。</p>\n";
    } else {
      html += margin_table_html(weeks, row_date_form::kanji, margin_cells::plain, "boardFin yjSt marB6");
      html += "<p class=\"note\">* 株数は週末（最終営業日）時点の信用取引残高です。</p>\n";
    }
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
