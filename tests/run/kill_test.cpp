// Runs of the command line killed (SIGKILL) at random moments: the update, the update that
// catches up series gaps first, the adjusted prices from the main files and from the yearly
// files, a collection of every data kind against the local quote site, one that takes up the
// stored rows, and the CSV export, each on a database in a temporary folder. After each kill
// every file of the program folder must be byte for byte its version before the run or the one
// that an uninterrupted run writes (a file the run creates: absent or the new version; a file
// it writes twice, such as the gap record noted before the fill: also the version between);
// temporary files of a replacement may stay. A rerun must then complete and leave
// exactly the files of the uninterrupted run, without a temporary file.
//
// The new versions are fixed: the quote site's day, data seed and the run's clock are. The
// moment of each kill is a fraction of a whole run's measured time, drawn from the kill's own
// seed, which a failure prints. KARIGANE_KILL_SEED=N replays that one kill (at the same
// fraction of the run; how far a run has come at a moment varies a little from run to run);
// KARIGANE_KILLS=N sets the number of kills per run kind (scripts/killtest runs hundreds
// against the release build).
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "core/cp932.h"
#include "file_versions.h"
#include "price_database.h"
#include "support/process.h"
#include "support/quote_site_process.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::child_process;
using testing::folder_files;
using testing::process_result;
using testing::quote_site_process;
using testing::run_karigane;
using testing::temp_folder;

const std::string kNow = "2014-11-27T17:00";
const std::vector<std::string> kClock{"KARIGANE_NOW=" + kNow};
const std::vector<std::string> kSiteOptions{"--now", kNow, "--seed", "7"};
constexpr int kKillsPerRunKind = 20;

// The database of the update and the adjusted-price runs: daily prices up to the day before
// the quote site's day, since 2013 (two year folders).
void write_prices(const std::string& dir, std::size_t stocks) {
  testing::write_price_database(dir + "kabuka/", testing::factory_stock_codes(stocks),
                                date{2013, 1, 1}, date{2014, 11, 26});
}

