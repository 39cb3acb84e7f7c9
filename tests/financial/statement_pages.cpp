// Hand-written statement pages: see statement_pages.h.
#include "statement_pages.h"

namespace karigane::testing {
namespace {

enum class form { period, date, months, amount, shares, percent, as_shown };

// The form of every row of a kind's page table.
form row_form(const std::string& kind, std::size_t r) {
  if (r == 1) return form::period;
  if (r == 2) return form::date;
  if (r == 3) return form::months;
  if (kind == "単独決算") {
    if (r == 11) return form::as_shown;
    if (r == 13) return form::shares;
    if (r == 19 || r >= 21) return form::percent;
    return form::amount;
  }
  if (kind == "連結決算") return (r == 15 || r >= 17) ? form::percent : form::amount;
  return r == 15 ? form::percent : form::amount;
}

std::size_t row_count(const std::string& kind) {
  return kind == "単独決算" ? 23 : kind == "連結決算" ? 19 : 15;
}

std::size_t period_count(const std::string& kind) { return kind == "中間決算" ? 2 : 3; }

const char* const kPeriods[] = {"2013年3月期", "2012年12月期", "2011年9月期"};
const char* const kPeriodValues[] = {"20130300", "20121200", "20110900"};
const char* const kDates[] = {"2013年5月10日", "2013年2月1日", "2011年11月14日"};
const char* const kDateValues[] = {"20130510", "20130201", "20111114"};
const char* const kMonths[] = {"12か月", "9か月", "6か月"};
const char* const kMonthValues[] = {"12", "9", "6"};

std::string cell(const std::string& kind, std::size_t r, std::size_t c) {
  const std::string R = std::to_string(r), C = std::to_string(c);
  switch (row_form(kind, r)) {
    case form::period: return kPeriods[c - 1];
    case form::date: return kDates[c - 1];
    case form::months: return kMonths[c - 1];
    case form::amount: return r % 2 == 0 ? R + "," + C + "00百万円" : R + "." + C + "0円";
    case form::shares: return R + "," + C + "00千株";
    case form::percent:
    case form::as_shown: return R + "." + C + "%";
  }
  return {};
}

}  // namespace

std::string coded_value(const std::string& kind, std::size_t r, std::size_t c) {
  const std::string R = std::to_string(r), C = std::to_string(c);
  switch (row_form(kind, r)) {
    case form::period: return kPeriodValues[c - 1];
    case form::date: return kDateValues[c - 1];
    case form::months: return kMonthValues[c - 1];
    case form::amount: return r % 2 == 0 ? R + C + "00" : R + "." + C + "0";
    case form::shares: return R + C + "00";
    case form::percent: return R + "." + C;
    case form::as_shown: return R + "." + C + "%";
  }
  return {};
}

std::vector<std::vector<std::string>> coded_rows(const std::string& kind) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t r = 1; r <= row_count(kind); ++r) {
    std::vector<std::string> row{r == 1 ? "決算期" : "項目" + std::to_string(r)};
    for (std::size_t c = 1; c <= period_count(kind); ++c) row.push_back(cell(kind, r, c));
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string legacy_statement_page(const statement_page& page) {
  std::string html = "<DIV id=header><P class=logo><A href=\"/\">Karigane ファイナンス 企業情報</A></P></DIV>\n";
  html += "<DIV id=main>\n";
  if (page.heading) {
    html += "<DIV class=profileHead id=hrFinanceSearch>\n<H1 class=yjL>" + page.name +
            page.after_name + "</H1>\n<P class=market>東証1部</P>\n";
    html += "<DIV class=related><H2>関連情報</H2><UL><LI><A href=\"/stocks/detail/?code=" +
            page.link_code + "\">株価</A></LI><LI><A href=\"/history/?code=" + page.link_code +
            ".T\">時系列</A></LI></UL></DIV>\n</DIV>\n";
  }
  html += "<UL class=financeTabs>";
  for (const std::string& alt : page.alts) {
    html += "<LI><A href=\"/independent/" + page.link_code + "\"><IMG src=\"/images/tab.gif\" alt=" +
            alt + " width=88 height=24></A></LI>";
  }
  html += "</UL>\n";
  if (!page.message.empty()) html += "<DIV class=noData><P>" + page.message + "</P></DIV>\n";
  if (!page.rows.empty()) {
    html += "<TABLE class=\"yjMt financeTable\">\n";
    if (page.tbody) html += "<TBODY>";
    for (const auto& row : page.rows) {
      html += "<TR><TD class=label>" + row[0] + "</TD>";
      for (std::size_t c = 1; c < row.size(); ++c) html += "<TD>" + row[c] + "</TD>";
      html += "</TR>\n";
    }
    if (page.tbody) html += "</TBODY>";
    html += "</TABLE>\n<P class=note>単位：百万円</P>\n";
  }
  html += "</DIV>";
  return html;
}

}  // namespace karigane::testing
