// Command-line parsing: see cli_options.h.
#include "cli/cli_options.h"

#include <algorithm>
#include <cstdlib>

#include "cli/cli_export_chart.h"
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
      message = "--log には値が必要です";
      return option_parse::failed;
    }
    o.log_file = args[++i];
  } else {
    return option_parse::not_mine;
  }
  return option_parse::taken;
}

bool check_period_options(const cli_options& o, const date& today, std::string& message) {
  const control_values& c = o.controls;
  struct end_of_period {
    bool given;
    const char* option;
    const std::string& y;
    const std::string& m;
    const std::string& d;
  };
  for (const end_of_period& e :
       {end_of_period{o.from_given, "--from", c.yyyy_start_cmb, c.mm_start_cmb, c.dd_start_cmb},
        end_of_period{o.to_given, "--to", c.yyyy_end_cmb, c.mm_end_cmb, c.dd_end_cmb}}) {
    if (!e.given || period_texts_fit(e.y, e.m, e.d, today.y)) continue;
    message = std::string(e.option) + " " + e.y + "/" + e.m + "/" + e.d +
              " は期間の一覧にない日付です（年 " + std::to_string(kFirstYear) + "～" +
              std::to_string(today.y) + "、月 1～12、日 1～31）";
    return false;
  }
  return true;
}

bool read_fixed_now(std::optional<local_time>& now, std::string& message) {
  now.reset();
  const char* env = std::getenv("KARIGANE_NOW");
  if (env == nullptr || *env == '\0') return true;
  now = parse_local_time(env);
  if (now) return true;
  message = std::string("KARIGANE_NOW=") + env + " は YYYY-MM-DDTHH:MM の形の時刻ではありません";
  return false;
}

