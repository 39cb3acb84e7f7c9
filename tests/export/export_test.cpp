// The export to SQLite and CSV on temporary program folders: every file kind's rows field by
// field, the incremental export, a stop, damaged files and the command line's statuses.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <map>
#include <optional>

#include "core/failure_tally.h"
#include "export/export_driver.h"
#include "kinds/data_kinds.h"
#include "export/csv_export_set.h"
#include "export/export_cells.h"
#include "run/export_run.h"
#include "support/process.h"
#include "support/file_fault.h"
#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::file_bytes;
using testing::recording_context;
using testing::temp_folder;
using testing::write_cp932;
using rows_t = std::vector<std::vector<std::string>>;

const std::string kStatementHeader =
    "1301,,極洋,1,営業利益,経常利益,当期利益,EPS（一株当たり利益,調整一株当たり利益,1株配当,"
    "BPS（一株当たり純資産）,発行済み株式総数,総資産,自己資本,資本金,有利子負債,繰越損益,"
    "自己資本比率,含み損益,ROA（総資産利益率）,ROE（自己資本利益率）,総資産経常利益率\r\n";
const std::string kStatementLine =
    "20130300,20130510,12,150000,3000,3200,1800,35.2,---,5,400.1,105000000,90000,40000,5000,"
    "---,1000,44.4,---,2.0,4.5,3.5";
const std::string kSummaryHeader =
    "1,20130415,単独決算,決算発表日,決算月数,売上高,営業利益,経常利益,当期利益,"
    "EPS（一株当たり利益）,調整一株当たり利益,1株配当,BPS（一株当たり純資産）,発行済み株式総数,"
    "総資産,自己資本,資本金,有利子負債,繰越損益,自己資本比率,含み損益,ROA（総資産利益率）,"
    "ROE（自己資本利益率）,総資産経常利益率\r\n";

// Price rows of 100 weekdays from 2012-01-02 for a stock whose files should outweigh the
// others, so that changing a small one is replaced in place rather than rebuilt.
std::string long_series(const std::string& code, const std::string& market) {
  std::string rows;
  int n = 0;
  for (int m = 1; m <= 12 && n < 100; ++m) {
    for (int d = 1; d <= 28 && n < 100; ++d, ++n) {
      char date[9];
      std::snprintf(date, sizeof date, "2012%02d%02d", m, d);
      rows += std::string(date) + ",10000.25,10100,9900,10050.5,0\r\n";
    }
  }
  return code + "," + market + ",日経平均,20120101,20120428,100\r\n" + rows;
}

// A program folder with one file of every kind.
struct database {
  temp_folder dir;
  std::string kabuka = dir.path() + "kabuka/";

  database() {
    write_cp932(dir.path() + "meigara_list.csv",
                "3,20141127,市場,銘柄名\r\n1001,,,日経平均\r\n1301,t,東証1部,極洋\r\n"
                "1332,t,東証1部,\"日本,水産\"\r\n");
    write_cp932(kabuka + "data_m/1001.csv", long_series("1001", ""));
    prices_1301(false);
    write_cp932(kabuka + "data_mh/1301.csv", "1301,極洋,1\r\n20130107,1,2\r\n");
    write_cp932(kabuka + "syusei_kabuka/data_m/1301.csv",
                "1301,東証1部,極洋,20130104,20130108,3\r\n20130104,142,143,142,143,12300\r\n"
                "20130107,286,290,285,289,---\r\n20130108,290,291,288,290,15000\r\n");
    write_cp932(kabuka + "data_c/1301.csv",
                "1301,東証1部,極洋,2\r\n20130104,1000,2000,0.50\r\n20130111,---,2100,---\r\n");
    write_cp932(kabuka + "data_ztan/1301.csv", kStatementHeader + kStatementLine + "\r\n");
    write_cp932(kabuka + "data_ztan_d/20130415.csv",
                kSummaryHeader + "1301,極洋," + kStatementLine + "\r\n");
    write_cp932(kabuka + "data_d/20141127.csv",
                "20141127,2,銘柄,始値,高値,安値,終値,出来高\r\n"
                "1301,東証1部,極洋,285,287,284,286,12300\r\n"
                "1332,東証1部,日本水産,---,---,---,300,---\r\n");
    write_cp932(kabuka + "data_d/20141127_1035.csv",
                "20141127,1,銘柄,始値,高値,安値,終値,出来高,取引日\r\n"
                "1001,,日経平均,17000,17100,16900,17050.5,0,20141127_1035\r\n");
  }

