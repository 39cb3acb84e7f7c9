// The failure tally of a run: everything a run could not do while it still went on to its end
// (a window or page not retrieved or never verified, a stock or kind skipped because its stored
// file is damaged or unreadable, an incomplete latest-day row, a period the check refused).
// A page saying that there is no data for the period is not a failure. A run that reaches its
// completion message with a non-empty tally ends with exit status 3 on the command line.
//
// Threading: add() may be called from the file workers of a run; the rest from the run's thread.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace karigane {

struct run_failure {
  std::string code;    // the stock code, empty when the failure is not a stock's
  std::string kind;    // what failed: a data kind's name, "更新", "期間", ...
  std::string where;   // the window ("2013/01/01～2013/02/19"), the page, or the file (relative
                       // to the program folder)
  std::string reason;  // the message, in Japanese
};

class failure_tally {
 public:
  void add(run_failure failure);
  void clear();
  std::size_t count() const;
  bool empty() const { return count() == 0; }
  // A copy of the failures in the order they were noted.
  std::vector<run_failure> list() const;

  // A line for the person after the failures (what to do about them), kept once however often
  // it is noted; cleared with the failures.
  void add_note(std::string note);
  std::vector<std::string> notes() const;

 private:
  mutable std::mutex m_;
  std::vector<run_failure> failures_;
  std::vector<std::string> notes_;
};

// One line of a failure: "code kind where: reason", the empty parts left out.
std::string failure_line(const run_failure& failure);

// The count as the front ends show it before the lines: "失敗 3件", in the reader's language.
std::string failure_count_text(std::size_t count);

}  // namespace karigane
