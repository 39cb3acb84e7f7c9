// Command-line parsing: see cli_options.h.
#include "cli/cli_options.h"

#include <algorithm>
#include <cstdlib>

#include "cli/cli_export_chart.h"
#include "cli/cli_progress.h"
#include "codes/targets.h"
#include "core/messages.h"
#include "core/text.h"
#include "run/period.h"

namespace karigane {
namespace {

// Y/M/D into three list texts.
bool split_period(const std::string& value, std::string& y, std::string& m, std::string& d) {
  const std::size_t a = value.find('/');
  if (a == std::string::npos) return false;
  const std::size_t b = value.find('/', a + 1);
  if (b == std::string::npos || value.find('/', b + 1) != std::string::npos) return false;
  y = trim(value.substr(0, a));
  m = trim(value.substr(a + 1, b - a - 1));
  d = trim(value.substr(b + 1));
  return !y.empty() && !m.empty() && !d.empty();
}

bool all_digits(const std::string& text, std::size_t max_length) {
  if (text.empty() || text.size() > max_length) return false;
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One end of the period: texts that can stand in the year, month and day lists.
bool period_texts_fit(const std::string& y, const std::string& m, const std::string& d,
                      int this_year) {
  if (!all_digits(y, 4) || !all_digits(m, 2) || !all_digits(d, 2)) return false;
  const int year = std::stoi(y);
  const int month = std::stoi(m);
  const int day = std::stoi(d);
  return year >= kFirstYear && year <= this_year && month >= 1 && month <= 12 && day >= 1 &&
         day <= 31;
}

}  // namespace

option_parse parse_output_option(const std::vector<std::string>& args, std::size_t& i,
                                 cli_options& o, std::string& message) {
  const std::string& a = args[i];
  if (a == "--progress") {
    o.progress_lines = true;
  } else if (a == "--quiet" || a == "-q") {
    o.quiet = true;
  } else if (a == "--log") {
    if (i + 1 >= args.size() || args[i + 1].empty()) {
      message = tr_format("%s には値が必要です", {a});
      return option_parse::failed;
    }
    o.log_file = args[++i];
  } else {
    return option_parse::not_mine;
  }
  return option_parse::taken;
}

bool check_period_options(const cli_options& o, const date& today, std::string& message) {
  const period_texts& c = o.collect.period;
  struct end_of_period {
    bool given;
    const char* option;
    const std::string& y;
    const std::string& m;
    const std::string& d;
  };
  for (const end_of_period& e :
       {end_of_period{o.from_given, "--from", c.start_year, c.start_month, c.start_day},
        end_of_period{o.to_given, "--to", c.end_year, c.end_month, c.end_day}}) {
    if (!e.given || period_texts_fit(e.y, e.m, e.d, today.y)) continue;
    message = tr_format("%s %s は期間の一覧にない日付です（年 %s～%s、月 1～12、日 1～31）",
                        {e.option, e.y + "/" + e.m + "/" + e.d, std::to_string(kFirstYear),
                         std::to_string(today.y)});
    return false;
  }
  // A period that ends before it starts (an end after today counting as today) is refused
  // before the run, when a ticked kind has a period.
  if ((!o.from_given && !o.to_given) || !period_applies(o.collect.kinds)) return true;
  const period_texts preset = preset_period(today);
  const period_texts asked{o.from_given ? c.start_year : preset.start_year,
                           o.from_given ? c.start_month : preset.start_month,
                           o.from_given ? c.start_day : preset.start_day,
                           o.to_given ? c.end_year : preset.end_year,
                           o.to_given ? c.end_month : preset.end_month,
                           o.to_given ? c.end_day : preset.end_day};
  const checked_period checked = check_period(asked, today);
  if (checked.outcome) return true;
  message = tr_format("期間の終わり %s が始め %s より前です（--from と --to をご確認ください）",
                      {slash_text(checked.period.end), slash_text(checked.period.start)});
  return false;
}

namespace {

// The codes of --code and --range.
bool check_code_options(const cli_options& o, std::string& message) {
  if (o.command != cli_command::collect) return true;
  const code_selection& c = o.collect.codes;
  if (c.mode == selection_mode::table) return true;
  const bool range = c.mode == selection_mode::range;
  for (const std::string* code : {&c.first, &c.last}) {
    if (code == &c.last && !range) break;
    if (is_target_code(*code)) continue;
    message = tr_format(
        "%s %s は銘柄コードではありません（4 桁の数字か、2 文字目か 4 文字目が"
        "英大文字の 4 文字: 1301、130A）",
        {range ? "--range" : "--code", *code});
    return false;
  }
  return true;
}

}  // namespace

bool read_fixed_now(std::optional<local_time>& now, std::string& message) {
  now.reset();
  const char* env = std::getenv("KARIGANE_NOW");
  if (env == nullptr || *env == '\0') return true;
  now = parse_local_time(env);
  if (now) return true;
  message = tr_format("KARIGANE_NOW=%s は YYYY-MM-DDTHH:MM の形の時刻ではありません", {env});
  return false;
}

std::string help_entry(const std::string& term, const std::string& description,
                       std::size_t column) {
  std::string text = "  " + term;
  std::size_t used = 2 + text_columns(term);
  // A term of wide characters goes on a line of its own too: tools that count characters, not
  // columns (help2man for the man pages), then still find the description's column.
  if (used + 2 > column || text_columns(term) != term.size()) {
    text += '\n';
    used = 0;
  }
  std::size_t start = 0;
  while (start < description.size()) {
    std::size_t end = description.find('\n', start);
    if (end == std::string::npos) end = description.size();
    text.append(column - used, ' ');
    text.append(description, start, end - start);
    text += '\n';
    used = 0;
    start = end + 1;
  }
  return text;
}

std::string cli_help_text() {
  std::string text = tr("使用法: karigane [--dir DIR] [実行オプション] [コマンド] [オプション]\n");
  text += '\n';
  text += tr(
      "日本株の市場データを CSV ファイルのローカルデータベースに集め、保守します。\n"
      "DIR はプログラムフォルダです（settei.txt、meigara_list.csv、download_code.csv、log/ の\n"
      "実行記録と、既定ではデータベース kabuka/ を置きます）。--dir がなければ現在のフォルダ\n"
      "です。初めて使うフォルダ（settei.txt も kabuka/ もない）には同梱の銘柄リストを置きま\n"
      "す。使用中のフォルダで meigara_list.csv がなければ、最新日株価の実行が作るまでないま\n"
      "まです。\n");
  text += '\n';
  text += tr("コマンド:\n");
  text += help_entry("gui", tr("メインウィンドウを開きます（コマンドがないときの既定）。\n"
                               "ディスプレイ（DISPLAY か WAYLAND_DISPLAY）が必要で、ない\n"
                               "ときは終了ステータス 2 で終わります"));
  text += help_entry("init --site URL [--force]",
                     tr("プログラムフォルダを用意します: settei.txt（五つのホストの\n"
                        "キーを URL に、たとえばローカル株価サイト\n"
                        "http://127.0.0.1:PORT に向け、ほかのキーはすべて既定値）と、\n"
                        "フォルダになければ同梱の銘柄リストを書きます。既にある\n"
                        "settei.txt は --force のときだけ置き換えます"));
  text += help_entry(
      "init --jquants [--plan PLAN] [--site URL] [--force]",
      tr("データ取得元を J-Quants（JPX の J-Quants API V2）にします:\n"
         "settei.txt に \"データ取得元\"、\"J-QuantsURL\"（--site、既定\n"
         "https://api.jquants.com）、\"J-QuantsAPIキー\"（環境変数\n"
         "JQUANTS_API_KEY から、なければ端末で表示せずに入力）、\n"
         "\"J-Quantsプラン\"（--plan: Free、Light、Standard、Premium。既定\n"
         "Free）を書き、ほかの設定と行はそのまま残します。キーを書いた\n"
         "settei.txt は持ち主だけが読めます。銘柄リストは J-Quants の銘柄\n"
         "一覧から置きます（あるリストには新しい銘柄を加えます）。J-Quants\n"
         "がキーかアドレスを受け付けないときは何も書きません。既にある\n"
         "settei.txt は --force のときだけ変えます"));
  text += help_entry(tr("collect [オプション]"), tr("\"収集開始\" ボタンの収集処理"));
  text += help_entry(
      "update [--latest] [--catch-up]",
      tr("\"更新\" ボタンの処理: 保存してあるすべての時系列について、最新\n"
         "の取引日の株価をそのファイルと最新の年毎ファイルに書きます。\n"
         "--latest は \"最新日株価\" にチェックを入れます（最新日ファイル\n"
         "も書きます）。最新行と最新日の間に取引日が抜けている系列には\n"
         "欠けがあります: その日はそのまま書き、系列を\n"
         "kabuka/data_m_gaps.csv に記録し、標準エラーの警告でその数と\n"
         "欠けを埋めるコマンドを示します。--catch-up は\n"
         "\"保存データの続きから\" にチェックを入れます: そうした系列（と\n"
         "記録済みの系列）の欠けた日を、まず最新行の翌日から履歴ページで\n"
         "集め（データベースに年毎の株価ファイルがあれば \"年毎\" で）、\n"
         "それから最新日を書きます。取引日: 月曜から金曜、ただし 12 月\n"
         "31 日から 1 月 3 日を除き、指数チャートページが日付を挙げる\n"
         "ところはその日（祝日は欠けになりません）"));
  text += help_entry("adjust [--yearly]",
                     tr("\"調整後株価\" ボタンの処理: 株価ファイルの株式分割を調整した\n"
                        "写しを調整後株価フォルダ（kabuka/syusei_kabuka/data_m/）に\n"
                        "作ります。--yearly は \"年毎から計算\" にチェックを入れます:\n"
                        "まず連続する最新の年フォルダから系列をつなぎます（data_m_1、\n"
                        "data_mh_1 に保存）。終わりに標準エラーへ \"調整後株価: FILESファイル\n"
                        "ROWS行 SECONDS秒\""));
  text += chart_export_help();
  text += help_entry("--help", tr("この説明"));
  text += help_entry("--version", tr("バージョン"));
  text += '\n';
  text += tr("実行オプション（collect、update、adjust、export に。行のどこに置いてもかまいません）:\n");
  text += help_entry("--wait", tr("ほかの実行がプログラムフォルダを使っている間、待ちます（後述）"));
  text += help_entry(tr("（指定なし）"),
                     tr("標準エラーが端末なら、そこに進み具合を 1 行、その場で書き直し\n"
                        "て示します: 実行、データの種類、N 銘柄中 i 番目（update の\n"
                        "ファイル処理と adjust では N ファイル中 i 番目）、コード、取得\n"
                        "したページ数、経過時間と、これからの処理も含めた実行全体の残り\n"
                        "時間の見込み（ページを 2 秒以上待っている間は \"応答待ち 35秒\"）。\n"
                        "実行が終わると消えます"));
  text += help_entry("--progress",
                     tr("代わりに標準エラーへ、ログ向けの飾りのない進み具合の行を書きま\n"
                        "す: 多くても 5 秒に 1 行、それぞれに時刻つき"));
  text += help_entry("--quiet, -q",
                     tr("実行の最後の状態テキストと失敗のまとめだけを表示します（警告\n"
                        "は実行記録にだけ残ります）"));
  text += help_entry("--log FILE",
                     tr("実行の記録をプログラムフォルダのログではなく FILE に書きます"));
  text += '\n';
  text += tr(
      "実行はすべてプログラムフォルダの log/karigane-YYYYMMDD.log に記録（UTF-8）を残しま\n"
      "す: 開始とコマンド行、時刻つきのすべての状態テキスト、警告（どの設定も知らない\n"
      "settei.txt のキーなど）、失敗、終わり方と終了ステータス。30 日より古いログは次の実行\n"
      "が消します。ログを書けないときは一度だけ警告し、実行は続けます。\n");
  text += '\n';
  text +=
      tr("一つのプログラムフォルダとそのデータベースで動く実行は一度に一つです: 実行は両方の\n"
         "フォルダとそのロックファイル karigane.lock をロックします（ウィンドウは実行のたびに\n"
         "取ります）。二つ目の実行は何にも触れず、すぐに終了ステータス 1 で終わります。--wait\n"
         "があれば代わりに一つ目の終わりを待ちます（SIGINT か SIGTERM で待つのをやめます）。\n"
         "強制終了された実行のロックはシステムが解きます。export は読むだけなのでロックを共有\n"
         "し、書き込めないプログラムフォルダでも動きます（記録は一度の警告で省きます）。\n");
  text += '\n';
  text += tr(
      "collect のオプション（ウィンドウのコントロールを設定します。指定がなければ: コード\n"
      "1301 の個別モード、\"時系列株価\" にチェック、期間は今年の 1 月 1 日から今日まで）:\n");
  text += help_entry("--code N",
                     tr("コード N の個別モード。コードは 4 文字: 数字か、2 文字目か 4 文字目が\n"
                        "英大文字（1301、130A）で 1000 から。ほかは使い方の誤り"));
  text += help_entry("--range A B",
                     tr("コード A から B までの範囲モード。コードは文字として並びます（130A\n"
                        "は 1309 と 1310 の間）。英字を含むコードは A、B と銘柄リストにある\n"
                        "もの"));
  text += help_entry("--table", tr("表モード: download_code.csv のコード"));
  text += help_entry("--latest",
                     tr("\"最新日株価\" にチェック（全対象の最新日の株価、銘柄リストの\n"
                        "更新）"));
  text += help_entry("--no-timeseries",
                     tr("\"時系列株価\" のチェックを外す（日々の株価と株式分割）"));
  text += help_entry("--margin", tr("\"信用売買残\" にチェック（週ごとの信用残、250 日ずつ）"));
  text += help_entry("--financial",
                     tr("\"財務情報\" にチェック（対象のうち会社の財務諸表と、日付つき\n"
                        "のまとめ）"));
  text += help_entry("--yearly", tr("\"年毎\" にチェック（年ごとのファイルも書く）"));
  text += help_entry("--from Y/M/D",
                     tr("期間の始め（年・月・日の一覧にある値: 年は 1983 から今年、月\n"
                        "は 1-12、日は 1-31。月末を越える日はその月の末日とみなしま\n"
                        "す）"));
  text += help_entry("--to Y/M/D",
                     tr("期間の終わり（同じく。今日より後の日は今日とみなします）"));
  text += help_entry("--since-stored",
                     tr("\"保存データの続きから\" にチェック: 各銘柄の期間（時系列、信用\n"
                        "残）は保存ファイルの最新行の翌日から始まります。すでに最新の\n"
                        "銘柄は何も求めず、読めない保存ファイルはそのままにして失敗に\n"
                        "数えます。その日の株価は 16:00 から数えます（それより前は期間\n"
                        "が前日で終わります）。信用残の週はその週が終わってから。中断\n"
                        "やクラッシュの後は同じコマンドをもう一度実行すれば、一度目が\n"
                        "保存しなかった分だけを求めます"));
  text += '\n';
  text += tr("状態行のメッセージはすべて標準出力に 1 行ずつ表示します。ほかには何も出しませ\n"
             "ん。終了ステータス:\n");
  text += help_entry("0", tr("実行が完了し、何も失敗しなかった"), 7);
  text +=
      help_entry("1",
                 tr("エラーで終わった: 作れないか書き込めないプログラムフォルダ、書き込めない\n"
                    "ファイルやフォルダ（\"ファイルを書き込めません: \" とそのパス。ulimit -f を\n"
                    "超えるファイルも）、つながらないサイト、プログラムフォルダを使っているほか\n"
                    "の実行など"),
                 7);
  text += help_entry("2",
                     tr("使い方の誤り（不明なオプション、銘柄コードでない --code や --range、あり\n"
                        "えない --from や --to の日付、始めより前に終わる期間、形の誤った\n"
                        "KARIGANE_NOW）"),
                     7);
  text += help_entry("3",
                     tr("実行は完了したが、一部が失敗した: 取得できなかったページ、読めない保存\n"
                        "ファイル、不完全な最新日の行、銘柄リストにない --code のコード、銘柄\n"
                        "コードでない download_code.csv や銘柄リストの項目"),
                     7);
  text += help_entry("130",
                     tr("中断された（SIGINT か SIGTERM。実行は \"処理を中断しました。\" で終わり\n"
                        "ます。adjust は手がけているファイルを仕上げます）"),
                     7);
  text +=
      tr("何かが失敗したときは、実行の終わりに標準エラーへ一覧を出します: \"失敗 N件\"、続いて\n"
         "失敗ごとに 1 行（コード、データの種類、期間またはファイル、理由）、それからわかる\n"
         "ときはその対処。\n");
  text += tr(
      "export はデータベースファイルか CSV の組のファイルがエクスポートのものでないとき\n"
      "（上書きはしません）と、ほかのプログラムが待ち時間を過ぎてもデータベースを開いている\n"
      "ときも 1 で終わります。\n");
  text += tr(
      "chart: 0、その期間に銘柄の保存系列がないか画像を書けないときは 1、使い方の誤り（ほかの\n"
      "拡張子の --out FILE も）かウィンドウ用のディスプレイがないときは 2。\n");
  text += '\n';
  text += tr("環境変数（テストやデモ用）:\n");
  text += help_entry("KARIGANE_NOW=YYYY-MM-DDTHH:MM",
                     tr("システムの時計の代わりにこの現地時刻を使います"), 34);
  text += help_entry("KARIGANE_JQUANTS_MINUTE=S",
                     tr("J-Quants の要求の上限を数える 1 分と、429 のあとに待つ時間を\n"
                        "S 秒にします（既定 60、0 は間を空けず待たない）"),
                     34);
  text += help_entry("KARIGANE_EXPORT_WAIT_SECONDS=N",
                     tr("ほかのプログラムが開いているデータベースを export が待つ\n"
                        "秒数（既定 30、0 は待たない）"),
                     34);
  text += '\n';
  text += tr(
      "人に向けたメッセージ（この説明、使い方の誤り、失敗の件数）は日本語です。LC_ALL、なけ\n"
      "れば LC_MESSAGES、なければ LANG が \"en\" で始まるときは英語になります。状態テキスト、\n"
      "実行記録、保存ファイルはどの言語でも同じです。\n");
  text += '\n';
  text +=
      tr("株価サイト: ページは settei.txt にあるホストから、ホストごとに保ち続ける一つの接続で\n"
         "取得します。このマシンの外のホストへの要求は \"アクセス間隔ミリ秒\" ずつ間を空け（既\n"
         "定 500）、失敗したページの繰り返しは 1 秒から 30 秒まで間隔を延ばします。名前解決\n"
         "できないホスト、接続を拒否するホスト、証明書を検証できないホストは間隔を空けずに\n"
         "多くても 1 回だけ繰り返し、失敗の行がホストと原因を示します。答えのないページ（制限\n"
         "時間内に答えがない、拒否、切断、HTTP エラー）が 5 つ続くと、実行は\n"
         "\"インターネットからデータを取得できませんでした。\" と終了ステータス 1 で終わります。\n"
         "settei.txt のないフォルダでそうなったときは、karigane init --site URL（または\n"
         "karigane init --jquants）で取得元を設定するよう示します。\n");
  text += '\n';
  text += tr(
      "J-Quants（settei.txt の \"データ取得元\" が J-Quants のとき）: 同じファイルに同じ形で書き\n"
      "ます。API キーは \"J-QuantsAPIキー\"、空なら環境変数 JQUANTS_API_KEY です。ログにも\n"
      "メッセージにもキーは出さず、出すときは末尾 4 文字だけです。要求はプランの上限（1 分\n"
      "に Free 5、Light 60、Standard 120、Premium 500、財務情報は別に 60）を超えないよう\n"
      "に間を空け、期間はプランの日付（Free は 12 週間前までとその前の 2 年）に切り詰め、その\n"
      "ことを一度警告します。銘柄ごとと日ごとのうち要求の少ない方で集めます。429 には 1 分\n"
      "待って続け、5xx と切れた接続は 3 回まで繰り返します。キーを受け付けないときは終了\n"
      "ステータス 1 で終わり、プランにない種類（Standard 未満の信用売買残など）は飛ばして\n"
      "失敗に数えます。取引日は J-Quants の取引カレンダーによります。\n");
  return text;
}

bool parse_cli_options(const std::vector<std::string>& args, cli_options& o,
                       std::string& message) {
  bool command_seen = false;
  auto need = [&](std::size_t i, std::size_t count, const std::string& name) {
    if (i + count < args.size()) return true;
    message = count == 1 ? tr_format("%s には値が必要です", {name})
                         : tr_format("%s には値が2つ必要です", {name});
    return false;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.command = cli_command::help;
      return true;
    }
    if (a == "--version") {
      o.command = cli_command::version;
      return true;
    }
    if (a == "--dir") {
      if (!need(i, 1, a)) return false;
      o.dir = args[++i];
      continue;
    }
    if (a == "--wait") {
      o.wait_for_lock = true;
      continue;
    }
    switch (parse_output_option(args, i, o, message)) {
      case option_parse::taken: continue;
      case option_parse::failed: return false;
      case option_parse::not_mine: break;
    }
    if (!command_seen && (a == "gui" || a == "collect")) {
      command_seen = true;
      o.command = a == "gui" ? cli_command::gui : cli_command::collect;
      continue;
    }
    if (!command_seen && a == "init") {
      command_seen = true;
      o.command = cli_command::init;
      continue;
    }
    if (o.command == cli_command::init) {
      if (a == "--site") {
        if (!need(i, 1, a)) return false;
        o.site = args[++i];
      } else if (a == "--force") {
        o.force = true;
      } else if (a == "--jquants") {
        o.jquants = true;
      } else if (a == "--plan") {
        if (!need(i, 1, a)) return false;
        const std::optional<jquants_plan> plan = jquants_plan_named(args[++i]);
        if (!plan) {
          message = tr_format("J-Quants のプランは Free、Light、Standard、Premium のどれかです: %s",
                              {args[i]});
          return false;
        }
        o.plan = *plan;
        o.plan_given = true;
      } else {
        message = tr_format("%s に使えないオプションです: %s", {"init", a});
        return false;
      }
      continue;
    }
    if (!command_seen && a == "update") {
      command_seen = true;
      o.command = cli_command::update;
      continue;
    }
    if (o.command == cli_command::update) {
      if (a == "--latest") {
        o.update.latest_file = true;
      } else if (a == "--catch-up") {
        o.update.catch_up = true;
      } else {
        message = tr_format("%s に使えないオプションです: %s", {"update", a});
        return false;
      }
      continue;
    }
    if (!command_seen && (a == "chart" || a == "export")) {
      command_seen = true;
      o.command = a == "chart" ? cli_command::chart : cli_command::export_data;
      continue;
    }
    if (o.command == cli_command::chart) {
      if (!parse_chart_argument(args, i, o, message)) return false;
      continue;
    }
    if (o.command == cli_command::export_data) {
      if (!parse_export_argument(args, i, o, message)) return false;
      continue;
    }
    if (!command_seen && a == "adjust") {
      command_seen = true;
      o.command = cli_command::adjust;
      continue;
    }
    if (o.command == cli_command::adjust) {
      if (a != "--yearly") {
        message = tr_format("%s に使えないオプションです: %s", {"adjust", a});
        return false;
      }
      o.adjust.from_yearly = true;
      continue;
    }
    if (o.command != cli_command::collect) {
      message = tr_format("不明な引数です: %s", {a});
      return false;
    }
    collection_request& c = o.collect;
    if (const data_kind* kind = kind_with_option(a)) {
      // An option ticks its kind, or unticks one that a window opens with ticked.
      c.kinds.set(kind->id, !kind->ticked_at_start);
    } else if (a == "--code") {
      if (!need(i, 1, a)) return false;
      c.codes.mode = selection_mode::single;
      c.codes.first = args[++i];
    } else if (a == "--range") {
      if (!need(i, 2, a)) return false;
      c.codes.mode = selection_mode::range;
      c.codes.first = args[++i];
      c.codes.last = args[++i];
    } else if (a == "--table") {
      c.codes.mode = selection_mode::table;
    } else if (a == "--yearly") {
      c.yearly = true;
    } else if (a == "--since-stored") {
      c.since_stored = true;
    } else if (a == "--from" || a == "--to") {
      if (!need(i, 1, a)) return false;
      const std::string& v = args[++i];
      const bool from = a == "--from";
      period_texts& p = c.period;
      if (!split_period(v, from ? p.start_year : p.end_year, from ? p.start_month : p.end_month,
                        from ? p.start_day : p.end_day)) {
        message = tr_format("%s には日付を Y/M/D の形で指定してください: %s", {a, v});
        return false;
      }
      (from ? o.from_given : o.to_given) = true;
    } else {
      message = tr_format("%s に使えないオプションです: %s", {"collect", a});
      return false;
    }
  }
  if (o.progress_lines && o.quiet) {
    message = tr("--progress と --quiet は一緒に使えません");
    return false;
  }
  if (o.command == cli_command::init && o.plan_given && !o.jquants) {
    message = tr("--plan は init --jquants のオプションです");
    return false;
  }
  if (o.command == cli_command::init && o.site.empty() && !o.jquants) {
    message = tr("init には --site URL か --jquants が必要です");
    return false;
  }
  if (!check_code_options(o, message)) return false;
  if (o.command == cli_command::chart) return finish_chart_options(o, message);
  if (o.command == cli_command::export_data) return finish_export_options(o, message);
  return true;
}

}  // namespace karigane
