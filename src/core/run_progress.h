// How far a run is: the one progress source of the engine. The drivers report counts once
// (stock i of N, or file i of N for passes over stored files, the current code and data kind,
// pages fetched); each front end reads a snapshot when it pumps and draws it its own way (a
// terminal line, plain log lines, a progress bar).
//
// Threading: every member may be called from any thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

namespace karigane {

inline constexpr const char* kUnitStocks = "銘柄";
inline constexpr const char* kUnitFiles = "ファイル";

struct progress_snapshot {
  bool active = false;       // a run is under way
  std::string run_kind;      // "収集", "更新", "調整後株価", ...
  std::string data_kind;     // the pass's label, a data kind's name (empty before one)
  std::string unit;          // kUnitStocks or kUnitFiles
  std::size_t index = 0;     // the item in hand, 1-based (0 before the first)
  std::size_t total = 0;     // items of the pass
  std::string code;          // the code in hand, empty for files without one
  std::size_t pages = 0;     // pages fetched since the run began
  double elapsed_seconds = 0;    // since the run began
  // Estimate for the rest of the run (this pass and the items of the passes still to come)
  // from the pace of the pass's items done so far (before its first, of the run's earlier
  // passes of its unit); -1 unknown.
  double remaining_seconds = -1;
  double waiting_seconds = -1;  // how long the page in hand has been waited for; -1 none
};

// A page waited for this long shows the wait ("応答待ち") in place of the time left.
inline constexpr double kWaitShownAfterSeconds = 2;

class run_progress {
 public:
  using clock = std::chrono::steady_clock;

  // A run begins: counts and the clock start again.
  void start_run(std::string run_kind);
  // A pass over `total` items begins (its pace is measured from here).
  void start_pass(std::string data_kind, std::string unit, std::size_t total);
  // The items of the passes the run will make after the coming or current one, in the same
  // unit: the time left counts them at the pace of the items done so far.
  void set_later_items(std::size_t items);
  // A page is being waited for (its request is made, its answer not in), or no longer.
  void page_wait(bool waiting);
  // Item `index` (1-based) of the pass is in hand; `code` may be empty.
  void at_item(std::size_t index, std::string code = {});
  void page_fetched();
  // The run is over; the front ends hide their progress.
  void finish();

  progress_snapshot snapshot() const;
  // Changes every time anything above is called, so a front end can tell whether to redraw.
  unsigned long version() const;

  // The clock the counts are timed by (tests set one they can move).
  void set_clock(std::function<clock::time_point()> now);

 private:
  clock::time_point now() const { return now_ ? now_() : clock::now(); }

  mutable std::mutex m_;
  std::function<clock::time_point()> now_;
  progress_snapshot state_;
  clock::time_point run_start_{};
  clock::time_point pass_start_{};
  clock::time_point item_start_{};
  std::size_t later_items_ = 0;
  // The items of the run's earlier passes of the same unit, and the time they took.
  std::size_t items_before_ = 0;
  double seconds_before_ = 0;
  bool waiting_ = false;
  clock::time_point wait_start_{};
  unsigned long version_ = 0;
};

// "1時間2分", "3分4秒", "5秒": a duration as a person reads it.
std::string duration_text(double seconds);

// "銘柄 12/100" (or "ファイル 12/100"); empty before a pass has its items.
std::string progress_count_text(const progress_snapshot& s);

// "残り 3分4秒"; "応答待ち 35秒" while a page has been waited for kWaitShownAfterSeconds or
// more; empty while the estimate is unknown.
std::string time_left_text(const progress_snapshot& s);

// The whole progress line: "RUN KIND 銘柄 12/100 1301  ページ 34  経過 1分2秒  残り 3分4秒",
// the parts not yet known (and pages before the first) left out.
std::string progress_line_text(const progress_snapshot& s);

}  // namespace karigane