  void prices_1301(bool with_fourth_day) {
    write_cp932(kabuka + "data_m/1301.csv",
                std::string("1301,東証1部,極洋,20130104,") +
                    (with_fourth_day ? "20130109,4" : "20130108,3") +
                    "\r\n20130104,285,287,284,286,12300\r\n20130107,286,290,285,289.5,---\r\n"
                    "20130108,290,291,288,290,15000\r\n" +
                    (with_fourth_day ? "20130109,291,292,289,292,16000\r\n" : ""));
    // A rewrite within the same clock tick must still look changed.
    static int tick = 0;
    std::filesystem::last_write_time(
        kabuka + "data_m/1301.csv",
        std::filesystem::file_time_type::clock::now() + std::chrono::seconds(++tick));
  }

  run_ending run(recording_context& ctx, export_request::target kind, const std::string& to) {
    return export_run(ctx, {kind, to}).ending;
  }
};

// Raises the stop flag as the export takes up the stock's file.
void stop_at(recording_context& ctx, const std::string& code) {
  ctx.at_every_pump([&ctx, code] {
    if (ctx.progress.snapshot().code == code) ctx.set_stop_flag(true);
  });
}

// A value as the comparisons read it: NULL, integers and integral reals as plain digits.
std::string number_text(double v) {
  if (v == static_cast<double>(static_cast<long long>(v))) {
    return std::to_string(static_cast<long long>(v));
  }
  char buf[32];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

rows_t sqlite_rows(const std::string& path, const std::string& table) {
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  sqlite3_stmt* s = nullptr;
  const std::string sql = "SELECT * FROM " + table;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK) << table;
  rows_t rows;
  while (s != nullptr && sqlite3_step(s) == SQLITE_ROW) {
    auto& row = rows.emplace_back();
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL: row.push_back("NULL"); break;
        case SQLITE_INTEGER: row.push_back(std::to_string(sqlite3_column_int64(s, c))); break;
        case SQLITE_FLOAT: row.push_back(number_text(sqlite3_column_double(s, c))); break;
        default: row.push_back(reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
      }
    }
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  std::sort(rows.begin(), rows.end());
  return rows;
}

// The CSV file's header and rows (RFC 4180 quoting; an empty field is NULL).
rows_t csv_rows(const std::string& path, std::vector<std::string>* header) {
  std::string text = file_bytes(path);
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF") << path;
  text = text.substr(3);
  rows_t rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  bool was_quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = was_quoted = true;
    } else if (c == ',' || c == '\n') {
      row.push_back(field.empty() && !was_quoted ? "NULL" : field);
      field.clear();
      was_quoted = false;
      if (c == '\n') rows.push_back(std::move(row)), row.clear();
    } else if (c != '\r') {
      field += c;
    }
  }
  if (header != nullptr && !rows.empty()) *header = rows.front();
  if (!rows.empty()) rows.erase(rows.begin());
  for (auto& r : rows) {
    for (auto& f : r) {
      double v = 0;
      const auto res = std::from_chars(f.data(), f.data() + f.size(), v);
      if (res.ec == std::errc() && res.ptr == f.data() + f.size()) f = number_text(v);
    }
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string::npos; start = comma + 1) {
    out.push_back(line.substr(start, comma - start));
  }
  out.push_back(line.substr(start));
  return out;
}

// The statement line of the files as the export holds it.
std::vector<std::string> statement_items() {
  std::vector<std::string> items{"2013-03", "2013-05-10"};
  const std::vector<std::string> fields = split(kStatementLine);
  for (std::size_t c = 2; c < fields.size(); ++c) {
    items.push_back(fields[c] == "---" ? "NULL" : number_text(std::stod(fields[c])));
  }
  return items;
}

