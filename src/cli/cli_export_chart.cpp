// The "chart" and "export" commands: see cli_export_chart.h.
#include "cli/cli_export_chart.h"

#include <filesystem>

#include "core/dates.h"

namespace karigane {
namespace {

std::string absolute(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

bool is_code(const std::string& text) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

bool parse_chart_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                          std::string& message) {
  const std::string& a = args[i];
  chart_request& c = o.chart;
  if (a == "--from" || a == "--to" || a == "--out") {
    if (i + 1 >= args.size()) {
      message = a + " には値が必要です";
      return false;
    }
    const std::string& v = args[++i];
    if (a == "--out") {
      o.chart_out = v;
      return true;
    }
    const std::optional<date> d = parse_date_text(v);
    if (!d) {
      message = a + " には日付を Y/M/D の形で指定してください: " + v;
      return false;
    }
    (a == "--from" ? c.from : c.to) = *d;
    return true;
  }
  if (a == "--adjusted") {
    c.adjusted = true;
  } else if (a == "--weekly" || a == "--monthly") {
    if (c.span != bar_span::daily) {
      message = "chart には --weekly と --monthly のどちらか一つを指定してください";
      return false;
    }
    c.span = a == "--weekly" ? bar_span::weekly : bar_span::monthly;
  } else if (c.code.empty() && is_code(a)) {
    c.code = a;
  } else {
    message = "chart に使えない引数です: " + a;
    return false;
  }
  return true;
}

bool finish_chart_options(cli_options& o, std::string& message) {
  if (o.chart.code.empty()) {
    message = "chart には銘柄コードが必要です（karigane chart 1301）";
    return false;
  }
  if (o.chart.from && o.chart.to && *o.chart.to < *o.chart.from) {
    message = "chart: --to が --from より前です";
    return false;
  }
  if (!o.chart_out.empty()) o.chart_out = absolute(o.chart_out);
  return true;
}

bool parse_export_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                           std::string& message) {
  const std::string& a = args[i];
  if (a != "--sqlite" && a != "--csv") {
    message = "export に使えない引数です: " + a;
    return false;
  }
  if (!o.export_to.path.empty()) {
    message = "export には --sqlite FILE と --csv DIR のどちらか一つを指定してください";
    return false;
  }
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    message = a + " には値が必要です";
    return false;
  }
  o.export_to.kind = a == "--sqlite" ? export_request::target::sqlite : export_request::target::csv;
  o.export_to.path = args[++i];
  return true;
}

bool finish_export_options(cli_options& o, std::string& message) {
  if (o.export_to.path.empty()) {
    message = "export には --sqlite FILE か --csv DIR が必要です";
    return false;
  }
  o.export_to.path = absolute(o.export_to.path);
  return true;
}

std::string chart_export_help() {
  return R"(  chart CODE [--from Y/M/D] [--to Y/M/D] [--adjusted] [--weekly|--monthly] [--out FILE.png]
                      the chart window of one stock (the window of the "チャート" button):
                      candlesticks and volume from the stored files, the split days, the
                      margin balances when stored; --adjusted split-adjusted prices (the
                      adjusted file, or the same adjustment computed when it is missing or
                      older than the series); --weekly/--monthly bars of weeks or months;
                      --out renders the chart into a PNG file and exits (no display needed)
  export --sqlite FILE | --csv DIR
                      every stored file into one SQLite database (tables stocks, prices,
                      splits, adjusted_prices, margin, statements, statement_summaries,
                      latest_prices; ISO dates, numbers as numbers, NULL for "---"), or the
                      same tables as UTF-8 CSV files with a header row in DIR. A second
                      export to the same database reads only the files that changed; a stop
                      or a failure leaves the previous export as it was. The CSV files are
                      replaced as one set, listed in DIR/karigane-export.txt; a DIR holding
                      files of those names that no export wrote is refused. One status line
                      per table ("エクスポート:prices 3600ファイル 18000000行"), then on
                      standard error "エクスポート: FILESファイル ROWS行 SECONDS秒". A
                      database that another program has open is waited for up to 30
                      seconds (KARIGANE_EXPORT_WAIT_SECONDS), then the processes holding
                      it are named
)";
}

}  // namespace karigane
