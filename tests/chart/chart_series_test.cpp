// The chart's series from stored files: weekly and monthly bars across gaps and a split, raw
// against adjusted (from the adjusted file, or computed when that file is older), and the
// margin balances attached to their bars.
#include <gtest/gtest.h>

#include <filesystem>

#include "chart/chart_series.h"
#include "run/settings.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::temp_folder;
using testing::write_cp932;

// Five days: a week of three, a week without trading (14-18 January), a Monday, and the first
// of February; a split of one share into two on Monday 21 January.
const char* kPrices =
    "1301,東証1部,極洋,20130107,20130201,5\r\n"
    "20130107,100,110,90,105,10\r\n"
    "20130108,105,120,100,115,20\r\n"
    "20130111,115,116,101,102,30\r\n"
    "20130121,102,103,95,96,40\r\n"
    "20130201,96,99,94,98,50\r\n";

struct folder {
  temp_folder dir;
  program_layout layout = default_settings(dir.path()).layout;
  folder() {
    write_cp932(layout.database + "data_m/1301.csv", kPrices);
    write_cp932(layout.database + "data_mh/1301.csv", "1301,極洋,1\r\n20130121,1,2\r\n");
  }
  chart_series load(bar_span span, bool adjusted) {
    chart_series s;
    std::string message;
    EXPECT_EQ(load_chart_series(layout, {"1301", {}, {}, adjusted, span}, s, message),
              chart_load::ok)
        << message;
    return s;
  }
  void age(const std::string& relative, int seconds) {
    std::filesystem::last_write_time(
        layout.database + relative,
        std::filesystem::file_time_type::clock::now() + std::chrono::seconds(seconds));
  }
};

struct bar_text {
  std::string first, last;
  double open, high, low, close, volume;
  bool split;
  friend bool operator==(const bar_text&, const bar_text&) = default;
};

std::vector<bar_text> texts(const chart_series& s) {
  std::vector<bar_text> out;
  for (const chart_bar& b : s.bars) {
    out.push_back({yyyymmdd(b.first), yyyymmdd(b.last), b.open, b.high, b.low, b.close, b.volume,
                   b.split});
  }
  return out;
}

void PrintTo(const bar_text& b, std::ostream* os) {
  *os << b.first << "-" << b.last << " " << b.open << "/" << b.high << "/" << b.low << "/"
      << b.close << " v" << b.volume << (b.split ? " split" : "");
}

TEST(ChartSeries, WeeksAndMonthsAcrossAGapAndASplit) {
  folder f;
  const struct {
    bar_span span;
    bool adjusted;
    std::vector<bar_text> bars;
  } cases[] = {
      {bar_span::weekly, false,
       {{"20130107", "20130111", 100, 120, 90, 102, 60, false},
        {"20130121", "20130121", 102, 103, 95, 96, 40, true},
        {"20130201", "20130201", 96, 99, 94, 98, 50, false}}},
      {bar_span::monthly, false,
       {{"20130107", "20130121", 100, 120, 90, 96, 100, true},
        {"20130201", "20130201", 96, 99, 94, 98, 50, false}}},
      // Adjusted: the days before the split halved and floored (105 -> 52), their volumes
      // doubled.
      {bar_span::weekly, true,
       {{"20130107", "20130111", 50, 60, 45, 51, 120, false},
        {"20130121", "20130121", 102, 103, 95, 96, 40, true},
        {"20130201", "20130201", 96, 99, 94, 98, 50, false}}},
      {bar_span::daily, true,
       {{"20130107", "20130107", 50, 55, 45, 52, 20, false},
        {"20130108", "20130108", 52, 60, 50, 57, 40, false},
        {"20130111", "20130111", 57, 58, 50, 51, 60, false},
        {"20130121", "20130121", 102, 103, 95, 96, 40, true},
        {"20130201", "20130201", 96, 99, 94, 98, 50, false}}},
  };
  for (const auto& c : cases) {
    const chart_series s = f.load(c.span, c.adjusted);
    EXPECT_EQ(texts(s), c.bars) << static_cast<int>(c.span) << c.adjusted;
    EXPECT_EQ(s.adjustment, c.adjusted ? chart_adjustment::computed : chart_adjustment::raw);
  }
  EXPECT_EQ(chart_title(f.load(bar_span::weekly, true)), "1301 極洋（東証1部） 週足 調整後");
}

TEST(ChartSeries, TheAdjustedFileIsUsedOnlyWhenItIsNotOlderThanTheSeries) {
  folder f;
  write_cp932(f.layout.adjusted + "data_m/1301.csv",
              "1301,東証1部,極洋,20130111,20130121,2\r\n20130111,7,7,7,7,3\r\n"
              "20130121,9,9,9,9,4\r\n");
  f.age("syusei_kabuka/data_m/1301.csv", 10);
  chart_series s = f.load(bar_span::daily, true);
  EXPECT_EQ(s.adjustment, chart_adjustment::from_files);
  ASSERT_EQ(s.bars.size(), 2u);
  EXPECT_EQ(s.bars[0].close, 7);
  // The adjusted file keeps the volumes as traded: the split of the 21st doubles the 11th's.
  EXPECT_EQ(s.bars[0].volume, 6);
  EXPECT_EQ(s.bars[1].volume, 4);

  // The series was updated after the adjusted file was written.
  f.age("data_m/1301.csv", 20);
  s = f.load(bar_span::daily, true);
  EXPECT_EQ(s.adjustment, chart_adjustment::computed);
  EXPECT_EQ(s.bars.size(), 5u);
  EXPECT_EQ(s.bars[0].close, 52);
}

TEST(ChartSeries, MarginBalancesJoinTheBarTheyFallIn) {
  folder f;
  // Before the first bar, a trading day, a Friday of the gap week, two in the last week, and
  // after the last bar.
  write_cp932(f.layout.database + "data_c/1301.csv",
              "1301,東証1部,極洋,6\r\n20130104,1,1,1\r\n20130111,10,20,0.5\r\n"
              "20130118,11,21,0.5\r\n20130125,12,22,0.5\r\n20130201,13,23,0.5\r\n"
              "20130208,14,24,0.5\r\n");
  const struct {
    bar_span span;
    std::vector<std::tuple<std::size_t, std::string, double, double>> points;
  } cases[] = {
      {bar_span::daily, {{2, "20130111", 10, 20}, {3, "20130118", 11, 21}, {4, "20130201", 13, 23}}},
      {bar_span::weekly, {{0, "20130111", 10, 20}, {1, "20130118", 11, 21}, {2, "20130201", 13, 23}}},
      {bar_span::monthly, {{0, "20130118", 11, 21}, {1, "20130201", 13, 23}}},
  };
  for (const auto& c : cases) {
    const chart_series s = f.load(c.span, false);
    EXPECT_TRUE(s.has_margin);
    std::vector<std::tuple<std::size_t, std::string, double, double>> got;
    for (const margin_point& p : s.margin) got.emplace_back(p.bar, yyyymmdd(p.day), p.sold, p.bought);
    EXPECT_EQ(got, c.points) << static_cast<int>(c.span);
  }
}

}  // namespace
}  // namespace karigane