template <typename T>
std::vector<T> join(std::vector<T> a, const std::vector<T>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Export, RowsEqualTheFilesFieldByFieldInTheDatabaseAndTheCsvFiles) {
  database db;
  recording_context ctx(db.dir.path());
  const std::string sqlite = db.dir.path() + "out/karigane.sqlite";
  std::filesystem::create_directories(db.dir.path() + "out");
  ASSERT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::completed)
      << ctx.label1();
  EXPECT_TRUE(ctx.failures.empty());
  EXPECT_EQ(ctx.label1(), "エクスポート処理を完了しました。");
  recording_context csv_ctx(db.dir.path());
  ASSERT_EQ(db.run(csv_ctx, export_request::target::csv, db.dir.path() + "csv"),
            run_ending::completed);

  rows_t nikkei;
  for (int m = 1, n = 0; m <= 12 && n < 100; ++m) {
    for (int d = 1; d <= 28 && n < 100; ++d, ++n) {
      char date[11];
      std::snprintf(date, sizeof date, "2012-%02d-%02d", m, d);
      nikkei.push_back({"1001", date, "10000.25", "10100", "9900", "10050.5", "0", "10050.5"});
    }
  }
  const struct {
    std::string table;
    rows_t rows;
  } expected[] = {
      {"stocks",
       {{"1001", "NULL", "NULL", "日経平均"},
        {"1301", "t", "東証1部", "極洋"},
        {"1332", "t", "東証1部", "日本,水産"}}},
      // adjusted_close: before the split of 2013-01-07 halved and floored, from it on floored.
      {"prices", join(nikkei, rows_t{{"1301", "2013-01-04", "285", "287", "284", "286", "12300", "143"},
                                     {"1301", "2013-01-07", "286", "290", "285", "289.5", "NULL", "289"},
                                     {"1301", "2013-01-08", "290", "291", "288", "290", "15000", "290"}})},
      {"splits", {{"1301", "2013-01-07", "1", "2"}}},
      // adjusted_volume: before the split doubled.
      {"adjusted_prices",
       {{"1301", "2013-01-04", "142", "143", "142", "143", "12300", "24600"},
        {"1301", "2013-01-07", "286", "290", "285", "289", "NULL", "NULL"},
        {"1301", "2013-01-08", "290", "291", "288", "290", "15000", "15000"}}},
      {"margin",
       {{"1301", "2013-01-04", "1000", "2000", "0.5"}, {"1301", "2013-01-11", "NULL", "2100", "NULL"}}},
      {"statements",
       {join(join<std::string>({"1301", "単独決算"}, statement_items()), {"極洋"})}},
      {"statement_summaries",
       {join<std::string>({"単独決算", "2013-04-15", "1301", "極洋"}, statement_items())}},
      {"latest_prices",
       {{"20141127", "1301", "2014-11-27", "東証1部", "極洋", "285", "287", "284", "286", "12300", "NULL"},
        {"20141127", "1332", "2014-11-27", "東証1部", "日本水産", "NULL", "NULL", "NULL", "300", "NULL", "NULL"},
        {"20141127_1035", "1001", "2014-11-27", "NULL", "日経平均", "17000", "17100", "16900", "17050.5", "0",
         "2014-11-27 10:35"}}},
  };
  for (const auto& e : expected) {
    rows_t want = e.rows;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(sqlite_rows(sqlite, e.table), want) << e.table;
    std::vector<std::string> header;
    EXPECT_EQ(csv_rows(db.dir.path() + "csv/" + e.table + ".csv", &header), want) << e.table;
    EXPECT_EQ(header.size(), want.front().size()) << e.table;
  }
  std::vector<std::string> header;
  csv_rows(db.dir.path() + "csv/prices.csv", &header);
  EXPECT_EQ(header, split("code,date,open,high,low,close,volume,adjusted_close"));
  csv_rows(db.dir.path() + "csv/adjusted_prices.csv", &header);
  EXPECT_EQ(header, split("code,date,open,high,low,close,volume,adjusted_volume"));
}

TEST(Export, ASecondExportReadsOnlyChangedFilesAndKeepsTheRest) {
  database db;
  const std::string sqlite = db.dir.path() + "karigane.sqlite";
  {
    recording_context ctx(db.dir.path());
    ASSERT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::completed);
  }
  const rows_t before = sqlite_rows(sqlite, "prices");
  // An update adds a day to 1301, a collection adds a stock, a file goes missing; 1001 and
  // every other file stay as they were.
  db.prices_1301(true);
  // (A quoted name: the file goes through the price file reader.)
  write_cp932(db.kabuka + "data_m/1332.csv",
              "1332,東証1部,\"日本,水産\",20130104,20130104,1\r\n20130104,300,301,299,300,5000\r\n");
  std::filesystem::remove(db.kabuka + "data_d/20141127_1035.csv");

  recording_context ctx(db.dir.path());
  ASSERT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::completed);
  // 1301's rows from its earlier newest day on, and 1332's row.
  EXPECT_EQ(ctx.label1_texts(), (std::vector<std::string>{"エクスポート:prices 2ファイル 3行",
                                                           "エクスポート処理を完了しました。"}));
  const rows_t prices = sqlite_rows(sqlite, "prices");
  EXPECT_EQ(prices.size(), before.size() + 2);
  for (const auto& row : before) {
    EXPECT_NE(std::find(prices.begin(), prices.end(), row), prices.end()) << row[0] << row[1];
  }
  EXPECT_NE(std::find(prices.begin(), prices.end(),
                      std::vector<std::string>{"1301", "2013-01-09", "291", "292", "289", "292",
                                               "16000", "292"}),
            prices.end());
  EXPECT_NE(std::find(prices.begin(), prices.end(),
                      std::vector<std::string>{"1332", "2013-01-04", "300", "301", "299", "300",
                                               "5000", "300"}),
            prices.end());
  EXPECT_EQ(sqlite_rows(sqlite, "latest_prices").size(), 2u);
  EXPECT_EQ(sqlite_rows(sqlite, "margin").size(), 2u);

  // Nothing changed: nothing is read.
  recording_context again(db.dir.path());
  ASSERT_EQ(db.run(again, export_request::target::sqlite, sqlite), run_ending::completed);
  EXPECT_EQ(again.label1_texts(), std::vector<std::string>{"エクスポート処理を完了しました。"});

  // A collection corrects an old day and adds none: the whole file is taken again.
  std::string text = testing::cp932_file(db.kabuka + "data_m/1301.csv");
  text.replace(text.find("20130104,285,287,284,286"), 24, "20130104,285,287,284,280");
  write_cp932(db.kabuka + "data_m/1301.csv", text);
  std::filesystem::last_write_time(db.kabuka + "data_m/1301.csv",
                                   std::filesystem::file_time_type::clock::now() +
                                       std::chrono::seconds(60));
  recording_context corrected(db.dir.path());
  ASSERT_EQ(db.run(corrected, export_request::target::sqlite, sqlite), run_ending::completed);
  const rows_t after = sqlite_rows(sqlite, "prices");
  EXPECT_EQ(after.size(), prices.size());
  EXPECT_NE(std::find(after.begin(), after.end(),
                      std::vector<std::string>{"1301", "2013-01-04", "285", "287", "284", "280",
                                               "12300", "140"}),
            after.end());
}

