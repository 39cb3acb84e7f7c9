// The progress source: see run_progress.h.
#include "core/run_progress.h"

#include <algorithm>
#include <cmath>

namespace karigane {

void run_progress::start_run(std::string run_kind) {
  std::lock_guard<std::mutex> lock(m_);
  state_ = progress_snapshot{};
  state_.active = true;
  state_.run_kind = std::move(run_kind);
  run_start_ = pass_start_ = item_start_ = now();
  later_items_ = items_before_ = 0;
  seconds_before_ = 0;
  waiting_ = false;
  ++version_;
}

void run_progress::start_pass(std::string data_kind, std::string unit, std::size_t total) {
  std::lock_guard<std::mutex> lock(m_);
  const clock::time_point t = now();
  // The pass before, done, sets the pace of a new one of its unit until that has its own.
  if (unit != state_.unit) {
    items_before_ = 0;
    seconds_before_ = 0;
  } else if (state_.index > 0) {
    items_before_ += state_.index;
    seconds_before_ += std::chrono::duration<double>(t - pass_start_).count();
  }
  state_.data_kind = std::move(data_kind);
  state_.unit = std::move(unit);
  state_.total = total;
  state_.index = 0;
  state_.code.clear();
  pass_start_ = item_start_ = t;
  ++version_;
}

void run_progress::set_later_items(std::size_t items) {
  std::lock_guard<std::mutex> lock(m_);
  later_items_ = items;
  ++version_;
}

void run_progress::page_wait(bool waiting) {
  std::lock_guard<std::mutex> lock(m_);
  if (waiting == waiting_) return;
  waiting_ = waiting;
  wait_start_ = now();
  ++version_;
}

void run_progress::at_item(std::size_t index, std::string code) {
  std::lock_guard<std::mutex> lock(m_);
  state_.index = index;
  state_.code = std::move(code);
  item_start_ = now();
  ++version_;
}

void run_progress::page_fetched() {
  std::lock_guard<std::mutex> lock(m_);
  ++state_.pages;
  ++version_;
}

void run_progress::finish() {
  std::lock_guard<std::mutex> lock(m_);
  state_.active = false;
  ++version_;
}

progress_snapshot run_progress::snapshot() const {
  std::lock_guard<std::mutex> lock(m_);
  progress_snapshot s = state_;
  const clock::time_point t = now();
  s.elapsed_seconds = std::chrono::duration<double>(t - run_start_).count();
  // The pace of the items finished so far (those before the one in hand) in this pass, or, until
  // it has one, in the run's earlier passes of its unit.
  const std::size_t finished = s.index > 0 ? s.index - 1 : 0;
  const bool own_pace = finished > 0;
  if ((own_pace || items_before_ > 0) && s.index > 0 && s.total >= s.index) {
    const double per_item = own_pace
                                ? std::chrono::duration<double>(item_start_ - pass_start_).count() /
                                      static_cast<double>(finished)
                                : seconds_before_ / static_cast<double>(items_before_);
    const double in_hand = std::chrono::duration<double>(t - item_start_).count();
    // The items not yet begun at that pace (of this pass and the passes to come), and what is
    // left of the one in hand: an item that takes longer than the others (a page that does
    // not answer) does not make the rest free.
    s.remaining_seconds = per_item * static_cast<double>(s.total - s.index + later_items_) +
                          std::max(0.0, per_item - in_hand);
  }
  if (waiting_) s.waiting_seconds = std::chrono::duration<double>(t - wait_start_).count();
  return s;
}

void run_progress::set_clock(std::function<clock::time_point()> now) {
  std::lock_guard<std::mutex> lock(m_);
  now_ = std::move(now);
}

unsigned long run_progress::version() const {
  std::lock_guard<std::mutex> lock(m_);
  return version_;
}

std::string duration_text(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  if (s >= 3600) return std::to_string(s / 3600) + "時間" + std::to_string(s % 3600 / 60) + "分";
  if (s >= 60) return std::to_string(s / 60) + "分" + std::to_string(s % 60) + "秒";
  return std::to_string(s) + "秒";
}

std::string progress_count_text(const progress_snapshot& s) {
  if (s.total == 0 || s.unit.empty()) return {};
  return s.unit + " " + std::to_string(s.index) + "/" + std::to_string(s.total);
}

std::string time_left_text(const progress_snapshot& s) {
  if (s.waiting_seconds >= kWaitShownAfterSeconds) {
    return "応答待ち " + duration_text(std::floor(s.waiting_seconds));
  }
  if (s.remaining_seconds < 0) return {};
  return "残り " + duration_text(s.remaining_seconds);
}

std::string progress_line_text(const progress_snapshot& s) {
  std::string line = s.run_kind;
  auto add = [&line](const std::string& part, const char* gap) {
    if (part.empty()) return;
    if (!line.empty()) line += gap;
    line += part;
  };
  // The update's and the adjustment's passes bear the run's own name.
  if (s.data_kind != s.run_kind) add(s.data_kind, " ");
  add(progress_count_text(s), " ");
  add(s.code, " ");
  if (s.pages > 0) add("ページ " + std::to_string(s.pages), "  ");
  add("経過 " + duration_text(s.elapsed_seconds), "  ");
  add(time_left_text(s), "  ");
  return line;
}

}  // namespace karigane
