// The daily-price history page: see history_page.h.
#include "history_page.h"

#include <algorithm>

#include "page_html.h"
#include "page_subject.h"
#include "price_table.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<const char*, 6> kPeriodKeys{"sy", "sm", "sd", "ey", "em", "ed"};

std::string period_selects(const shown_period& p, const date& today) {
  const int first_year = std::min({1983, p.y1, p.y2});
  const int last_year = std::max({today.y, p.y1, p.y2});
  const auto place = selected_place::before_value;
  std::string html = "<p class=\"period\">期間：";
  html += "<select name=\"sy\" id=\"selYear\">" + number_options(first_year, last_year, p.y1, place) + "</select>年";
  html += "<select name=\"sm\" id=\"selMonth\">" + number_options(1, 12, p.m1, place) + "</select>月";
  html += "<select name=\"sd\" id=\"selDay\">" + number_options(1, 31, p.d1, place) + "</select>日 ～ ";
  html += "<select name=\"ey\" id=\"selYear\">" + number_options(first_year, last_year, p.y2, place) + "</select>年";
  html += "<select name=\"em\" id=\"selMonth\">" + number_options(1, 12, p.m2, place) + "</select>月";
  html += "<select name=\"ed\" id=\"selDay\">" + number_options(1, 31, p.d2, place) + "</select>日</p>\n";
  return html;
}

std::string period_query(const shown_period& p) {
  auto two = [](int v) {
    std::string t = std::to_string(v);
    if (v < 10) t.insert(t.begin(), '0');
    return t;
  };
  return "&sy=" + std::to_string(p.y1) + "&sm=" + two(p.m1) + "&sd=" + two(p.d1) +
         "&ey=" + std::to_string(p.y2) + "&em=" + two(p.m2) + "&ed=" + two(p.d2) + "&tm=d";
}

}  // namespace

std::vector<std::string> history_page::codes(const page_query& query) const {
  return {program_code_param(query.get("code"))};
}

page_answer history_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const auto subject = page_subject_of(data_, query, "code", kPeriodKeys, fault);
  if (!subject) {
    answer.title = "銘柄が見つかりません - Karigane ファイナンス";
    answer.body = unknown_stock_body();
    return answer;
  }
  const stock_info* stock = subject->stock;
  const shown_period period = subject->period;
  const int page_no = page_number(query);

  const std::string code = stock->site_code_with_market();
  const std::string link_code = html_escape(code);
  const std::string name = html_escape(stock->name);
  answer.title = stock->name + "【" + stock->site_code() + "】：時系列 - Karigane ファイナンス";

  std::string& html = answer.body;
  html.reserve(16384);
  html += site_header();
  html += "<div id=\"main\">\n<ul class=\"stockNav\">";
  html += "<li><a href=\"/stocks/detail/?code=" + link_code + "\" title=\"株価詳細\">株価詳細</a></li>";
  html += "<li class=\"selected\"><a href=\"/history/?code=" + link_code + "\">時系列</a></li>";
  html += "<li><a href=\"/history/margin/?code=" + link_code + "\">信用残時系列</a></li>";
  html += "<li><a href=\"/profile/?code=" + link_code + "\">企業情報</a></li></ul>\n";
  html += "<div class=\"stockInfo\">\n<h1>" + name + "</h1>\n";
  html += "<p class=\"codeMarket\"><span class=\"code\">【" + html_escape(stock->site_code()) +
          "】</span> <span class=\"yjSb\">" + html_escape(stock->market_name) + "</span></p>\n</div>\n";
  html += "<form action=\"/history/\" method=\"get\" class=\"historySearch\">\n";
  html += "<input type=\"hidden\" name=\"code\" value=\"" + link_code + "\">\n";
  html += period_selects(period, data_.today());
  html += "<p class=\"span\"><label><input type=\"radio\" name=\"tm\" value=\"d\" checked>デイリー</label>"
          "<label><input type=\"radio\" name=\"tm\" value=\"w\">週間</label>"
          "<label><input type=\"radio\" name=\"tm\" value=\"m\">月間</label> "
          "<input type=\"submit\" value=\"表示\"></p>\n</form>\n";

  const table_page rows = fault == content_fault::no_data
                              ? table_page{}
                              : history_table_page(data_, *stock, period.from(), period.to(), page_no);
  if (rows.rows.empty()) {
    html += "<p class=\"noData\">該当する期間のデータはありません。<br>期間を変更してください。</p>\n";
  } else {
    html += price_table_html(rows, stock->is_index(), row_date_form::kanji, "boardFin yjSt marB6");
    html += "<ul class=\"ymuiPagingBottom\">";
    if (page_no > 1) {
      html += "<li><a href=\"/history/?code=" + link_code + html_escape(period_query(period)) +
              "&amp;p=" + std::to_string(page_no - 1) + "\">前へ</a></li>";
    }
    if (rows.more) {
      html += "<li><a href=\"/history/?code=" + link_code + html_escape(period_query(period)) +
              "&amp;p=" + std::to_string(page_no + 1) + "\">次へ</a></li>";
    }
    html += "</ul>\n<p class=\"note\">* 分割・併合を考慮した終値です。</p>\n";
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