// Rewrites a stored file as a run would, its time stamp `seconds` from now.
void rewrite(const std::string& path, const std::string& text, int seconds) {
  write_cp932(path, text);
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(seconds));
}

// An export after a change reads only the changed files and, of a price file whose earlier
// rows are still the same bytes, only the rows from the earlier newest day on; whatever the
// change, the database must then hold what a new export of the same files holds.
TEST(Export, AnExportAfterAChangeHoldsWhatANewExportHolds) {
  const std::string nikkei = long_series("1001", "");
  std::string corrected = nikkei;  // a day of January corrected: the same size, other bytes
  corrected.replace(corrected.find("20120105,10000.25,10100,9900,10050.5"), 36,
                    "20120105,10000.25,10100,9900,10050.7");
  std::string corrected_and_new = corrected;  // ... and a newest day in the same rewrite
  corrected_and_new.replace(corrected_and_new.find("20120428,100"), 12, "20120501,101");
  corrected_and_new += "20120501,10001,10101,9901,10051,7\r\n";
  const std::string prices = "kabuka/data_m/1301.csv";
  const std::string splits = "kabuka/data_mh/1301.csv";
  const std::string header = "1301,東証1部,極洋,20130104,";
  const std::string day_4 = "20130104,285,287,284,286,12300\r\n";
  const std::string day_7 = "20130107,286,290,285,289.5,---\r\n";
  const std::string day_8 = "20130108,290,291,288,290,15000\r\n";
  const std::string day_9 = "20130109,291,292,289,292,16000\r\n";
  const std::string day_10 = "20130110,293,295,292,294,17000\r\n";
  const struct change {
    std::string name;
    std::vector<std::pair<std::string, std::string>> before;  // files as the first export finds them
    std::vector<std::pair<std::string, std::string>> after;   // and as they are rewritten
    int age = 60;  // seconds from now of the rewritten files' time stamps
    std::size_t read = 0;  // the files read again, when more than those rewritten
  } changes[] = {
      {"a newest day", {}, {{prices, header + "20130109,4\r\n" + day_4 + day_7 + day_8 + day_9}}},
      {"the newest day's row replaced", {},
       {{prices, header + "20130108,3\r\n" + day_4 + day_7 + "20130108,290,299,288,298,15500\r\n"}}},
      {"an old day corrected", {}, {{"kabuka/data_m/1001.csv", corrected}}},
      {"an old day corrected and a newest day", {},
       {{"kabuka/data_m/1001.csv", corrected_and_new}}},
      {"an older copy put back",
       {{prices, header + "20130109,4\r\n" + day_4 + day_7 + day_8 + day_9}},
       {{prices, header + "20130108,3\r\n" + day_4 + day_7 + day_8}}, -86400},
      // A split on a day the file lacks holds back the older splits; the day comes in before
      // the newest one and every older close is adjusted anew.
      {"a missing day with a split",
       {{splits, "1301,極洋,1\r\n20130109,1,2\r\n"},
        {prices, header + "20130110,3\r\n" + day_4 + day_7 + day_10}},
       {{prices, header + "20130110,4\r\n" + day_4 + day_7 + day_9 + day_10}}},
      // A split corrected: the prices and the adjusted prices, as they are, are adjusted anew
      // (adjusted_close, adjusted_volume).
      {"a split corrected", {}, {{splits, "1301,極洋,1\r\n20130107,1,3\r\n"}}, 60, 3},
  };
  const char* tables[] = {"stocks", "prices", "splits", "adjusted_prices", "margin",
                          "statements", "statement_summaries", "latest_prices"};
  for (const change& c : changes) {
    database db;
    // Files that outweigh the changed ones, so that the change is written in place.
    for (const char* code : {"1002", "1003"}) {
      write_cp932(db.kabuka + "data_m/" + code + ".csv", long_series(code, ""));
    }
    for (const auto& [path, text] : c.before) rewrite(db.dir.path() + path, text, -3600);
    const std::string incremental = db.dir.path() + "incremental.sqlite";
    recording_context first(db.dir.path());
    ASSERT_EQ(db.run(first, export_request::target::sqlite, incremental), run_ending::completed)
        << c.name;
    for (const auto& [path, text] : c.after) rewrite(db.dir.path() + path, text, c.age);
    recording_context again(db.dir.path());
    const export_result result = export_run(again, {export_request::target::sqlite, incremental});
    ASSERT_EQ(result.ending, run_ending::completed) << c.name;
    EXPECT_EQ(result.counts.read, std::max(c.read, c.after.size())) << c.name;  // only those read
    const std::string fresh = db.dir.path() + "fresh.sqlite";
    recording_context anew(db.dir.path());
    ASSERT_EQ(db.run(anew, export_request::target::sqlite, fresh), run_ending::completed);
    for (const char* table : tables) {
      EXPECT_EQ(sqlite_rows(incremental, table), sqlite_rows(fresh, table)) << c.name << ": " << table;
    }
  }
}

