// The chart: "チャート" opens the chart window of the code box over the period lists; the chart
// keeps its colours and a price axis above zero wherever the view stands; `karigane chart
// --out` renders a known series into the format its extension names, without a display.
#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QValueAxis>
#include <array>
#include <cmath>

#include "support/process.h"
#include "window/chart_view.h"
#include "window/chart_window.h"
#include "window_fixture.h"

namespace karigane::testing {
namespace {

const char* kPrices =
    "1301,東証1部,極洋,20130107,20130201,5\r\n"
    "20130107,100,110,90,105,10\r\n"
    "20130108,105,120,100,115,20\r\n"
    "20130111,115,116,101,102,30\r\n"
    "20130121,102,103,95,96,40\r\n"
    "20130201,96,99,94,98,50\r\n";

class chart_window_test : public window_test {};

TEST_F(chart_window_test, TheChartButtonShowsTheCodeBoxStockOverThePeriodLists) {
  write_cp932(dir_.path() + "kabuka/data_m/1301.csv", kPrices);
  open();
  control<QLineEdit>("code_txt")->setText(QStringLiteral("1301"));
  control<QComboBox>("yyyy_start_cmb")->setCurrentText(QStringLiteral("2013"));
  control<QComboBox>("mm_start_cmb")->setCurrentText(QStringLiteral("1"));
  control<QComboBox>("dd_start_cmb")->setCurrentText(QStringLiteral("10"));
  click("chart_cmd");
  chart_window* chart = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* c = qobject_cast<chart_window*>(w); c != nullptr && c->isVisible()) chart = c;
  }
  ASSERT_NE(chart, nullptr);
  ASSERT_EQ(chart->series().bars.size(), 3u);
  EXPECT_EQ(yyyymmdd(chart->series().bars.front().first), "20130111");
  EXPECT_EQ(chart->windowTitle(), QString::fromUtf8("1301 極洋（東証1部） 日足"));
  // Weekly bars at the window's own choice; the keys zoom along the bars.
  chart->findChild<QComboBox*>(QStringLiteral("span_cmb"))->setCurrentIndex(1);
  EXPECT_EQ(chart->series().bars.size(), 3u);
  chart->findChild<QComboBox*>(QStringLiteral("span_cmb"))->setCurrentIndex(2);
  EXPECT_EQ(chart->series().bars.size(), 2u);
  delete chart;
}

// Sixty weekdays from Monday 7 January 2013 at low prices (so that room below the candles
// would run below zero), a split on the 41st day, weekly margin balances.
struct long_stock {
  temp_folder dir;
  program_layout layout = default_settings(dir.path()).layout;
  long_stock() {
    std::string rows, margin;
    date d{2013, 1, 7};
    std::string split_day;
    for (int i = 0; i < 60; ++i) {
      const int close = 5 + (i * 7) % 11;  // 5..15, up and down
      rows += yyyymmdd(d) + "," + std::to_string(close - 2 + (i % 2) * 4) + "," +
              std::to_string(close + 3) + "," + std::to_string(close - 3) + "," +
              std::to_string(close) + "," + std::to_string(1000 + i * 10) + "\r\n";
      if (i % 5 == 4) margin += yyyymmdd(d) + "," + std::to_string(300 + i) + ",600,0.5\r\n";
      if (i == 40) split_day = yyyymmdd(d);
      d = add_days(d, i % 5 == 4 ? 3 : 1);
    }
    write_cp932(layout.database + "data_m/1301.csv",
                "1301,東証1部,極洋,20130107," + yyyymmdd(add_days(d, -3)) + ",60\r\n" + rows);
    write_cp932(layout.database + "data_mh/1301.csv", "1301,極洋,1\r\n" + split_day + ",1,2\r\n");
    write_cp932(layout.database + "data_c/1301.csv", "1301,東証1部,極洋,12\r\n" + margin);
  }
};

// How many pixels of each series' colour a picture holds (within `area`, when given).
const char* const kSeriesNames[] = {"rising", "falling", "volume", "split", "sold", "bought"};
std::array<int, 6> colour_counts(const QImage& image, QRect area = {}) {
  const QRgb colours[] = {chart_view::kRising.rgb(), chart_view::kFalling.rgb(),
                          chart_view::kVolume.rgb(), chart_view::kSplit.rgb(),
                          chart_view::kSold.rgb(),   chart_view::kBought.rgb()};
  if (area.isNull()) area = image.rect();
  std::array<int, 6> counts{};
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      for (std::size_t c = 0; c < counts.size(); ++c) counts[c] += p == colours[c];
    }
  }
  return counts;
}

