// The exported tables: see export_tables.h.
#include "export/export_tables.h"

namespace karigane {
namespace {

constexpr export_column kStocks[] = {
    {"code", "TEXT"}, {"market_code", "TEXT"}, {"market", "TEXT"}, {"name", "TEXT"}};

constexpr export_column kPrices[] = {
    {"code", "TEXT"},  {"date", "TEXT"},   {"open", "REAL"},          {"high", "REAL"},
    {"low", "REAL"},   {"close", "REAL"},  {"volume", "INTEGER"},     {"adjusted_close", "REAL"}};

constexpr export_column kSplits[] = {
    {"code", "TEXT"}, {"date", "TEXT"}, {"before", "REAL"}, {"after", "REAL"}};

// adjusted_volume: the volume in the shares of today (REAL: a reverse split makes fractions).
constexpr export_column kAdjusted[] = {
    {"code", "TEXT"}, {"date", "TEXT"},  {"open", "REAL"},      {"high", "REAL"},
    {"low", "REAL"},  {"close", "REAL"}, {"volume", "INTEGER"}, {"adjusted_volume", "REAL"}};

constexpr export_column kMargin[] = {
    {"code", "TEXT"}, {"date", "TEXT"}, {"sold", "REAL"}, {"bought", "REAL"}, {"ratio", "REAL"}};

// The statement files' columns 1 to 22 under names; the summary files repeat them.
#define KARIGANE_STATEMENT_ITEMS                                                              \
  {"period", "TEXT"}, {"announced", "TEXT"}, {"months", "INTEGER"}, {"sales", "REAL"},        \
      {"operating_profit", "REAL"}, {"ordinary_profit", "REAL"}, {"net_profit", "REAL"},      \
      {"eps", "REAL"}, {"diluted_eps", "REAL"}, {"dividend", "REAL"}, {"bps", "REAL"},        \
      {"shares_issued", "REAL"}, {"total_assets", "REAL"}, {"equity", "REAL"},                \
      {"capital", "REAL"}, {"interest_bearing_debt", "REAL"}, {"retained_earnings", "REAL"},  \
      {"equity_ratio", "REAL"}, {"unrealized_gains", "REAL"}, {"roa", "REAL"}, {"roe", "REAL"}, \
      {"ordinary_profit_on_assets", "REAL"}

constexpr export_column kStatements[] = {
    {"code", "TEXT"}, {"kind", "TEXT"}, KARIGANE_STATEMENT_ITEMS, {"name", "TEXT"}};

constexpr export_column kSummaries[] = {
    {"kind", "TEXT"}, {"day", "TEXT"}, {"code", "TEXT"}, {"name", "TEXT"}, KARIGANE_STATEMENT_ITEMS};

#undef KARIGANE_STATEMENT_ITEMS

constexpr export_column kLatest[] = {
    {"file", "TEXT"},  {"code", "TEXT"}, {"date", "TEXT"},  {"market", "TEXT"},
    {"name", "TEXT"},  {"open", "REAL"}, {"high", "REAL"},  {"low", "REAL"},
    {"close", "REAL"}, {"volume", "INTEGER"}, {"trade_date", "TEXT"}};

constexpr std::string_view kByDate[] = {"date"};
constexpr std::string_view kByPeriod[] = {"period"};
constexpr std::string_view kByCode[] = {"code"};

// Statements are keyed by code, kind and period; a period shown as "---" is NULL, and such
// rows are kept apart (a rowid table lets NULL stand in its key).
const export_table_layout kLayouts[kExportTableCount] = {
    {"stocks", kStocks, 0, 1, true, {}},
    {"prices", kPrices, 1, 2, true, kByDate},
    {"splits", kSplits, 1, 2, true, {}},
    {"adjusted_prices", kAdjusted, 1, 2, true, kByDate},
    {"margin", kMargin, 1, 2, true, kByDate},
    {"statements", kStatements, 2, 3, false, kByPeriod},
    {"statement_summaries", kSummaries, 2, 3, true, kByCode},
    {"latest_prices", kLatest, 1, 2, true, kByCode},
};

constexpr export_table kAll[kExportTableCount] = {
    export_table::stocks,     export_table::prices,
    export_table::splits,     export_table::adjusted_prices,
    export_table::margin,     export_table::statements,
    export_table::statement_summaries, export_table::latest_prices};

}  // namespace

const export_table_layout& table_layout(export_table table) {
  return kLayouts[static_cast<std::size_t>(table)];
}

std::span<const export_table> all_export_tables() { return kAll; }

}  // namespace karigane