TEST(Export, AStopOrAnUnreadableFileLeavesThePreviousExport) {
  database db;
  const std::string sqlite = db.dir.path() + "karigane.sqlite";
  {
    // A stop during the first export leaves no database and no temporary file.
    recording_context ctx(db.dir.path());
    stop_at(ctx, "1301");
    EXPECT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::aborted);
    EXPECT_EQ(ctx.label1(), "処理を中断しました。");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(db.dir.path())) {
      if (e.is_regular_file() && e.path().filename() != "meigara_list.csv") {
        left.push_back(e.path().filename());
      }
    }
    EXPECT_EQ(left, std::vector<std::string>{});
  }
  {
    recording_context ctx(db.dir.path());
    ASSERT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::completed);
  }
  const std::string before = file_bytes(sqlite);

  // A stop after the first changed file was written into the database.
  db.prices_1301(true);
  write_cp932(db.kabuka + "data_m/1332.csv",
              "1332,東証1部,日本水産,20130104,20130104,1\r\n20130104,300,301,299,300,5000\r\n");
  {
    recording_context ctx(db.dir.path());
    stop_at(ctx, "1332");
    EXPECT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::aborted);
    EXPECT_EQ(file_bytes(sqlite), before);
    EXPECT_FALSE(std::filesystem::exists(sqlite + "-journal"));
  }

  // 1301 becomes unreadable (fewer rows than its count): it is counted and keeps its rows of
  // the last export; 1332 is new and goes in.
  write_cp932(db.kabuka + "data_m/1301.csv",
              "1301,東証1部,極洋,20130104,20130109,9\r\n20130104,285,287,284,286,12300\r\n");
  recording_context ctx(db.dir.path());
  ASSERT_EQ(db.run(ctx, export_request::target::sqlite, sqlite), run_ending::completed);
  const auto failures = ctx.failures.list();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].code, "1301");
  EXPECT_EQ(failures[0].kind, kExportLabel);
  EXPECT_EQ(failures[0].where, "kabuka/data_m/1301.csv");
  const rows_t prices = sqlite_rows(sqlite, "prices");
  EXPECT_EQ(std::count_if(prices.begin(), prices.end(), [](auto& r) { return r[0] == "1301"; }), 3);
  EXPECT_EQ(std::count_if(prices.begin(), prices.end(), [](auto& r) { return r[0] == "1332"; }), 1);

  // A margin file that is there but cannot be read (an I/O error) is not a missing one: its
  // rows stay.
  write_cp932(db.kabuka + "data_c/1301.csv", "1301,東証1部,極洋,1\r\n20130104,1000,2000,0.50\r\n");
  {
    testing::injected_file_fault fault(file_call::read, "data_c/1301.csv", EIO);
    recording_context io(db.dir.path());
    ASSERT_EQ(db.run(io, export_request::target::sqlite, sqlite), run_ending::completed);
    const auto listed = io.failures.list();
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(),
                            [](auto& f) { return f.where == "kabuka/data_c/1301.csv"; }),
              1);
  }
  EXPECT_EQ(sqlite_rows(sqlite, "margin").size(), 2u);
}

TEST(Export, AFileThatIsNotAnExportIsNeverOverwritten) {
  database db;
  const std::string target = db.dir.path() + "notes.db";
  write_cp932(target, "my own notes\r\n");
  recording_context ctx(db.dir.path());
  EXPECT_EQ(db.run(ctx, export_request::target::sqlite, target), run_ending::error);
  EXPECT_EQ(ctx.label1_colour(), label_colour::red);
  EXPECT_NE(ctx.label1().find("notes.db"), std::string::npos) << ctx.label1();
  EXPECT_EQ(file_bytes(target), "my own notes\r\n");
}

