// Stored files under faults of the file layer, through real runs (collection, update, adjusted
// prices) against the local quote site on a database that an earlier collection built:
//   - a stored file that is there but cannot be read is left untouched, named in red and
//     counted in the run's failure tally, and the run goes on;
//   - a file (or folder) that cannot be written ends the run with the error ending naming it,
//     and the file stays as it was;
//   - no temporary file is left behind either way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "core/damaged_file.h"
#include "kinds/data_kinds.h"
#include "financial/statement_files.h"
#include "margin/margin_files.h"
#include "run/adjust_run.h"
#include "run/collection_run.h"
#include "run/update_run.h"
#include "support/file_fault.h"
#include "support/quote_site_process.h"
#include "support/recording_context.h"
#include "support/site_settings.h"
#include "support/temp_folder.h"
#include "timeseries/price_files.h"

namespace karigane {
namespace {

namespace fs = std::filesystem;
using testing::injected_file_fault;
using testing::quote_site_process;
using testing::recording_context;
using testing::temp_folder;

const local_time kNow{date{2014, 1, 10}, 17, 0, 0};

enum class run_kind { collect, update, adjust, adjust_yearly };

// Every file below a folder with its bytes, read past the file layer (and so past its faults).
std::map<std::string, std::string> snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    files[entry.path().string().substr(folder.size())] = bytes.str();
  }
  return files;
}

std::vector<std::string> temporary_files(const std::map<std::string, std::string>& files) {
  std::vector<std::string> out;
  for (const auto& [path, bytes] : files) {
    if (path.find(kTemporaryFileMark) != std::string::npos) out.push_back(path);
  }
  return out;
}

// A collection of code 1382 (a split on 2013-12-26) with every data kind but the latest day,
// from and to "YYYY/MM/DD".
collection_request collect_everything(const std::string& from, const std::string& to) {
  collection_request r;
  r.codes = {selection_mode::single, "1382", "9999"};
  r.kinds = {kind_id::prices, kind_id::margin, kind_id::financial};
  r.yearly = true;
  r.period = {from.substr(0, 4), from.substr(5, 2), from.substr(8, 2),
              to.substr(0, 4),   to.substr(5, 2),   to.substr(8, 2)};
  return r;
}

run_ending run(run_kind kind, recording_context& ctx) {
  switch (kind) {
    case run_kind::collect: {
      collection_request request = collect_everything("2013/12/20", "2014/01/10");
      request.kinds.set(kind_id::latest, true);
      return collect(ctx, request).ending;
    }
    case run_kind::update:
      return update(ctx, {});
    case run_kind::adjust:
    case run_kind::adjust_yearly:
      return adjust(ctx, {kind == run_kind::adjust_yearly});
  }
  return run_ending::error;
}

// A database of 1382 from 2013-12-01 to 2014-01-09: prices and splits with yearly files,
// margin balances, statements and their summaries, adjusted series of both ways. Built once;
// every case works on its own copy.
class stored_files : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    site_ = new quote_site_process({"--now", "2014-01-10T17:00"});
    base_ = new temp_folder;
    testing::write_site_settings(base_->path(), *site_);
    fs::copy_file(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv",
                  base_->path() + "meigara_list.csv");
    recording_context ctx(base_->path());
    ctx.fix_now(kNow);
    ASSERT_EQ(collect(ctx, collect_everything("2013/12/01", "2014/01/09")).ending,
              run_ending::completed)
        << ctx.label1();
    ASSERT_EQ(run(run_kind::adjust_yearly, ctx), run_ending::completed);
    ASSERT_EQ(run(run_kind::adjust, ctx), run_ending::completed);
  }
  static void TearDownTestSuite() {
    delete base_;
    delete site_;
  }

  void SetUp() override {
    ASSERT_TRUE(site_->started());
    fs::copy(base_->path(), dir_.path(), fs::copy_options::recursive);
    before_ = snapshot(dir_.path());
  }

  static quote_site_process* site_;
  static temp_folder* base_;
  temp_folder dir_;
  std::map<std::string, std::string> before_;
};

quote_site_process* stored_files::site_ = nullptr;
temp_folder* stored_files::base_ = nullptr;