std::string cli_help_text() {
  std::string text = R"(Usage: karigane [--dir DIR] [RUN OPTIONS] [COMMAND] [options]

Builds and maintains a local database of Japanese stock market data in CSV files.
DIR is the program folder (settei.txt, meigara_list.csv, download_code.csv, the run logs in
log/ and, by default, the database kabuka/); without --dir it is the current folder. A folder
used for the first time (no settei.txt, no kabuka/) gets the factory stock list; in a folder
already in use a missing meigara_list.csv stays missing until a latest-day run builds it.

Commands:
  gui                 open the main window (the default when no command is given); it
                      needs a display (DISPLAY or WAYLAND_DISPLAY), else exit status 2
  init --site URL [--force]
                      set up the program folder: settei.txt with the five host keys at URL
                      (for example the local quote site, http://127.0.0.1:PORT) and every
                      other key at its default, and the factory stock list when the folder
                      has none; an existing settei.txt is replaced only with --force
  collect [options]   the collection run of the "収集開始" button
  update [--latest] [--catch-up]
                      the run of the "更新" button: the latest trading day's prices of every
                      stored time series are written into its file and its newest yearly
                      file; --latest ticks "最新日株価" (also write the latest-day file).
                      A series whose newest row lies more than one trading day before the
                      latest day has a gap: the day is written all the same, the series is
                      noted in kabuka/data_m_gaps.csv and a warning on standard error gives
                      their count and the command that fills them. --catch-up ticks
                      "保存データの続きから": the missing days of every such series (and of
                      those noted) are first collected from the history pages, from the day
                      after its newest row, with "年毎" when the database has yearly price
                      files; then the latest day is written. Trading days: Monday to Friday
                      but 31 December to 3 January, the index chart page's days where it
                      lists them (so a public holiday is no gap)
  adjust [--yearly]   the run of the "調整後株価" button: split-adjusted copies of the price
                      files in the adjusted-price folder (kabuka/syusei_kabuka/data_m/);
                      --yearly ticks "年毎から計算": the series are first joined from the
                      newest run of consecutive year folders (kept in data_m_1, data_mh_1)
@CHART_EXPORT@  --help              this text
  --version           the version

RUN OPTIONS (for collect, update, adjust and export; they may stand anywhere on the line):
  --wait              wait while another run holds the program folder (see below)
  (no option)         when standard error is a terminal, one progress line there, redrawn
                      in place: the run, the data kind, stock i of N (files i of N for
                      update's file pass and adjust), the code, pages fetched, the time
                      spent and an estimate of the time left; cleared when the run ends
  --progress          plain progress lines on standard error instead, for logs: one every
                      5 seconds at most, each with a time stamp
  --quiet, -q         print only the run's final status text and the failure summary
                      (warnings are kept in the log alone)
  --log FILE          record the run in FILE instead of the program folder's log

Every run leaves a record (UTF-8) in log/karigane-YYYYMMDD.log in the program folder: its
start and command line, every status text with a time stamp, warnings (such as a key of
settei.txt that no setting knows), failures, the ending and the exit status. Logs older than
30 days are removed by the next run. A log that cannot be written is warned of once; the run
goes on.

One run at a time works on a program folder: a run holds the lock file karigane.lock in it
(the window takes it for each run). A second run ends at once with exit status 1, touching
nothing; with --wait it waits for the first to end instead (SIGINT or SIGTERM stops the
wait). The lock of a run that was killed is released by the system.

collect options (they set the window's controls; without them: individual mode with code
1301, "時系列株価" ticked, the period from 1 January of this year to today):
  --code N            individual mode with the code N
  --range A B         range mode from code A to code B
  --table             table mode: the codes of download_code.csv
  --latest            tick "最新日株価" (latest-day prices of all targets, stock list renewal)
  --no-timeseries     untick "時系列株価" (daily prices and splits)
  --margin            tick "信用売買残" (weekly margin balances, in 250-day windows)
  --financial         tick "財務情報" (financial statements of the companies among the
                      targets, and the dated summaries)
  --yearly            tick "年毎" (also write per-year files)
  --from Y/M/D        start of the period (year, month and day lists: a year from 1983 to
                      this year, a month 1-12, a day 1-31; a day beyond the month's end is
                      taken as its last day)
  --to Y/M/D          end of the period (likewise; an end after today is taken as today)
  --since-stored      tick "保存データの続きから": each stock's period (time series, margin)
                      starts on the day after the newest row of its stored file; a stock
                      already current asks for nothing, a stored file that cannot be read is
                      left alone and counted as failed. A day's prices count from 16:00 on
                      (before, the period ends the day before); margin weeks once the week
                      is over. Run the same command again after a stop or a crash to ask
                      only for what the first run did not store

Every message of the status line is printed on standard output, one line each; nothing else
goes there. Exit status:
  0    the run completed and nothing failed
  1    it ended with an error: a file or folder that cannot be written
       ("ファイルを書き込めません: " and its path), a site that cannot be reached, another
       run holding the program folder, ...
  2    usage error (an unknown option, an impossible --from or --to date, a malformed
       KARIGANE_NOW)
  3    the run completed, but part of its work failed: a page not retrieved, a stored file
       that cannot be read, an incomplete latest-day row, a refused period
  130  it was stopped (SIGINT or SIGTERM; the run ends with "処理を中断しました。"; adjust
       finishes the files in hand)
When anything failed, standard error lists it at the end of the run: "失敗 N件", then one
line per failure with the code, the data kind, the window or file, and the reason.
export ends with 1 also when the database file, or a file of the CSV set, is not an export
(it is never overwritten), and when another program holds the database past the wait.
chart: 0, 1 when the stock has no stored series in the period or the PNG cannot be written,
2 usage error or no display for the window.

Environment (for tests and demonstrations):
  KARIGANE_NOW=YYYY-MM-DDTHH:MM   use this local time instead of the system clock
  KARIGANE_EXPORT_WAIT_SECONDS=N  how long export waits for a database that another program
                                  holds (default 30; 0 not at all)

The quote site: pages come from the hosts named in settei.txt over one kept connection per
host; requests to a host off this machine are "アクセス間隔ミリ秒" apart (default 500) and the
repeats of a failed page back off from 1 to 30 seconds. After five pages in a row that got no
answer (none within the time limit, refused, dropped or an HTTP error) the run ends with
"インターネットからデータを取得できませんでした。" and exit status 1.
)";
  const std::string mark = "@CHART_EXPORT@";
  text.replace(text.find(mark), mark.size(), chart_export_help());
  return text;
}

bool parse_cli_options(const std::vector<std::string>& args, cli_options& o,
                       std::string& message) {
  bool command_seen = false;
  auto need = [&](std::size_t i, std::size_t count, const std::string& name) {
    if (i + count < args.size()) return true;
    message = name + (count == 1 ? std::string(" には値が必要です") : " には値が2つ必要です");
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
      } else {
        message = "init に使えないオプションです: " + a;
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
        o.controls.out1_data_d_chk = true;
      } else if (a == "--catch-up") {
        o.controls.out1_tuzuki_chk = true;
      } else {
        message = "update に使えないオプションです: " + a;
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
        message = "adjust に使えないオプションです: " + a;
        return false;
      }
      o.controls.out2_nenngoto_chk = true;
      continue;
    }
    if (o.command != cli_command::collect) {
      message = "不明な引数です: " + a;
      return false;
    }
    control_values& c = o.controls;
    if (a == "--code") {
      if (!need(i, 1, a)) return false;
      c.meigara_code_opt = selection_mode::individual;
      c.code_txt = args[++i];
    } else if (a == "--range") {
      if (!need(i, 2, a)) return false;
      c.meigara_code_opt = selection_mode::range;
      c.code_txt = args[++i];
      c.code1_txt = args[++i];
    } else if (a == "--table") {
      c.meigara_code_opt = selection_mode::table;
    } else if (a == "--latest") {
      c.out1_data_d_chk = true;
    } else if (a == "--no-timeseries") {
      c.out1_jikeiretu_chk = false;
    } else if (a == "--margin") {
      c.out1_shinyou_chk = true;
    } else if (a == "--financial") {
      c.out1_data_z_chk = true;
    } else if (a == "--yearly") {
      c.out1_nengoto_chk = true;
    } else if (a == "--since-stored") {
      c.out1_tuzuki_chk = true;
    } else if (a == "--from" || a == "--to") {
      if (!need(i, 1, a)) return false;
      const std::string& v = args[++i];
      const bool from = a == "--from";
      if (!split_period(v, from ? c.yyyy_start_cmb : c.yyyy_end_cmb,
                        from ? c.mm_start_cmb : c.mm_end_cmb,
                        from ? c.dd_start_cmb : c.dd_end_cmb)) {
        message = a + " には日付を Y/M/D の形で指定してください: " + v;
        return false;
      }
      (from ? o.from_given : o.to_given) = true;
    } else {
      message = "collect に使えないオプションです: " + a;
      return false;
    }
  }
  if (o.progress_lines && o.quiet) {
    message = "--progress と --quiet は一緒に使えません";
    return false;
  }
  if (o.command == cli_command::init && o.site.empty()) {
    message = "init には --site URL が必要です";
    return false;
  }
  if (o.command == cli_command::chart) return finish_chart_options(o, message);
  if (o.command == cli_command::export_data) return finish_export_options(o, message);
  return true;
}

}  // namespace karigane