// The process id of a process that has ended.
int ended_process_id() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(Export, TheTemporaryFilesOfAKilledExportAreRemovedByTheNextOne) {
  // An export killed while it wrote left temporary files as large as the export beside its
  // files, which may be anywhere, outside the folders every run cleans. The next export to the
  // same place removes them; a live process's (an export in flight) and other files stay.
  database db;
  temp_folder elsewhere;
  const std::string sqlite = elsewhere.path() + "karigane.sqlite";
  const std::string csv = elsewhere.path() + "csv/";
  const std::string dead = ".karigane-tmp" + std::to_string(ended_process_id());
  // This test's parent stands for another live process (the export runs in this one).
  const std::string live = ".karigane-tmp" + std::to_string(::getppid());
  const std::vector<std::string> leftovers{sqlite + dead, sqlite + dead + "-journal",
                                           csv + "prices.csv" + dead, csv + "stocks.csv" + dead};
  const std::vector<std::string> kept{sqlite + live, csv + "prices.csv" + live,
                                      elsewhere.path() + "other.sqlite" + dead,
                                      csv + "notes.csv" + dead};
  for (const auto& f : leftovers) write_cp932(f, "half");
  for (const auto& f : kept) write_cp932(f, "half");

  for (const auto& [kind, to] : {std::pair{export_request::target::sqlite, sqlite},
                                 std::pair{export_request::target::csv, csv}}) {
    recording_context ctx(db.dir.path());
    ASSERT_EQ(db.run(ctx, kind, to), run_ending::completed) << to;
  }
  for (const auto& f : leftovers) EXPECT_FALSE(std::filesystem::exists(f)) << f;
  for (const auto& f : kept) EXPECT_TRUE(std::filesystem::exists(f)) << f;
}

// The CSV export copies a stored number that is already written as the export writes numbers
// and converts any other: every field must come out as the typed value would be printed.
TEST(Export, CsvNumbersAreThoseOfTheTypedValues) {
  const std::vector<std::string> texts{
      "286",  "-7",     "0",      "0123",   "+5",     "-0",       "0.50",    "289.5",
      "-0.5", "0.0001", "0.001",  "0.0015", ".5",     "5.",       "1e5",     "---",
      "",     "007",    "10050.25", "123456789012345678", "1234567890123456789",
      "12345678901234.5", "1234567890123456.5", "0.00012345678901234567",
      "12345678901234567890123456789012345678901234567890", "-"};
  database db;
  std::string file = "1305,東証1部,テスト,20130101,20130131,";
  std::string body;
  std::vector<std::string> expected;
  const std::size_t rows = (texts.size() + 4) / 5;
  for (std::size_t r = 0; r < rows; ++r) {
    const std::string date = "201301" + std::string(r < 9 ? "0" : "") + std::to_string(r + 1);
    std::string line = date;
    std::string want = "1305," + date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6);
    std::string close;
    for (std::size_t c = 0; c < 5; ++c) {
      const std::string& text = texts[(r * 5 + c) % texts.size()];
      line += "," + text;
      export_cells cells;
      cells.number(text);
      std::string field;
      append_csv_field(field, cells[0],
                       cells[0].k == export_cell::kind::text ? cells.text_of(cells[0]) : "");
      want += "," + field;
      if (c == 3) close = field;
    }
    body += line + "\r\n";
    expected.push_back(want + "," + close);  // no split list: the close as stored
  }
  write_cp932(db.kabuka + "data_m/1305.csv", file + std::to_string(rows) + "\r\n" + body);
  recording_context ctx(db.dir.path());
  ASSERT_EQ(db.run(ctx, export_request::target::csv, db.dir.path() + "csv"), run_ending::completed)
      << ctx.label1();
  std::vector<std::string> lines;
  const std::string csv = file_bytes(db.dir.path() + "csv/prices.csv");
  for (std::size_t at = csv.find("\n1305,"); at != std::string::npos; at = csv.find("\n1305,", at + 1)) {
    lines.push_back(csv.substr(at + 1, csv.find('\r', at) - at - 1));
  }
  EXPECT_EQ(lines, expected);
}