TEST(ChartView, EverySeriesKeepsItsColourAndPricesStayAboveZeroWithTheSplitInAndOutOfView) {
  long_stock stock;
  chart_series series;
  std::string message;
  ASSERT_EQ(load_chart_series(stock.layout, {"1301", {}, {}, false, bar_span::daily}, series,
                              message),
            chart_load::ok)
      << message;
  chart_view view;
  view.setAttribute(Qt::WA_DontShowOnScreen, true);
  view.resize(900, 600);
  view.show_series(series);
  view.show();
  QCoreApplication::processEvents();
  const struct {
    double first, last;
    bool split_in_view;
  } views[] = {{-0.5, 59.5, true}, {-0.5, 30.5, false}, {35.5, 59.5, true}, {44.5, 59.5, false}};
  for (const auto& v : views) {
    view.show_bars(v.first, v.last);
    QCoreApplication::processEvents();
    // In the plot (the legend shows every series' colour whatever is in view).
    const std::array<int, 6> counts = colour_counts(
        view.grab().toImage(), view.price_chart()->plotArea().toRect().united(
                                   view.volume_chart()->plotArea().toRect().translated(
                                       0, view.price_chart()->size().toSize().height())));
    for (std::size_t c = 0; c < counts.size(); ++c) {
      if (std::string(kSeriesNames[c]) == "split") {
        EXPECT_EQ(counts[c] > 0, v.split_in_view) << v.first << " split " << counts[c];
      } else {
        EXPECT_GT(counts[c], 4) << v.first << " " << kSeriesNames[c];
      }
    }
    for (QAbstractAxis* axis : view.price_chart()->axes(Qt::Vertical)) {
      auto* values = qobject_cast<QValueAxis*>(axis);
      ASSERT_NE(values, nullptr);
      EXPECT_GE(values->min(), 0) << v.first;
      // Round bounds: whole steps of the labels.
      const double step = (values->max() - values->min()) / (values->tickCount() - 1);
      EXPECT_NEAR(values->min() / step, std::round(values->min() / step), 1e-9) << v.first;
    }
  }
}

TEST(ChartCommand, WritesTheFormatItsExtensionNamesOrRefusesIt) {
  long_stock stock;
  const std::string folder = stock.dir.path();
  const struct {
    std::string name;
    int exit_status;
    std::string starts;  // the file's first bytes
  } cases[] = {
      {"chart.png", 0, "\x89PNG"},
      {"chart.JPG", 0, "\xFF\xD8\xFF"},
      {"chart.jpeg", 0, "\xFF\xD8\xFF"},
      {"chart.svg", 0, "<?xml"},
      {"chart.gif", 2, ""},
      {"chart", 2, ""},
  };
  for (const auto& c : cases) {
    const std::string out = folder + c.name;
    // No runtime folder and no display: Qt's notes about them must not reach standard error.
    const auto r = run_karigane({"--dir", folder, "chart", "1301", "--adjusted", "--out", out},
                                {"QT_QPA_PLATFORM=", "XDG_RUNTIME_DIR="});
    EXPECT_EQ(r.exit_status, c.exit_status) << c.name << ": " << r.err;
    const std::string bytes = file_bytes(out);
    if (c.exit_status != 0) {
      EXPECT_NE(r.err.find(".png, .jpg, .jpeg, .svg"), std::string::npos) << c.name << ": " << r.err;
      EXPECT_EQ(bytes, "") << c.name;
      continue;
    }
    EXPECT_EQ(r.err, "") << c.name;
    EXPECT_EQ(bytes.substr(0, c.starts.size()), c.starts) << c.name;
    if (c.starts == "<?xml") {
      EXPECT_NE(bytes.find("<svg"), std::string::npos);
      EXPECT_NE(bytes.find("viewBox=\"0 0 1200 700\""), std::string::npos);
      continue;
    }
    const QImage image = QImage::fromData(
        QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    ASSERT_FALSE(image.isNull()) << c.name;
    EXPECT_EQ(image.size(), QSize(1200, 700));
    if (c.name == "chart.png") {
      // The candles (rising and falling), the volume, the split and the margin lines.
      const std::array<int, 6> counts = colour_counts(image);
      for (std::size_t c = 0; c < counts.size(); ++c) EXPECT_GT(counts[c], 4) << kSeriesNames[c];
    }
  }

  // A stock without a series is an error, and no picture is written.
  const auto none = run_karigane({"--dir", folder, "chart", "1332", "--out", folder + "x.png"},
                                 {"QT_QPA_PLATFORM="});
  EXPECT_EQ(none.exit_status, 1);
  EXPECT_EQ(file_bytes(folder + "x.png"), "");
}

}  // namespace
}  // namespace karigane::testing