TEST_F(stored_files, TheDatabaseHoldsEveryKindOfFile) {
  for (const char* path :
       {"kabuka/data_m/1382.csv", "kabuka/2013/data_m/1382.csv", "kabuka/2014/data_m/1382.csv",
        "kabuka/data_mh/1382.csv", "kabuka/2013/data_mh/1382.csv", "kabuka/data_c/1382.csv",
        "kabuka/2013/data_c/1382.csv", "kabuka/data_zren/1382.csv",
        "kabuka/data_ztyu_d/20140110.csv", "kabuka/syusei_kabuka/data_m/1382.csv",
        "kabuka/data_m_1/1382.csv", "kabuka/data_mh_1/1382.csv", "meigara_list.csv"}) {
    EXPECT_TRUE(before_.count(path)) << path;
  }
  EXPECT_FALSE(fs::exists(dir_.path() + "kabuka/data_d"));
}

struct read_fault_case {
  run_kind run;
  file_call call;
  int error;
  const char* path;  // the stored file (or folder) below the program folder
  const char* code;
  const char* kind;
  std::vector<const char*> untouched;  // files that keep their bytes
};

// Each reader of stored files tells a file it cannot read from a missing one: the file (and
// what is built from it) stays as it was, the run names it and counts it, and completes.
TEST_F(stored_files, AFileThatIsThereButCannotBeReadIsLeftUntouchedAndCounted) {
  const std::vector<read_fault_case> cases = {
      {run_kind::collect,
       file_call::open_read,
       EACCES,
       "kabuka/data_m/1382.csv",
       "1382",
       kind_of(kind_id::prices).name,
       {"kabuka/data_m/1382.csv", "kabuka/2013/data_m/1382.csv", "kabuka/2014/data_m/1382.csv"}},
      {run_kind::collect,
       file_call::read,
       EISDIR,
       "kabuka/data_mh/1382.csv",
       "1382",
       kSplitsLabel,
       {"kabuka/data_mh/1382.csv", "kabuka/2013/data_mh/1382.csv"}},
      {run_kind::collect,
       file_call::read,
       EIO,
       "kabuka/data_c/1382.csv",
       "1382",
       kind_of(kind_id::margin).name,
       {"kabuka/data_c/1382.csv", "kabuka/2013/data_c/1382.csv"}},
      {run_kind::collect,
       file_call::open_read,
       EACCES,
       "kabuka/data_zren/1382.csv",
       "1382",
       kind_of(kind_id::financial).name,
       {"kabuka/data_zren/1382.csv"}},
      {run_kind::collect,
       file_call::open_read,
       EACCES,
       "meigara_list.csv",
       "",
       kStockListLabel,
       {"meigara_list.csv"}},
      {run_kind::update,
       file_call::read,
       EIO,
       "kabuka/data_m/1382.csv",
       "1382",
       kUpdateLabel,
       {"kabuka/data_m/1382.csv"}},
      {run_kind::update,
       file_call::open_read,
       EACCES,
       "kabuka/2014/data_m/1382.csv",
       "1382",
       kUpdateLabel,
       {"kabuka/2014/data_m/1382.csv"}},
      {run_kind::adjust,
       file_call::open_read,
       EACCES,
       "kabuka/data_mh/1382.csv",
       "1382",
       kAdjustedLabel,
       {"kabuka/syusei_kabuka/data_m/1382.csv"}},
      {run_kind::adjust,
       file_call::read,
       EIO,
       "kabuka/data_m/1382.csv",
       "1382",
       kAdjustedLabel,
       {"kabuka/syusei_kabuka/data_m/1382.csv"}},
      {run_kind::adjust_yearly,
       file_call::read,
       EISDIR,
       "kabuka/2013/data_mh/1382.csv",
       "1382",
       kAdjustedLabel,
       {"kabuka/syusei_kabuka/data_m/1382.csv", "kabuka/data_m_1/1382.csv",
        "kabuka/data_mh_1/1382.csv"}},
      {run_kind::adjust_yearly,
       file_call::list,
       EACCES,
       "kabuka/2014/data_m/",
       "",
       kAdjustedLabel,
       {"kabuka/syusei_kabuka/data_m/1382.csv", "kabuka/data_m_1/1382.csv"}},
  };
  for (const read_fault_case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.kind);
    temp_folder dir;
    fs::copy(base_->path(), dir.path(), fs::copy_options::recursive);
    recording_context ctx(dir.path());
    ctx.fix_now(kNow);
    run_ending ending;
    {
      injected_file_fault fault(c.call, dir.path() + c.path, c.error);
      ending = run(c.run, ctx);
      EXPECT_GT(fault.hits(), 0u);
    }
    EXPECT_EQ(ending, run_ending::completed) << ctx.label1();
    const auto after = snapshot(dir.path());
    for (const char* path : c.untouched) EXPECT_EQ(after.at(path), before_.at(path)) << path;
    EXPECT_EQ(temporary_files(after), std::vector<std::string>{});

    const std::vector<run_failure> failures = ctx.failures.list();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].code, c.code);
    EXPECT_EQ(failures[0].kind, c.kind);
    EXPECT_EQ(failures[0].where, c.path);
    EXPECT_NE(failures[0].reason.find(strerrorname_np(c.error)), std::string::npos)
        << failures[0].reason;
    if (c.call != file_call::list) {
      bool named = false;
      for (const auto& e : ctx.label1_history) {
        named |=
            e.text == damaged_file_message(dir.path() + c.path) && e.colour == label_colour::red;
      }
      EXPECT_TRUE(named);
    }
  }
}

