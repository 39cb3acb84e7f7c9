// The statement page extraction on hand-written pages: the row-to-field mapping of each kind,
// the cell conversions, the page checks and their effect on the retry budget, and the page
// messages b01 to b52.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "sources/quote_site/statement_cells.h"
#include "sources/quote_site/statement_page_extractor.h"
#include "statement_pages.h"
#include "support/recording_context.h"

namespace karigane {
namespace {

using testing::statement_page;

struct extraction {
  zaimu_tbl_t table;
  std::int16_t budget = 3;
  std::int16_t flag = 0;
  std::string message;
};

// One reading of a page as the fetch loop makes it, with the retry budget it leaves (0 once
// the page is accepted) and the flag of nothing stored (-1) or the page stored (0).
void read_page(const std::string& kind, const std::string& text, extraction& e) {
  testing::recording_context ctx;
  const page_reading r = read_statement_page(ctx, kind, text, e.budget > 0, e.table);
  e.flag = r.outcome.is_ok() ? 0 : -1;
  e.message = r.outcome.message();
  switch (r.verdict) {
    case page_verdict::accepted: e.budget = 0; break;
    case page_verdict::refused: --e.budget; break;
    case page_verdict::refused_capped: e.budget = std::min<std::int16_t>(e.budget, 3) - 1; break;
  }
}

extraction extract(const std::string& kind, const statement_page& page,
                   const std::string& code = "1301", std::int16_t budget = 3) {
  extraction e{empty_zaimu_table(code), budget, 0, ""};
  read_page(kind, testing::legacy_statement_page(page), e);
  return e;
}

statement_page coded_page(const std::string& kind) {
  statement_page p;
  p.rows = testing::coded_rows(kind);
  return p;
}

// Row r of the page (1-based) to field f of the record, per kind.
const std::map<std::string, std::map<std::size_t, std::size_t>>& row_fields() {
  static const std::map<std::string, std::map<std::size_t, std::size_t>> m = [] {
    std::map<std::string, std::map<std::size_t, std::size_t>> out;
    for (std::size_t r = 1; r <= 23; ++r) out["単独決算"][r] = r;
    for (std::size_t r = 1; r <= 9; ++r) out["連結決算"][r] = r;
    out["連結決算"].insert({{10, 12}, {11, 14}, {12, 15}, {13, 16}, {14, 17}, {15, 19},
                          {16, 20}, {17, 21}, {18, 22}, {19, 23}});
    for (std::size_t r = 1; r <= 8; ++r) out["中間決算"][r] = r;
    out["中間決算"].insert({{9, 12}, {10, 14}, {11, 15}, {12, 16}, {13, 17}, {14, 20}, {15, 19}});
    return out;
  }();
  return m;
}

TEST(StatementPage, EveryKindMapsItsRowsToTheFieldsOfItsPeriods) {
  for (const std::string kind : {"単独決算", "連結決算", "中間決算"}) {
    SCOPED_TRACE(kind);
    const extraction e = extract(kind, coded_page(kind));
    EXPECT_EQ(e.flag, 0);
    EXPECT_EQ(e.message, "");
    EXPECT_EQ(e.budget, 0);
    const std::size_t periods = kind == "中間決算" ? 2 : 3;
    ASSERT_EQ(e.table.size(), periods + 1);
    EXPECT_EQ(e.table[0][0], "1301");
    EXPECT_EQ(e.table[0][1], "");
    EXPECT_EQ(e.table[0][2], "(株)極洋");
    EXPECT_EQ(e.table[0][3], std::to_string(periods));
    for (std::size_t c = 1; c <= periods; ++c) {
      SCOPED_TRACE("period column " + std::to_string(c));
      std::set<std::size_t> filled;
      for (const auto& [r, f] : row_fields().at(kind)) {
        EXPECT_EQ(e.table[c][f - 1], testing::coded_value(kind, r, c)) << "row " << r << " field " << f;
        filled.insert(f);
      }
      for (std::size_t f = 1; f <= 23; ++f) {
        if (!filled.count(f)) {
          EXPECT_EQ(e.table[c][f - 1], "") << "field " << f;
        }
      }
    }
  }
}

TEST(StatementPage, ConsolidatedPerShareRowAndEmptyFields) {
  statement_page p = coded_page("連結決算");
  p.rows[9] = {"BPS（一株当たり純資産）", "1,500円", "1,480.50円", "‐"};
  const extraction e = extract("連結決算", p);
  ASSERT_EQ(e.flag, 0);
  EXPECT_EQ(e.table[1][11], "1500");
  EXPECT_EQ(e.table[2][11], "1480.50");
  EXPECT_EQ(e.table[3][11], "‐");
  for (std::size_t c = 1; c <= 3; ++c) {
    for (std::size_t f : {10, 11, 13, 18}) EXPECT_EQ(e.table[c][f - 1], "") << c << "/" << f;
  }
}

TEST(StatementPage, PeriodColumnWithoutAPeriod) {
  statement_page p = coded_page("単独決算");
  for (auto& row : p.rows) row[3] = "‐";
  const extraction e = extract("単独決算", p);
  ASSERT_EQ(e.flag, 0);
  EXPECT_EQ(e.table[0][3], "3");
  EXPECT_EQ(e.table[3][0], "---");
  EXPECT_EQ(e.table[3][1], "---");
  EXPECT_EQ(e.table[3][2], "‐");   // a months cell without "か月" stays as it is
  EXPECT_EQ(e.table[3][3], "‐");
  EXPECT_EQ(e.table[2][0], "20121200");
}

TEST(StatementCells, Conversions) {
  const struct {
    cell_conversion conversion;
    const char32_t* cell;
    const char32_t* stored;
  } cases[] = {
      {cell_conversion::fiscal_period, U"2013年3月期", U"20130300"},
      {cell_conversion::fiscal_period, U"2012年12月期", U"20121200"},
      {cell_conversion::fiscal_period, U"2012年9月中間期", U"20120900"},
      {cell_conversion::fiscal_period, U"‐", U"---"},
      {cell_conversion::fiscal_period, U"2013年3月期‐", U"---"},
      {cell_conversion::fiscal_period, U"---", U"---"},
      {cell_conversion::announcement_date, U"2013年5月10日", U"20130510"},
      {cell_conversion::announcement_date, U"2012年11月2日", U"20121102"},
      {cell_conversion::announcement_date, U"‐", U"---"},
      {cell_conversion::announcement_date, U"2013年5月", U"2013年5月"},
      {cell_conversion::months, U"12か月", U"12"},
      {cell_conversion::months, U"6か月", U"6"},
      {cell_conversion::months, U"12", U"12"},
      {cell_conversion::amount, U"1,234百万円", U"1234"},
      {cell_conversion::amount, U"-12,345,678百万円", U"-12345678"},
      {cell_conversion::amount, U"45.6円", U"45.6"},
      {cell_conversion::amount, U"1,456.78円", U"1456.78"},
      {cell_conversion::amount, U"---", U"---"},
      {cell_conversion::amount, U"‐", U"‐"},
      {cell_conversion::share_count, U"12,345千株", U"12345"},
      {cell_conversion::share_count, U"1,000株", U"1000"},
      {cell_conversion::percent, U"12.3%", U"12.3"},
      {cell_conversion::percent, U"-0.4%", U"-0.4"},
      {cell_conversion::percent, U"---", U"---"},
      {cell_conversion::as_shown, U"21.9%", U"21.9%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_utf8(convert_cell(c.cell, c.conversion)), to_utf8(c.stored)) << to_utf8(c.cell);
  }
}

TEST(StatementPage, NameIsCutBeforeTheBracketedCode) {
  statement_page p = coded_page("単独決算");
  p.name = " (株)極洋 ";
  p.after_name = "【1301】";
  EXPECT_EQ(extract("単独決算", p).table[0][2], "(株)極洋");
  p.name = "(株)Ｊ&amp;Ｋ";
  p.after_name = "";
  EXPECT_EQ(extract("単独決算", p).table[0][2], "(株)Ｊ&Ｋ");
}

TEST(StatementPage, AnyKindMarkerPassesTheCheck) {
  statement_page p = coded_page("単独決算");
  p.alts = {"中間決算"};
  const extraction e = extract("単独決算", p);
  EXPECT_EQ(e.flag, 0);
  EXPECT_EQ(e.budget, 0);
}

TEST(StatementPage, ChecksLowerTheRetryBudget) {
  statement_page no_marker = coded_page("単独決算");
  no_marker.alts = {"決算短信"};
  statement_page no_heading = coded_page("単独決算");
  no_heading.heading = false;
  statement_page other = coded_page("単独決算");
  other.link_code = "1332";

  const struct {
    const statement_page* page;
    std::int16_t budget_before;
    std::int16_t budget_after;
    const char* message;
  } cases[] = {
      {&no_marker, 3, 2, "決算情報取得不可"},   {&no_marker, 5, 2, "決算情報取得不可"},
      {&no_heading, 3, 2, "コード取得不可"},    {&no_heading, 5, 2, "コード取得不可"},
      {&other, 3, 2, "コード不一致"},           {&other, 5, 4, "コード不一致"},
      {&other, 1, 0, "コード不一致"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const extraction e = extract("単独決算", *c.page, "1301", c.budget_before);
    EXPECT_EQ(e.flag, -1);
    EXPECT_EQ(e.message, c.message);
    EXPECT_EQ(e.budget, c.budget_after);
    EXPECT_EQ(e.table[0][3], "0");
    EXPECT_EQ(e.table.size(), 1u);
  }
}

TEST(StatementPage, PageMessagesFailWithoutFurtherFetches) {
  auto with = [](auto change) {
    statement_page p = coded_page("単独決算");
    change(p);
    return p;
  };
  const statement_page not_found = with([](statement_page& p) {
    p.rows.clear();
    p.message = "ページが見つかりません。";
  });
  const statement_page no_head_row = with([](statement_page& p) { p.rows[0][0] = "決算年度"; });
  const statement_page no_tbody = with([](statement_page& p) { p.tbody = false; });

  const struct {
    const statement_page* page;
    const char* message;
  } cases[] = {
      {&not_found, "error b01:財務情報データはありません。"},
      {&no_head_row, "error b41:前方データ削除ができませんでした。"},
      {&no_tbody, "error b51:後方データ削除ができませんでした。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const extraction e = extract("単独決算", *c.page);
    EXPECT_EQ(e.flag, -1);
    EXPECT_EQ(e.message, c.message);
    EXPECT_EQ(e.budget, 0);
    EXPECT_EQ(e.table[0][3], "0");
  }

  // Rows that are never closed before "</TBODY".
  std::string page = testing::legacy_statement_page(coded_page("単独決算"));
  for (std::size_t at; (at = page.find("</TR>")) != std::string::npos;) page.erase(at, 5);
  extraction e{empty_zaimu_table("1301"), 3, 0, ""};
  read_page("単独決算", page, e);
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "error b52:後方データ削除ができませんでした。");
  EXPECT_EQ(e.table[0][3], "0");
}

TEST(StatementPage, CodeChecksOfAPageTakenWithoutVerification) {
  statement_page other = coded_page("単独決算");
  other.link_code = "1332";
  extraction e = extract("単独決算", other, "1301", 0);
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "error b32:コードが取得できませんでした。");
  EXPECT_EQ(e.budget, 0);

  statement_page no_heading = coded_page("単独決算");
  no_heading.heading = false;
  e = extract("単独決算", no_heading, "1301", 0);
  EXPECT_EQ(e.message, "error b31:コードが取得できませんでした。");

  // A page that names a code below 1301 is refused even when it is the one asked for.
  statement_page index = coded_page("単独決算");
  index.link_code = "1001";
  e = extract("単独決算", index, "1001");
  EXPECT_EQ(e.flag, -1);
  EXPECT_EQ(e.message, "error b31:コードが取得できませんでした。");
}

}  // namespace
}  // namespace karigane
