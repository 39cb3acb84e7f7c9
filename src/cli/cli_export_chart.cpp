// The "chart" and "export" commands: see cli_export_chart.h.
#include "cli/cli_export_chart.h"

#include <filesystem>

#include "chart/picture_format.h"
#include "core/dates.h"
#include "core/messages.h"
#include "core/stock_code.h"

namespace karigane {
namespace {

std::string absolute(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

}  // namespace

bool parse_chart_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                          std::string& message) {
  const std::string& a = args[i];
  chart_request& c = o.chart;
  if (a == "--from" || a == "--to" || a == "--out") {
    if (i + 1 >= args.size()) {
      message = tr_format("%s には値が必要です", {a});
      return false;
    }
    const std::string& v = args[++i];
    if (a == "--out") {
      o.chart_out = v;
      return true;
    }
    const std::optional<date> d = parse_date_text(v);
    if (!d) {
      message = tr_format("%s には日付を Y/M/D の形で指定してください: %s", {a, v});
      return false;
    }
    (a == "--from" ? c.from : c.to) = *d;
    return true;
  }
  if (a == "--adjusted") {
    c.adjusted = true;
  } else if (a == "--weekly" || a == "--monthly") {
    if (c.span != bar_span::daily) {
      message = tr("chart には --weekly と --monthly のどちらか一つを指定してください");
      return false;
    }
    c.span = a == "--weekly" ? bar_span::weekly : bar_span::monthly;
  } else if (c.code.empty() && is_stock_code(a)) {
    c.code = a;
  } else {
    message = tr_format("%s に使えない引数です: %s", {"chart", a});
    return false;
  }
  return true;
}

bool finish_chart_options(cli_options& o, std::string& message) {
  if (o.chart.code.empty()) {
    message = tr("chart には銘柄コードが必要です（karigane chart 1301）");
    return false;
  }
  if (o.chart.from && o.chart.to && *o.chart.to < *o.chart.from) {
    message = tr("chart: --to が --from より前です");
    return false;
  }
  if (!o.chart_out.empty() && !picture_format_of(o.chart_out)) {
    message = unknown_picture_format_message(o.chart_out);
    return false;
  }
  if (!o.chart_out.empty()) o.chart_out = absolute(o.chart_out);
  return true;
}

bool parse_export_argument(const std::vector<std::string>& args, std::size_t& i, cli_options& o,
                           std::string& message) {
  const std::string& a = args[i];
  if (a != "--sqlite" && a != "--csv") {
    message = tr_format("%s に使えない引数です: %s", {"export", a});
    return false;
  }
  if (!o.export_to.path.empty()) {
    message = tr("export には --sqlite FILE と --csv DIR のどちらか一つを指定してください");
    return false;
  }
  if (i + 1 >= args.size() || args[i + 1].empty()) {
    message = tr_format("%s には値が必要です", {a});
    return false;
  }
  o.export_to.kind = a == "--sqlite" ? export_request::target::sqlite : export_request::target::csv;
  o.export_to.path = args[++i];
  return true;
}

bool finish_export_options(cli_options& o, std::string& message) {
  if (o.export_to.path.empty()) {
    message = tr("export には --sqlite FILE か --csv DIR が必要です");
    return false;
  }
  o.export_to.path = absolute(o.export_to.path);
  return true;
}

std::string chart_export_help() {
  std::string text = help_entry(
      "chart CODE [--from Y/M/D] [--to Y/M/D] [--adjusted] [--weekly|--monthly] [--out FILE]",
      tr("一銘柄のチャートウィンドウ（\"チャート\" ボタンのウィンドウ）:\n"
         "保存ファイルのローソク足と出来高、分割の日、保存してあれば信用\n"
         "残を示します。--adjusted は分割調整後の株価と出来高（調整後ファ\n"
         "イル、それがないか系列より古いときは同じ調整を計算）、\n"
         "--weekly/--monthly は週足か月足、--out はチャートを FILE に描い\n"
         "て終わります（ディスプレイは要りません）。形式は拡張子で決まりま\n"
         "す: PNG（.png）、JPEG（.jpg、.jpeg）、SVG（.svg）。ほかの拡張子\n"
         "は使い方の誤り（終了ステータス 2）です"));
  text += help_entry(
      "export --sqlite FILE | --csv DIR",
      tr("保存ファイルすべてを一つの SQLite データベースに書き出します\n"
         "（表 stocks、prices、splits、adjusted_prices、margin、\n"
         "statements、statement_summaries、latest_prices。日付は ISO 形\n"
         "式、数値は数値、\"---\" は NULL）。--csv では同じ表をヘッダー行\n"
         "つきの UTF-8 CSV ファイルとして DIR に書きます。同じデータベー\n"
         "スへの 2 回目からは変わったファイルだけを読みます。中断や失敗の\n"
         "ときは前回の書き出しがそのまま残ります。CSV ファイルは一組とし\n"
         "て置き換え、DIR/karigane-export.txt に記します。どのエクスポート\n"
         "も書いていない同じ名前のファイルがある DIR は断ります。表ごとに\n"
         "状態の行を 1 行（\"エクスポート:prices 3600ファイル 18000000行\"）、\n"
         "最後に標準エラーへ \"エクスポート: FILESファイル ROWS行 SECONDS秒\"。\n"
         "ほかのプログラムが開いているデータベースは 30 秒まで待ち\n"
         "（KARIGANE_EXPORT_WAIT_SECONDS）、それから開いているプロセスを\n"
         "示します"));
  return text;
}

}  // namespace karigane
