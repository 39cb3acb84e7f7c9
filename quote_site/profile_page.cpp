// The company-profile statement pages: see profile_page.h.
#include "profile_page.h"

#include <span>

#include "core/text.h"
#include "page_html.h"

namespace karigane::quote_site {
namespace {

using cell_text = std::string (*)(const statement_figures&);

struct item_row {
  const char* label;
  cell_text text;
};

std::string amount(std::int64_t millions) { return thousands(millions) + "百万円"; }
std::string yen(std::int64_t hundredths) { return price_text(hundredths, true) + "円"; }

std::string percent(std::int64_t tenths) {
  const bool negative = tenths < 0;
  const std::int64_t v = negative ? -tenths : tenths;
  std::string out = std::to_string(v / 10) + "." + std::to_string(v % 10) + "%";
  if (negative) out.insert(out.begin(), '-');
  return out;
}

std::string annual_period(const statement_figures& f) {
  return std::to_string(f.period_end.y) + "年" + std::to_string(f.period_end.m) + "月期";
}
std::string interim_period(const statement_figures& f) {
  return std::to_string(f.period_end.y) + "年" + std::to_string(f.period_end.m) + "月中間期";
}
std::string announced(const statement_figures& f) { return kanji_date(f.announced); }
std::string months(const statement_figures& f) { return std::to_string(f.months) + "か月"; }
std::string sales(const statement_figures& f) { return amount(f.sales); }
std::string operating(const statement_figures& f) { return amount(f.operating_profit); }
std::string ordinary(const statement_figures& f) { return amount(f.ordinary_profit); }
std::string net(const statement_figures& f) { return amount(f.net_profit); }
std::string eps(const statement_figures& f) { return yen(f.eps); }
std::string diluted(const statement_figures& f) { return f.has_diluted_eps ? yen(f.diluted_eps) : "---"; }
std::string dividend(const statement_figures& f) { return yen(f.dividend); }
std::string payout(const statement_figures& f) { return f.has_payout_ratio ? percent(f.payout_ratio) : "---"; }
std::string bps(const statement_figures& f) { return yen(f.bps); }
std::string shares(const statement_figures& f) { return thousands(f.shares) + "千株"; }
std::string assets(const statement_figures& f) { return amount(f.total_assets); }
std::string equity(const statement_figures& f) { return amount(f.equity); }
std::string capital(const statement_figures& f) { return amount(f.capital); }
std::string debt(const statement_figures& f) { return amount(f.interest_bearing_debt); }
std::string retained(const statement_figures& f) { return amount(f.retained_earnings); }
std::string unrealized(const statement_figures& f) {
  return f.has_unrealized_gains ? amount(f.unrealized_gains) : "---";
}
std::string equity_ratio(const statement_figures& f) { return percent(f.equity_ratio); }
std::string roa(const statement_figures& f) { return percent(f.roa); }
std::string roe(const statement_figures& f) { return percent(f.roe); }
std::string ordinary_roa(const statement_figures& f) { return percent(f.ordinary_roa); }

constexpr item_row kIndependentRows[] = {
    {"決算期", annual_period}, {"決算発表日", announced}, {"決算月数", months},
    {"売上高", sales}, {"営業利益", operating}, {"経常利益", ordinary}, {"当期利益", net},
    {"EPS（一株当たり利益）", eps}, {"調整一株当たり利益", diluted}, {"1株配当", dividend},
    {"配当性向", payout}, {"BPS（一株当たり純資産）", bps}, {"発行済み株式総数", shares},
    {"総資産", assets}, {"自己資本", equity}, {"資本金", capital}, {"有利子負債", debt},
    {"繰越損益", retained}, {"自己資本比率", equity_ratio}, {"含み損益", unrealized},
    {"ROA（総資産利益率）", roa}, {"ROE（自己資本利益率）", roe},
    {"総資産経常利益率", ordinary_roa},
};

constexpr item_row kConsolidatedRows[] = {
    {"決算期", annual_period}, {"決算発表日", announced}, {"決算月数", months},
    {"売上高", sales}, {"営業利益", operating}, {"経常利益", ordinary}, {"当期利益", net},
    {"EPS（一株当たり利益）", eps}, {"調整一株当たり利益", diluted},
    {"BPS（一株当たり純資産）", bps}, {"総資産", assets}, {"自己資本", equity},
    {"資本金", capital}, {"有利子負債", debt}, {"自己資本比率", equity_ratio},
    {"含み損益", unrealized}, {"ROA（総資産利益率）", roa}, {"ROE（自己資本利益率）", roe},
    {"総資産経常利益率", ordinary_roa},
};

constexpr item_row kInterimRows[] = {
    {"決算期", interim_period}, {"決算発表日", announced}, {"決算月数", months},
    {"売上高", sales}, {"営業利益", operating}, {"経常利益", ordinary}, {"当期利益", net},
    {"EPS（一株当たり利益）", eps}, {"BPS（一株当たり純資産）", bps}, {"総資産", assets},
    {"自己資本", equity}, {"資本金", capital}, {"有利子負債", debt}, {"含み損益", unrealized},
    {"自己資本比率", equity_ratio},
};

struct kind_page {
  const char* path;   // "/independent/"
  const char* title;  // "単独決算"
  std::span<const item_row> rows;
  std::size_t columns;
};

kind_page page_of(statement_kind kind) {
  switch (kind) {
    case statement_kind::consolidated: return {"/consolidate/", "連結決算", kConsolidatedRows, 3};
    case statement_kind::interim: return {"/interim/", "中間決算", kInterimRows, 2};
    case statement_kind::independent: break;
  }
  return {"/independent/", "単独決算", kIndependentRows, 3};
}

// The code of /independent/1301: the path's last segment.
std::string code_of(const page_query& query) {
  const auto slash = query.path.rfind('/');
  return slash == std::string::npos ? std::string() : query.path.substr(slash + 1);
}

std::string profile_header() {
  return "<div id=\"header\"><p class=\"logo\"><a href=\"/\">Karigane ファイナンス 企業情報</a></p></div>\n";
}

page_answer unknown_code_page() {
  page_answer a;
  a.status = 404;
  a.title = "ページが見つかりません - Karigane ファイナンス";
  a.body = profile_header() +
           "<div id=\"main\">\n<h1>ページが見つかりません</h1>\n"
           "<p>お探しのページは移動したか、削除された可能性があります。</p>\n</div>\n";
  return a;
}

// The company heading and the related links, whose first link carries the code.
std::string company_heading(const stock_info& stock) {
  const std::string code = html_escape(stock.code);
  const bool bracket = int_value(stock.code) % 2 == 1;
  std::string html = "<div id=\"hrFinanceSearch\" class=\"profileHead\">\n";
  html += "<h1 class=\"yjL\">" + html_escape(stock.name) + (bracket ? "【" + code + "】" : "") + "</h1>\n";
  html += "<p class=\"market\">" + html_escape(stock.market_name) + "</p>\n";
  html += "<div class=\"related\"><h2>関連情報</h2><ul>";
  html += "<li><a href=\"/stocks/detail/?code=" + code + "\">株価</a></li>";
  html += "<li><a href=\"/history/?code=" + html_escape(stock.site_code_with_market()) + "\">時系列</a></li>";
  html += "<li><a href=\"/history/margin/?code=" + html_escape(stock.site_code_with_market()) + "\">信用残時系列</a></li>";
  html += "</ul></div>\n</div>\n";
  return html;
}

std::string kind_tabs(const stock_info& stock, statement_kind shown) {
  static constexpr struct {
    statement_kind kind;
    const char* image;
  } kTabs[] = {{statement_kind::independent, "independent"},
               {statement_kind::consolidated, "consolidate"},
               {statement_kind::interim, "interim"}};
  std::string html = "<ul class=\"financeTabs\">";
  for (const auto& tab : kTabs) {
    const kind_page page = page_of(tab.kind);
    html += tab.kind == shown ? "<li class=\"selected\">" : "<li>";
    html += "<a href=\"" + std::string(page.path) + html_escape(stock.code) + "\"><img src=\"/images/tab_" +
            tab.image + ".gif\" alt=\"" + page.title + "\" width=\"88\" height=\"24\"></a></li>";
  }
  html += "</ul>\n";
  return html;
}

std::string statement_table(const kind_page& page, const std::vector<statement_figures>& periods) {
  std::string html = "<table class=\"yjMt financeTable\">\n";
  for (const item_row& row : page.rows) {
    html += "<tr><td class=\"label\">" + std::string(row.label) + "</td>";
    for (std::size_t c = 0; c < page.columns; ++c) {
      html += "<td>" + (c < periods.size() ? html_escape(row.text(periods[c])) : std::string("‐")) + "</td>";
    }
    html += "</tr>\n";
  }
  html += "</table>\n<p class=\"note\">単位：百万円（1株当たりの数値、株式数、比率を除く）</p>\n";
  return html;
}

}  // namespace

std::vector<std::string> profile_page::codes(const page_query& query) const { return {code_of(query)}; }

page_answer profile_page::render(const page_query& query, content_fault fault) const {
  const stock_info* stock = data_.find(code_of(query));
  if (stock == nullptr || stock->is_index() || fault == content_fault::no_stock) {
    return unknown_code_page();
  }
  if (fault == content_fault::wrong_stock) stock = &data_.stocks().other_than(*stock, data_.today());
  const kind_page page = page_of(kind_);
  const std::vector<statement_figures> periods =
      fault == content_fault::no_data
          ? std::vector<statement_figures>{}
          : shown_statements(data_, *stock, kind_, fault == content_fault::wrong_period ? 1 : 0);

  page_answer answer;
  answer.title = stock->name + "【" + stock->code + "】：" + page.title + " - Karigane ファイナンス";
  std::string& html = answer.body;
  html.reserve(8192);
  html += profile_header();
  html += "<div id=\"main\">\n";
  html += company_heading(*stock);
  html += kind_tabs(*stock, kind_);
  if (periods.empty()) {
    answer.status = 404;
    html += "<div class=\"noData\"><p>ページが見つかりません。</p>"
            "<p>この銘柄の" + std::string(page.title) + "の情報はありません。</p></div>\n";
  } else {
    html += "<h2 class=\"financeTitle\">" + std::string(page.title) + "</h2>\n";
    html += statement_table(page, periods);
  }
  html += "</div>\n";
  return answer;
}

}  // namespace karigane::quote_site