struct write_fault_case {
  run_kind run;
  file_call call;
  int error;
  const char* path;  // the file (or folder) below the program folder that cannot be written
};

// Each writer of stored files ends the run when its file cannot be written, whichever step
// fails: the error ending names the file, the file keeps its old bytes (or stays absent), and
// the temporary file is gone.
TEST_F(stored_files, AFileThatCannotBeWrittenEndsTheRunAndStaysAsItWas) {
  const std::vector<write_fault_case> cases = {
      {run_kind::collect, file_call::rename, EROFS, "kabuka/data_m/1382.csv"},
      {run_kind::collect, file_call::create, ENOSPC, "kabuka/2014/data_m/1382.csv"},
      {run_kind::collect, file_call::write, ENOSPC, "kabuka/data_mh/1382.csv"},
      {run_kind::collect, file_call::sync, ENOSPC, "kabuka/2013/data_mh/1382.csv"},
      {run_kind::collect, file_call::create, EROFS, "kabuka/data_c/1382.csv"},
      {run_kind::collect, file_call::rename, ENOSPC, "kabuka/2013/data_c/1382.csv"},
      {run_kind::collect, file_call::write, ENOSPC, "kabuka/data_zren/1382.csv"},
      {run_kind::collect, file_call::rename, EROFS, "kabuka/data_ztyu_d/20140110.csv"},
      {run_kind::collect, file_call::create, ENOSPC, "kabuka/data_d/20140110.csv"},
      {run_kind::collect, file_call::make_folder, EROFS, "kabuka/data_d"},
      {run_kind::collect, file_call::rename, EROFS, "meigara_list.csv"},
      {run_kind::update, file_call::rename, ENOSPC, "kabuka/data_m/1382.csv"},
      {run_kind::update, file_call::create, EROFS, "kabuka/2014/data_m/1382.csv"},
      {run_kind::adjust, file_call::rename, ENOSPC, "kabuka/syusei_kabuka/data_m/1382.csv"},
      {run_kind::adjust_yearly, file_call::write, EROFS, "kabuka/data_m_1/1382.csv"},
  };
  for (const write_fault_case& c : cases) {
    SCOPED_TRACE(c.path);
    temp_folder dir;
    fs::copy(base_->path(), dir.path(), fs::copy_options::recursive);
    recording_context ctx(dir.path());
    ctx.fix_now(kNow);
    run_ending ending;
    {
      injected_file_fault fault(c.call, dir.path() + c.path, c.error);
      ending = run(c.run, ctx);
      EXPECT_GT(fault.hits(), 0u);
    }
    EXPECT_EQ(ending, run_ending::error);
    EXPECT_EQ(ctx.label1(), std::string("ファイルを書き込めません: ") + c.path);
    EXPECT_EQ(ctx.label1_colour(), label_colour::red);
    EXPECT_TRUE(ctx.idle());
    const auto after = snapshot(dir.path());
    const auto old = before_.find(c.path);
    if (old != before_.end()) {
      EXPECT_EQ(after.at(c.path), old->second);
    } else {
      EXPECT_FALSE(fs::exists(dir.path() + c.path));
    }
    EXPECT_EQ(temporary_files(after), std::vector<std::string>{});
  }
}