// The CSV files of a folder as one set: what no export wrote is refused and kept, a failure at
// any point leaves the previous set whole, and a second export replaces its own set.
TEST(Export, TheCsvFilesAreReplacedAsOneSetAndOnlyWhereAnExportWroteThem) {
  using fault = std::optional<std::pair<file_call, std::string>>;
  const struct folder_case {
    std::string name;
    std::map<std::string, std::string> before;  // files put in the folder ("" none: an export)
    fault fails;                                // a fault during the second export
    std::string refused;                        // the file named by the refusal
  } cases[] = {
      {"a foreign prices.csv", {{"prices.csv", "date,close\r\n20130104,286\r\n"}}, {}, "prices.csv"},
      {"a foreign manifest", {{"karigane-export.txt", "my notes\r\n"}}, {}, "karigane-export.txt"},
      {"other files beside an export", {{"notes.txt", "mine\r\n"}}, {}, ""},
      {"a switch that fails once every table is in", {},
       fault{{file_call::rename, "csv/karigane-export.txt"}}, ""},
      {"a table that cannot be written", {}, fault{{file_call::write, "margin.csv"}}, ""},
      {"the manifest that cannot be written", {}, fault{{file_call::create, "karigane-export"}}, ""},
      {"the second export of a set", {}, {}, ""},
  };
  for (const folder_case& c : cases) {
    database db;
    const std::string csv = db.dir.path() + "csv/";
    for (const auto& [name, bytes] : c.before) testing::write_bytes(csv + name, bytes);
    if (c.before.empty()) {
      recording_context first(db.dir.path());
      ASSERT_EQ(db.run(first, export_request::target::csv, csv), run_ending::completed) << c.name;
    }
    const std::map<std::string, std::string> previous = testing::files_below(csv);
    db.prices_1301(true);
    recording_context ctx(db.dir.path());
    std::optional<testing::injected_file_fault> injected;
    if (c.fails) injected.emplace(c.fails->first, c.fails->second, EIO);
    const run_ending ending = db.run(ctx, export_request::target::csv, csv);
    if (!c.refused.empty() || c.fails) {
      EXPECT_EQ(ending, run_ending::error) << c.name;
      EXPECT_EQ(ctx.label1_colour(), label_colour::red) << c.name;
      EXPECT_EQ(testing::files_below(csv), previous) << c.name << ": the folder changed";
      if (!c.refused.empty()) {
        EXPECT_EQ(ctx.label1(), "csv/" + c.refused + " は Karigane のエクスポートではないため、書き換えません。")
            << c.name;
      }
      continue;
    }
    ASSERT_EQ(ending, run_ending::completed) << c.name << ": " << ctx.label1();
    const std::map<std::string, std::string> files = testing::files_below(csv);
    for (const auto& [name, bytes] : c.before) EXPECT_EQ(files.at(name), bytes) << c.name;
    EXPECT_NE(files.at("prices.csv").find("1301,2013-01-09,291,292,289,292,16000,292"),
              std::string::npos) << c.name;
    std::string manifest = "karigane-export,csv,1\r\n";
    for (const char* table : {"stocks", "prices", "splits", "adjusted_prices", "margin",
                              "statements", "statement_summaries", "latest_prices"}) {
      const std::string name = std::string(table) + ".csv";
      manifest += name + "," + std::to_string(files.at(name).size()) + "\r\n";
    }
    EXPECT_EQ(files.at("karigane-export.txt"), manifest) << c.name;
    EXPECT_EQ(files.size(), c.before.size() + 9) << c.name << ": a staging file stayed";
  }
}

