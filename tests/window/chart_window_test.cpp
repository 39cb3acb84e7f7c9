// The chart: "チャート" opens the chart window of the code box over the period lists, and
// `karigane chart --out` renders a known series into a PNG without a display.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QSet>

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

TEST(ChartCommand, RendersAKnownSeriesIntoAPng) {
  temp_folder dir;
  write_cp932(dir.path() + "kabuka/data_m/1301.csv", kPrices);
  write_cp932(dir.path() + "kabuka/data_mh/1301.csv", "1301,極洋,1\r\n20130121,1,2\r\n");
  write_cp932(dir.path() + "kabuka/data_c/1301.csv", "1301,東証1部,極洋,2\r\n20130111,10,20,0.5\r\n"
                                                     "20130201,13,23,0.5\r\n");
  const std::string png = dir.path() + "chart.png";
  const auto r = run_karigane({"--dir", dir.path(), "chart", "1301", "--adjusted", "--out", png},
                              {"QT_QPA_PLATFORM="});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  QImage image(QString::fromStdString(png));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1200, 700));
  // Not blank: the candle bodies (rising and falling) and the volume bars are there.
  QSet<QRgb> colours;
  int rising = 0, falling = 0, volume = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      colours.insert(p);
      rising += p == qRgb(0xd0, 0x30, 0x30);
      falling += p == qRgb(0x20, 0x60, 0xc0);
      volume += p == qRgb(0x90, 0x90, 0x90);
    }
  }
  EXPECT_GT(colours.size(), 20);
  EXPECT_GT(rising, 200);
  EXPECT_GT(falling, 200);
  EXPECT_GT(volume, 200);

  // A stock without a series is an error, and no picture is written.
  const auto none = run_karigane({"--dir", dir.path(), "chart", "1332", "--out", dir.path() + "x.png"},
                                 {"QT_QPA_PLATFORM="});
  EXPECT_EQ(none.exit_status, 1);
  EXPECT_FALSE(QImage(QString::fromStdString(dir.path() + "x.png")).isNull() == false);
}

}  // namespace
}  // namespace karigane::testing
