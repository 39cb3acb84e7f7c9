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

// Data kinds as the tally names them: the captions of the window's check boxes and buttons.
inline constexpr const char* kKindPrices = "時系列株価";
inline constexpr const char* kKindSplits = "株式分割";
inline constexpr const char* kKindMargin = "信用売買残";
inline constexpr const char* kKindFinancial = "財務情報";
inline constexpr const char* kKindLatest = "最新日株価";
inline constexpr const char* kKindUpdate = "更新";
inline constexpr const char* kKindAdjusted = "調整後株価";
inline constexpr const char* kKindStockList = "銘柄リスト";
inline constexpr const char* kKindPeriod = "期間";
inline constexpr const char* kKindExport = "エクスポート";

struct run_failure {
  std::string code;    // the stock code, empty when the failure is not a stock's
  std::string kind;    // one of the kinds above
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

 private:
  mutable std::mutex m_;
  std::vector<run_failure> failures_;
};

// One line of a failure: "code kind where: reason", the empty parts left out.
std::string failure_line(const run_failure& failure);

// The count as the front ends show it before the lines: "失敗 3件", in the reader's language.
std::string failure_count_text(std::size_t count);

}  // namespace karigane