// A switch of sets that neither ended nor could be undone (as a kill leaves it) is undone by
// the next export before it writes its own set; an export made before manifests is taken.
TEST(Export, AKilledSwitchIsUndoneAndAnOlderExportIsTaken) {
  database db;
  const std::string csv = db.dir.path() + "csv/";
  {
    recording_context first(db.dir.path());
    ASSERT_EQ(db.run(first, export_request::target::csv, csv), run_ending::completed);
  }
  const std::map<std::string, std::string> previous = testing::files_below(csv);
  db.prices_1301(true);
  {
    // The switch fails at its last file, and so does putting that file back.
    testing::injected_file_fault fault(file_call::rename, "latest_prices.csv", EIO);
    recording_context ctx(db.dir.path());
    ASSERT_EQ(db.run(ctx, export_request::target::csv, csv), run_ending::error);
  }
  ASSERT_NE(testing::files_below(csv), previous);
  const std::string staging = csv + ".karigane-tmp" + std::to_string(::getpid()) + "/";
  ASSERT_TRUE(std::filesystem::exists(staging));
  std::string failed;
  ASSERT_TRUE(recover_staged_set(csv, staging, failed)) << failed;
  EXPECT_EQ(testing::files_below(csv), previous);

  std::filesystem::remove(csv + "karigane-export.txt");
  recording_context again(db.dir.path());
  ASSERT_EQ(db.run(again, export_request::target::csv, csv), run_ending::completed)
      << again.label1();
  EXPECT_NE(testing::file_bytes(csv + "prices.csv").find("1301,2013-01-09,"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(csv + "karigane-export.txt"));
}

// A process that holds a read transaction on the database until it is told to end it.
class database_reader {
 public:
  explicit database_reader(const std::string& path) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      sqlite3* db = nullptr;
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
      sqlite3_exec(db, "BEGIN; SELECT count(*) FROM prices;", nullptr, nullptr, nullptr);
      char byte = 1;
      if (::write(ready[1], &byte, 1) != 1 || ::read(release[0], &byte, 1) < 0) ::_exit(1);
      sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    char byte = 0;
    ready_ = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    release_ = release[1];
  }
  ~database_reader() {
    release();
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool ready() const { return ready_; }
  pid_t pid() const { return pid_; }
  // Ends the transaction (the reader closes the database and exits).
  void release() {
    if (release_ >= 0) ::close(release_);
    release_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool ready_ = false;
};

// Another program reading the database keeps an update of it from being written: the export
// waits, saying who holds it, and writes once the reader is done; a reader that stays past the
// wait ends the export with a message naming it, the previous export as it was.
TEST(Export, AnUpdatedDatabaseWaitsForItsReaders) {
  const struct wait_case {
    std::string name;
    const char* wait_seconds;  // KARIGANE_EXPORT_WAIT_SECONDS
    bool reader_ends;          // the reader ends its transaction once the wait begins
  } cases[] = {
      {"a reader that ends while the export waits", "60", true},
      {"a reader that stays", "1", false},
  };
  for (const wait_case& c : cases) {
    database db;
    const std::string sqlite = db.dir.path() + "karigane.sqlite";
    {
      recording_context first(db.dir.path());
      ASSERT_EQ(db.run(first, export_request::target::sqlite, sqlite), run_ending::completed);
    }
    const std::string before = file_bytes(sqlite);
    db.prices_1301(true);
    database_reader reader(sqlite);
    ASSERT_TRUE(reader.ready()) << c.name;
    const std::string holder = "プロセス " + std::to_string(reader.pid());
    ::setenv("KARIGANE_EXPORT_WAIT_SECONDS", c.wait_seconds, 1);
    recording_context ctx(db.dir.path());
    if (c.reader_ends) {
      ctx.at_every_pump([&] {
        if (!ctx.warnings().empty()) reader.release();
      });
    }
    const run_ending ending = db.run(ctx, export_request::target::sqlite, sqlite);
    ::unsetenv("KARIGANE_EXPORT_WAIT_SECONDS");
    ASSERT_EQ(ctx.warnings().size(), 1u) << c.name;
    EXPECT_EQ(ctx.warnings()[0], "karigane.sqlite を" + holder +
                                     "が開いているため、閉じられるのを最長" + c.wait_seconds +
                                     "秒待ちます。")
        << c.name;
    if (c.reader_ends) {
      EXPECT_EQ(ending, run_ending::completed) << c.name << ": " << ctx.label1();
      EXPECT_EQ(sqlite_rows(sqlite, "prices").size(), 104u) << c.name;
      continue;
    }
    EXPECT_EQ(ending, run_ending::error) << c.name;
    EXPECT_EQ(ctx.label1(), "karigane.sqlite を" + holder + "が開いているため、書き込めません（1秒待ちました）。")
        << c.name;
    reader.release();
    EXPECT_EQ(file_bytes(sqlite), before) << c.name;
    EXPECT_FALSE(std::filesystem::exists(sqlite + "-journal")) << c.name;
  }
}

TEST(ExportCommand, ExitStatusesAndTheFailureSummary) {
  database db;
  write_cp932(db.kabuka + "data_c/1332.csv", "1332,東証1部,日本水産,5\r\n20130104,1,2,3\r\n");
  const auto r = testing::run_karigane(
      {"--dir", db.dir.path(), "--progress", "export", "--csv", db.dir.path() + "csv"});
  EXPECT_EQ(r.exit_status, 3) << r.err;
  // One line per table, whatever the number of files; the files in hand on the progress line.
  EXPECT_EQ(r.lines(), (std::vector<std::string>{
                           "エクスポート:stocks 1ファイル 3行",
                           "エクスポート:prices 2ファイル 103行",
                           "エクスポート:splits 1ファイル 1行",
                           "エクスポート:adjusted_prices 1ファイル 3行",
                           "エクスポート:margin 1ファイル 2行 読めないファイル 1",
                           "エクスポート:statements 1ファイル 1行",
                           "エクスポート:statement_summaries 1ファイル 1行",
                           "エクスポート:latest_prices 2ファイル 3行",
                           "エクスポート処理を完了しました。"}));
  EXPECT_NE(r.err.find("エクスポート ファイル "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("1332 エクスポート kabuka/data_c/1332.csv"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\nエクスポート: 10ファイル 117行 "), std::string::npos) << r.err;

  const struct {
    std::vector<std::string> args;
    int status;
  } usage[] = {
      {{"export"}, 2},
      {{"export", "--sqlite"}, 2},
      {{"export", "--sqlite", "a.db", "--csv", "d"}, 2},
      {{"chart"}, 2},
      {{"chart", "1301", "--weekly", "--monthly"}, 2},
      {{"chart", "1301", "--from", "2013/13/01"}, 2},
  };
  for (const auto& u : usage) {
    std::vector<std::string> args{"--dir", db.dir.path()};
    args.insert(args.end(), u.args.begin(), u.args.end());
    EXPECT_EQ(testing::run_karigane(args).exit_status, u.status) << u.args.back();
  }
}

}  // namespace
}  // namespace karigane
