// The old margin table page: see old_table_page.h.
#include "old_table_page.h"

#include "margin_balances.h"
#include "margin_table.h"
#include "page_html.h"
#include "page_subject.h"
#include "stock_query.h"

namespace karigane::quote_site {
namespace {

constexpr std::array<const char*, 6> kPeriodKeys{"c", "a", "b", "f", "d", "e"};

const char* kHeader = "<div id=\"header\"><a href=\"/\">Karigane ファイナンス</a> 時系列テーブル</div>\n";

std::string text_input(const char* name, int value, const char* size) {
  return std::string("<input type=\"text\" name=\"") + name + "\" value=\"" + std::to_string(value) +
         "\" size=\"" + size + "\">";
}

// The day inputs write their value last: the page's known form.
std::string day_input(const char* name, int value) {
  return std::string("<input type=\"text\" name=\"") + name + "\" size=\"2\" value=\"" +
         std::to_string(value) + "\">";
}

std::string month_select(const char* name, int chosen) {
  return std::string("<select name=\"") + name + "\">" +
         number_options(1, 12, chosen, selected_place::after_value) + "</select>";
}

std::string period_table(const shown_period& p) {
  return "<table class=\"period\">\n<tr><th>期間</th><th>年</th><th>月</th><th>日</th></tr>\n"
         "<tr><th>開始</th><td>" + text_input("c", p.y1, "4") + "</td><td>" + month_select("a", p.m1) +
         "</td><td>" + day_input("b", p.d1) + "</td></tr>\n"
         "<tr><th>終了</th><td>" + text_input("f", p.y2, "4") + "</td><td>" + month_select("d", p.m2) +
         "</td><td>" + day_input("e", p.d2) + "</td></tr>\n</table>\n";
}

}  // namespace

std::vector<std::string> old_table_page::codes(const page_query& query) const {
  return {program_code_param(query.get("s"))};
}

page_answer old_table_page::render(const page_query& query, content_fault fault) const {
  page_answer answer;
  const auto subject = page_subject_of(data_, query, "s", kPeriodKeys, fault);
  if (!subject) {
    answer.title = "時系列テーブル - Karigane ファイナンス";
    answer.body = std::string(kHeader) +
                  "<div id=\"main\">\n<p class=\"error\">信用残データはありません。"
                  "銘柄コードをお確かめください。</p>\n</div>\n";
    return answer;
  }
  const stock_info* stock = subject->stock;
  const shown_period period = subject->period;

  const std::string code = html_escape(stock->site_code_with_market());
  answer.title = stock->name + "：信用残時系列テーブル - Karigane ファイナンス";

  std::string& html = answer.body;
  html.reserve(12288);
  html += kHeader;
  html += "<div id=\"main\">\n";
  html += "<div id=\"tableName\"><span class=\"yjXL\">" + html_escape(stock->name) +
          "</span> <span class=\"code\">(" + html_escape(stock->site_code()) + ")</span></div>\n";
  html += "<form action=\"/bt\" method=\"get\">\n";
  html += "<p>銘柄コード:<input type=\"text\" name=\"s\" value=\"" + code + "\" size=\"10\"></p>\n";
  html += period_table(period);
  html += "<p><input type=\"hidden\" name=\"g\" value=\"d\"><input type=\"hidden\" name=\"y\" value=\"0\">"
          "<input type=\"hidden\" name=\"z\" value=\"" + code + "\"><input type=\"submit\" value=\"表示\"></p>\n</form>\n";

  if (stock->is_index()) {
    html += "<p class=\"note\">指数には信用取引の残高がありません。</p>\n";
    html += margin_table_html({}, row_date_form::kanji, margin_cells::small, "margin");
  } else {
    const std::vector<margin_week> weeks =
        fault == content_fault::no_data ? std::vector<margin_week>{}
                                        : margin_weeks(data_, *stock, period.from(), period.to());
    if (weeks.empty()) {
      html += "<p class=\"noData\">この検索期間の信用残データはありません。</p>\n";
    } else {
      html += margin_table_html(weeks, row_date_form::kanji, margin_cells::small, "margin");
    }
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