// A day of a page or a file: its date and the value of its second field.
using day_value = std::pair<std::string, std::string>;

template <std::size_t W>
table_t<W> downloaded(table_t<W> table, std::size_t count_field, const std::vector<day_value>& days,
                      const std::array<std::string, W>& filler) {
  for (const auto& [day, value] : days) {
    auto& row = table.emplace_back(filler);
    row[0] = day;
    row[1] = value;
  }
  table[0][count_field] = std::to_string(days.size());
  return table;
}

// The data lines of a stored file as (date, second field), in file order.
std::vector<day_value> stored_days(const std::string& path) {
  std::vector<day_value> days;
  std::istringstream in(testing::cp932_file(path));
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    const std::size_t a = line.find(',');
    const std::size_t b = line.find(',', a + 1);
    days.emplace_back(line.substr(0, a), line.substr(a + 1, b - a - 1));
  }
  return days;
}

struct merge_kind {
  const char* name;
  std::string (*path)(const program_layout&);
  status (*merge)(const program_layout&, const std::vector<day_value>&);
};

// A page that lists a day twice (or its days out of order) gives one row per date, the first
// one listed, in strict date order: into a new file and into a stored one alike.
TEST(StoredSeries, APageListingADayTwiceStoresOneRowPerDateInDateOrder) {
  const std::vector<merge_kind> kinds = {
      {"prices", [](const program_layout& l) { return l.price_file("1301"); },
       [](const program_layout& l, const std::vector<day_value>& days) {
         jikeiretu_data_t t = downloaded(empty_price_table("1301"), kPriceCount, days,
                                         {"", "", "1", "1", "1", "100", ""});
         return merge_into_dated_file(l.price_file("1301"), t, kPriceFile);
       }},
      {"splits", [](const program_layout& l) { return l.split_file("1301"); },
       [](const program_layout& l, const std::vector<day_value>& days) {
         bunkatu_list_t t = downloaded(empty_split_table("1301"), kSplitCount, days, {"", "", "2"});
         return merge_into_dated_file(l.split_file("1301"), t, kSplitFile);
       }},
      {"margin", [](const program_layout& l) { return l.margin_file("1301"); },
       [](const program_layout& l, const std::vector<day_value>& days) {
         credit_tbl_t t =
             downloaded(empty_credit_table("1301"), kCreditCount, days, {"", "", "1", "1.0"});
         return merge_into_dated_file(l.margin_file("1301"), t, kMarginFile);
       }},
      {"statements",
       [](const program_layout& l) { return l.statement_file(l.independent_name, "1301"); },
       [](const program_layout& l, const std::vector<day_value>& days) {
         zaimu_tbl_t t = downloaded(empty_zaimu_table("1301"), kZaimuCount, days, zaimu_record{});
         return merge_statements(l, "単独決算", t);
       }},
  };
  const std::vector<day_value> page = {{"20130110", "a"}, {"20130110", "b"}, {"20130108", "c"},
                                       {"20130110", "d"}, {"20130109", "e"}, {"20130108", "f"}};
  for (const merge_kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    temp_folder dir;
    const program_layout s = default_settings(dir.path()).layout;
    ASSERT_TRUE(ensure_folder(fs::path(kind.path(s)).parent_path().string()));

    ASSERT_TRUE(kind.merge(s, page).is_ok());
    EXPECT_EQ(stored_days(kind.path(s)),
              (std::vector<day_value>{{"20130108", "c"}, {"20130109", "e"}, {"20130110", "a"}}));

    fs::remove(kind.path(s));
    ASSERT_TRUE(kind.merge(s, {{"20130109", "old"}, {"20130104", "old"}}).is_ok());
    ASSERT_TRUE(kind.merge(s, page).is_ok());
    EXPECT_EQ(stored_days(kind.path(s)),
              (std::vector<day_value>{
                  {"20130104", "old"}, {"20130108", "c"}, {"20130109", "e"}, {"20130110", "a"}}));
  }
}

}  // namespace
}  // namespace karigane