// The database of the collection: what an earlier collection of a shorter period and fewer
// stocks stored, so that the run both merges into stored files and creates new ones.
void collect_earlier(const std::string& dir) {
  const process_result r =
      run_karigane({"--dir", dir, "collect", "--range", "1301", "1334", "--from", "2014/06/01",
                    "--to", "2014/10/31", "--yearly", "--margin", "--financial"},
                   kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
}

// The database of the update that catches up: a series gap that an earlier update noted in
// kabuka/data_m_gaps.csv (it wrote the latest day after prices up to a week before) and series
// stored up to that week that nobody noted yet, in the main and the yearly files.
void update_behind(const std::string& dir) {
  const std::vector<std::string> codes = testing::factory_stock_codes(30);
  const date behind{2014, 11, 20};
  testing::write_price_database(dir + "kabuka/", {codes.begin(), codes.begin() + 15},
                                date{2013, 1, 1}, behind);
  const process_result r = run_karigane({"--dir", dir, "update"}, kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  ASSERT_TRUE(fs::exists(dir + "kabuka/data_m_gaps.csv")) << r.err;
  testing::write_price_database(dir + "kabuka/", {codes.begin() + 15, codes.end()},
                                date{2013, 1, 1}, behind);
}

// The gap record of update_behind's database once the catch-up noted every series behind:
// written before it fills them, removed when all are filled.
testing::folder_files every_series_noted() {
  std::vector<std::string> codes = testing::factory_stock_codes(30);
  std::sort(codes.begin(), codes.end());
  std::string record = "銘柄コード,保存最終日,最新日\r\n";
  for (const std::string& code : codes) record += code + ",20141120,20141127\r\n";
  return {{"kabuka/data_m_gaps.csv", utf8_to_cp932(record)}};
}

// The database of the export: what an earlier export wrote from the database a day before,
// and the database of today.
void export_earlier(const std::string& dir) {
  testing::write_price_database(dir + "kabuka/", testing::factory_stock_codes(25),
                                date{2013, 1, 1}, date{2014, 11, 25});
  const process_result r = run_karigane({"--dir", dir, "export", "--csv", dir + "export"}, kClock);
  ASSERT_EQ(r.exit_status, 0) << r.out << r.err;
  write_prices(dir, 25);
}

// An argument that begins with this stands for a path below the program folder.
const std::string kInFolder = "{dir}";

struct run_kind {
  std::string name;
  // The command line after "--dir DIR" (kInFolder + "x" for DIR + "x").
  std::vector<std::string> args;
  // Writes the database the run starts from into the program folder (which already holds the
  // settings and the stock list).
  std::function<void(const std::string& dir)> prepare;
  // Kills that once found a fault, run every time besides the random ones.
  std::vector<std::uint64_t> regression_seeds;
  // The versions of files the run writes more than once, as they stand on its way.
  std::function<testing::folder_files()> between = [] { return testing::folder_files{}; };
};

void PrintTo(const run_kind& kind, std::ostream* os) { *os << kind.name; }

const std::vector<run_kind>& run_kinds() {
  static const std::vector<run_kind> kinds{
      {"Update", {"update"}, [](const std::string& dir) { write_prices(dir, 60); }, {}},
      {"Adjust", {"adjust"}, [](const std::string& dir) { write_prices(dir, 60); }, {}},
      {"AdjustYearly",
       {"adjust", "--yearly"},
       [](const std::string& dir) { write_prices(dir, 50); },
       {}},
      {"Collection",
       {"collect", "--range", "1301", "1352", "--from", "2014/09/01", "--to", "2014/11/27",
        "--yearly", "--margin", "--financial", "--latest"},
       collect_earlier,
       {}},
      // 2001828443: a series' yearly file stayed without the days that its main file had
      // taken when the kill came between the two.
      {"UpdateCatchUp",
       {"update", "--catch-up"},
       update_behind,
       {2001828443},
       every_series_noted},
      {"CollectionSinceStored",
       {"collect", "--range", "1301", "1352", "--from", "2014/09/01", "--to", "2014/11/27",
        "--yearly", "--margin", "--since-stored"},
       collect_earlier,
       {}},
      // 437788742: the export's temporary files stayed after the rerun.
      {"ExportCsv", {"export", "--csv", kInFolder + "export"}, export_earlier, {437788742}},
  };
  return kinds;
}

std::optional<std::uint64_t> number_from_environment(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

// The kill's moment as a fraction of the run, in [0, 1): the same for a seed on every machine.
double kill_fraction(std::uint64_t seed) {
  std::uint64_t z = seed + 0x9E3779B97F4A7C15ull;  // splitmix64
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  return static_cast<double>(z >> 11) / static_cast<double>(1ull << 53);
}

// The seeds of this test run: the one to replay, or the regression seeds and a fresh series.
std::vector<std::uint64_t> kill_seeds(const run_kind& kind) {
  if (const auto replay = number_from_environment("KARIGANE_KILL_SEED")) return {*replay};
  std::vector<std::uint64_t> seeds = kind.regression_seeds;
  const std::uint64_t count = number_from_environment("KARIGANE_KILLS").value_or(kKillsPerRunKind);
  const std::uint64_t first = std::random_device()();
  for (std::uint64_t i = 0; i < count; ++i) seeds.push_back(first + i);
  return seeds;
}

void copy_folder(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::remove_all(to, ec);
  fs::copy(from, to, fs::copy_options::recursive, ec);
  ASSERT_FALSE(ec) << "copying " << from << ": " << ec.message();
}

std::string tail(const std::string& text, std::size_t lines) {
  std::size_t at = text.size();
  while (lines-- > 0 && at > 0) {
    at = text.rfind('\n', at - 1);
    if (at == std::string::npos) return text;
  }
  return text.substr(at == text.size() ? at : at + 1);
}

long long in_ms(clock_type::duration d) {
  return std::chrono::duration_cast<milliseconds>(d).count();
}

// How long a whole run takes: the median of the uninterrupted run and the reruns (each does
// the whole work again), so that one run slowed down by other work on the machine does not
// put the kills after the end of most runs.
class run_times {
 public:
  explicit run_times(clock_type::duration first) : times_{first} {}
  void add(clock_type::duration time) { times_.push_back(time); }
  clock_type::duration typical() const {
    std::vector<clock_type::duration> sorted = times_;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    return sorted[sorted.size() / 2];
  }

 private:
  std::vector<clock_type::duration> times_;
};

class kill_test : public ::testing::TestWithParam<run_kind> {
 protected:
  std::vector<std::string> command(const std::string& dir) const {
    std::vector<std::string> args{"--dir", dir};
    for (const std::string& arg : GetParam().args) {
      args.push_back(arg.rfind(kInFolder, 0) == 0 ? dir + arg.substr(kInFolder.size()) : arg);
    }
    return args;
  }

  quote_site_process site{kSiteOptions};
  temp_folder work;
};

TEST_P(kill_test, EveryFileIsOldOrNewAndARerunEndsAsAnUninterruptedRun) {
  const run_kind& kind = GetParam();
  ASSERT_TRUE(site.started());
  const std::string original = work.path() + "original/";
  testing::write_site_settings(original, site);
  testing::write_bytes(original + "meigara_list.csv",
                       testing::file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) +
                                           "meigara_list_org.csv"));
  kind.prepare(original);
  if (HasFatalFailure()) return;
  const folder_files before = testing::read_folder_files(original);
  const folder_files between = kind.between();

  // The uninterrupted run: the new version of every file, and how long a run takes.
  const std::string uninterrupted = work.path() + "uninterrupted/";
  copy_folder(original, uninterrupted);
  const clock_type::time_point began = clock_type::now();
  const process_result whole = run_karigane(command(uninterrupted), kClock);
  run_times times{clock_type::now() - began};
  ASSERT_EQ(whole.exit_status, 0) << whole.out << whole.err;
  const folder_files after = testing::read_folder_files(uninterrupted);
  ASSERT_NE(after, before) << "the run changed no file";
  for (const auto& [path, bytes] : after) {
    ASSERT_FALSE(testing::is_temporary_file(path)) << "the uninterrupted run left " << path;
  }

  const std::vector<std::uint64_t> seeds = kill_seeds(kind);
  const std::string killed_folder = work.path() + "killed/";
  const std::string killed_output = work.path() + "killed-output.txt";
  std::size_t kills = 0;
  int while_running = 0;
  int both_versions = 0;
  int temporaries = 0;
  const std::set<std::string> subfolders = testing::read_subfolders(original);
  copy_folder(original, killed_folder);
  for (const std::uint64_t seed : seeds) {
    testing::restore_folder(killed_folder, before, subfolders);
    const double fraction = kill_fraction(seed);
    const clock_type::duration run_time = times.typical();
    const auto moment = std::chrono::duration_cast<clock_type::duration>(run_time * fraction);
    const clock_type::time_point start = clock_type::now();
    child_process run(testing::karigane_program(), command(killed_folder), kClock, killed_output);
    ASSERT_TRUE(run.started());
    std::this_thread::sleep_until(start + moment);
    const int status = run.signal_and_wait(SIGKILL);

    const testing::killed_files killed =
        testing::compare_killed_files(before, after, testing::read_folder_files(killed_folder),
                                      between);
    std::vector<std::string> faults = killed.faults;
    const clock_type::time_point rerun_began = clock_type::now();
    const process_result rerun = run_karigane(command(killed_folder), kClock);
    times.add(clock_type::now() - rerun_began);
    if (rerun.exit_status != whole.exit_status) {
      faults.push_back("the rerun ended with status " + std::to_string(rerun.exit_status));
    }
    for (const std::string& difference :
         testing::file_differences(after, testing::read_folder_files(killed_folder))) {
      faults.push_back("after the rerun, " + difference);
    }

    ++kills;
    while_running += status == 128 + SIGKILL;
    both_versions += killed.still_old > 0 && killed.already_new > 0;
    temporaries += killed.temporary > 0;
    if (faults.empty()) continue;
    std::ostringstream report;
    report << kind.name << ": kill seed " << seed << " at " << in_ms(moment) << " ms of a "
           << in_ms(run_time) << " ms run (fraction " << fraction << "), "
           << (status == 128 + SIGKILL ? "killed" : "ended by itself, status " +
                                                        std::to_string(status))
           << "; " << killed.still_old << " changed files old, " << killed.already_new
           << " new, " << killed.temporary << " temporary\n";
    for (std::size_t i = 0; i < faults.size() && i < 20; ++i) report << "  " << faults[i] << "\n";
    if (faults.size() > 20) report << "  ... " << faults.size() - 20 << " more\n";
    report << "replay: scripts/killtest --seed " << seed << " " << kind.name
           << " (or KARIGANE_KILL_SEED=" << seed << " kill_tests --gtest_filter='*/" << kind.name
           << "')\n"
           << "the killed run's last output:\n"
           << tail(testing::file_bytes(killed_output), 5) << "the rerun's:\n"
           << tail(rerun.out + rerun.err, 8);
    ADD_FAILURE() << report.str();
    break;
  }
  if (kills == 0) return;
  const bool replay = number_from_environment("KARIGANE_KILL_SEED").has_value();
  const std::size_t regressions = replay ? 0 : std::min(kills, kind.regression_seeds.size());
  std::cout << "[ kill test ] " << kind.name << ": " << kills << " kills (";
  if (regressions > 0) std::cout << regressions << " of regression seeds, ";
  if (kills > regressions) {
    std::cout << "seeds " << seeds[regressions]
              << (kills > regressions + 1 ? "..." + std::to_string(seeds[kills - 1]) : "");
  }
  std::cout << ") over a " << in_ms(times.typical()) << " ms run: " << while_running
            << " while it ran, " << both_versions << " with old and new files side by side, "
            << temporaries << " with temporary files left\n";
}

INSTANTIATE_TEST_SUITE_P(RunKinds, kill_test, ::testing::ValuesIn(run_kinds()),
                         [](const ::testing::TestParamInfo<run_kind>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace karigane
