// Whole runs clicked through the window: a collection against the local quote site, a run
// stopped by a mouse-down on "停止" or by closing the window while a page loads, the error
// ending, the failures of a run and the folder lock, the code boxes the engine rewrites, the
// progress bar and the run's log, and the update and adjusted-price runs.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <functional>

#include "core/file_store.h"
#include "core/text.h"
#include "support/quote_site_process.h"
#include "support/temp_folder.h"
#include "window_fixture.h"

namespace karigane::testing {
namespace {

// Calls `step` each time the event loop turns (inside a run: at the run's pumps) until it
// returns true.
class while_running {
 public:
  explicit while_running(std::function<bool()> step) : step_(std::move(step)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (step_()) timer_.stop();
    });
    timer_.start();
  }

 private:
  QTimer timer_;
  std::function<bool()> step_;
};

class window_runs : public window_test {
 protected:
  // A program folder whose settings send every page request to `site`, with the factory
  // stock list in place.
  void use_site(const std::string& url) {
    std::string settei;
    for (const char* key : {"株価サイトURL", "モバイルサイトURL", "旧株価テーブルURL",
                            "企業情報サイトURL", "指標サイトURL"}) {
      settei += std::string(key) + "," + url + "\r\n";
    }
    write_cp932(dir_.path() + "settei.txt", settei + "EOF,EOF\r\n");
    write_bytes(dir_.path() + "meigara_list.csv",
                file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"));
  }

  void choose_period(const char* y1, const char* m1, const char* d1, const char* y2, const char* m2,
                     const char* d2) {
    control<QComboBox>("yyyy_start_cmb")->setCurrentText(y1);
    control<QComboBox>("mm_start_cmb")->setCurrentText(m1);
    control<QComboBox>("dd_start_cmb")->setCurrentText(d1);
    control<QComboBox>("yyyy_end_cmb")->setCurrentText(y2);
    control<QComboBox>("mm_end_cmb")->setCurrentText(m2);
    control<QComboBox>("dd_end_cmb")->setCurrentText(d2);
  }

  void set_code(const char* box, const char* text) {
    control<QLineEdit>(box)->setText(QString::fromUtf8(text));
  }

  // The window as it is between runs.
  void expect_idle() {
    EXPECT_FALSE(window_->running());
    EXPECT_FALSE(control<QWidget>("m_dl_start_cmd")->isHidden());
    EXPECT_FALSE(control<QWidget>("renew_start_cmd")->isHidden());
    EXPECT_TRUE(control<QWidget>("m_dl_stop_cmd")->isHidden());
    EXPECT_TRUE(control<QWidget>("stop_cmd")->isEnabled());
    for (const char* frame : {"out1_frame", "out2_frame", "meigara_code_frame"}) {
      EXPECT_TRUE(control<QWidget>(frame)->isEnabled()) << frame;
    }
    // The period area is usable while time series or margin is ticked.
    const bool period = control<QCheckBox>("out1_jikeiretu_chk")->isChecked() ||
                        control<QCheckBox>("out1_shinyou_chk")->isChecked();
    EXPECT_EQ(control<QWidget>("kikan_frame")->isEnabled(), period);
  }

  // The window as it is while a run waits for a page.
  void expect_running_and_waiting() {
    EXPECT_TRUE(window_->running());
    EXPECT_TRUE(control<QWidget>("m_dl_start_cmd")->isHidden());
    EXPECT_TRUE(control<QWidget>("renew_start_cmd")->isHidden());
    EXPECT_FALSE(control<QWidget>("m_dl_stop_cmd")->isHidden());
    EXPECT_FALSE(control<QWidget>("stop_cmd")->isEnabled());
    for (const char* frame : {"out1_frame", "out2_frame", "meigara_code_frame", "kikan_frame"}) {
      EXPECT_FALSE(control<QWidget>(frame)->isEnabled()) << frame;
    }
    EXPECT_EQ(text_of("Label4"), "接続中...");
    EXPECT_EQ(label_colour_of("Label4"), kBlue);
  }

  bool waiting_for_a_page() { return window_->running() && text_of("Label4") == "接続中..."; }
};

TEST_F(window_runs, ACollectionClickedThroughTheWindowWritesThePriceFile) {
  quote_site_process site({"--now", "2013-02-20T10:00"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open(local_time{date{2013, 2, 20}, 10, 0, 0});
  set_code("code_txt", "1301");
  choose_period("2013", "01", "01", "2013", "02", "19");

  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);

  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_EQ(label_colour_of("Label1"), kBlue);
  EXPECT_EQ(text_of("Label4"), "");
  expect_idle();
  EXPECT_TRUE(window_->context().stop_flag());
  EXPECT_EQ(site.requests(),
            (std::vector<std::string>{
                "/history/?code=1301&sy=2013&sm=01&sd=01&ey=2013&em=02&ed=19&tm=d"}));

  const std::string file = cp932_file(dir_.path() + "kabuka/data_m/1301.csv");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(file.rfind("1301,東証1部,", 0), 0u) << file.substr(0, 80);
  // 4 January to 19 February 2013: the header and one line per trading day, oldest first.
  EXPECT_NE(file.find(",20130104,20130219,"), std::string::npos) << file.substr(0, 80);
  EXPECT_NE(file.find("\r\n20130104,"), std::string::npos);
  EXPECT_NE(file.find("\r\n20130219,"), std::string::npos);
  EXPECT_EQ(file.find("\r\n20121228,"), std::string::npos);
  EXPECT_EQ(file.find("\r\n20130220,"), std::string::npos);
}

// "保存データの続きから" (unticked at first) takes up the stored rows after the newest one; at
// 10:00 today's prices are not final, so the period ends the day before.
TEST_F(window_runs, TheContinuationBoxAsksOnlyForTheDaysAfterTheStoredRows) {
  quote_site_process site({"--now", "2013-02-20T10:00"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open(local_time{date{2013, 2, 20}, 10, 0, 0});
  EXPECT_FALSE(control<QCheckBox>("out1_tuzuki_chk")->isChecked());
  choose_period("2013", "01", "01", "2013", "02", "08");
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  ASSERT_EQ(text_of("Label1"), "収集処理を完了しました。");

  site.reset();
  click("out1_tuzuki_chk");
  EXPECT_TRUE(control<QCheckBox>("out1_tuzuki_chk")->isChecked());
  choose_period("2013", "01", "01", "2013", "02", "20");
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_EQ(site.requests(),
            (std::vector<std::string>{
                "/history/?code=1301&sy=2013&sm=02&sd=09&ey=2013&em=02&ed=19&tm=d"}));
  EXPECT_NE(cp932_file(dir_.path() + "kabuka/data_m/1301.csv").find(",20130104,20130219,"),
            std::string::npos);
}

TEST_F(window_runs, AMouseDownOnStopWhileAPageLoadsAbortsTheRun) {
  quote_site_process site({"--now", "2013-02-20T10:00", "--fault", "mode=hang"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open(local_time{date{2013, 2, 20}, 10, 0, 0});
  // Without the stop the wait would end in a time-out and the run would complete.
  window_->context().wait_limit_ticks = 150;
  choose_period("2013", "01", "01", "2013", "02", "19");

  bool pressed = false;
  int turns_after_wait_began = 0;
  auto* progress = control<QProgressBar>("progress_bar");
  while_running press_stop([&] {
    if (!waiting_for_a_page()) return false;
    // The window keeps turning its event loop through the wait, and shows the stock in hand
    // under the status line.
    if (++turns_after_wait_began < 5 || progress->isHidden()) return false;
    EXPECT_EQ(progress->text(), QString::fromUtf8("時系列株価 銘柄 1/1"));
    EXPECT_EQ(progress->value(), 1);
    EXPECT_EQ(progress->maximum(), 1);
    expect_running_and_waiting();
    // A second start while the run is on is refused.
    window_->m_dl_start_cmd_Click();
    EXPECT_TRUE(window_->running());
    EXPECT_FALSE(control<QWidget>("m_dl_stop_cmd")->isHidden());
    QTest::mousePress(control<QPushButton>("m_dl_stop_cmd"), Qt::LeftButton);
    pressed = true;
    return true;
  });
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  QTest::mouseRelease(control<QPushButton>("m_dl_stop_cmd"), Qt::LeftButton);

  ASSERT_TRUE(pressed);
  EXPECT_EQ(text_of("Label1"), "処理を中断しました。");
  EXPECT_EQ(label_colour_of("Label1"), kRed);
  EXPECT_EQ(text_of("Label4"), "");
  expect_idle();
  EXPECT_TRUE(window_->context().stop_flag());
  EXPECT_FALSE(file_exists(dir_.path() + "kabuka/data_m/1301.csv"));
  // The progress area shows that the run ended, and how.
  EXPECT_FALSE(progress->isHidden());
  EXPECT_EQ(progress->text().toStdString().rfind("時系列株価 銘柄 1/1  中断  経過 ", 0), 0u)
      << progress->text().toStdString();
  // The run's record: the button and its controls, the red abort, the ending.
  const std::string log = file_bytes(dir_.path() + "log/karigane-20130220.log");
  const std::string stamp = "2013-02-20 10:00:00 [" + std::to_string(::getpid()) + "] ";
  EXPECT_EQ(log.rfind(stamp + "開始 収集: ウィンドウ「収集開始」 個別指定 1301 時系列株価 期間 "
                               "2013/01/01～2013/02/19\n",
                      0),
            0u)
      << log;
  EXPECT_NE(log.find("\n" + stamp + "状態(赤) 処理を中断しました。\n"), std::string::npos) << log;
  EXPECT_NE(log.find("\n" + stamp + "終了 中断 終了ステータス 130\n"), std::string::npos) << log;
}

TEST_F(window_runs, ClosingTheWindowWhileAPageLoadsStopsTheRun) {
  quote_site_process site({"--now", "2013-02-20T10:00", "--fault", "mode=hang"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open(local_time{date{2013, 2, 20}, 10, 0, 0});
  window_->context().wait_limit_ticks = 150;

  bool closed = false;
  while_running close_window([&] {
    if (!waiting_for_a_page()) return false;
    window_->close();
    closed = true;
    return true;
  });
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);

  ASSERT_TRUE(closed);
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->running());
  EXPECT_EQ(text_of("Label1"), "処理を中断しました。");
  EXPECT_TRUE(window_->context().stop_flag());
}

TEST_F(window_runs, ClosingTheWindowDuringARunEndsTheProgramsEventLoop) {
  quote_site_process site({"--now", "2013-02-20T10:00", "--fault", "mode=hang"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open(local_time{date{2013, 2, 20}, 10, 0, 0});
  window_->context().wait_limit_ticks = 150;

  bool closed = false;
  bool gave_up = false;
  while_running close_window([&] {
    if (!waiting_for_a_page()) return false;
    window_->close();
    closed = true;
    return true;
  });
  // The run starts from inside the program's event loop, as a click would start it.
  QTimer::singleShot(
      0, [&] { QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton); });
  QTimer::singleShot(60000, [&] {
    gave_up = true;
    QApplication::quit();
  });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(gave_up);
  EXPECT_EQ(text_of("Label1"), "処理を中断しました。");
}

TEST_F(window_runs, AnInvalidCodeEndsTheRunInRedWithTheNormalisedCodeShown) {
  open();
  set_code("code_txt", "  999x");
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "銘柄コードＮＯをご確認ください。");
  EXPECT_EQ(label_colour_of("Label1"), kRed);
  EXPECT_EQ(control<QLineEdit>("code_txt")->text(), "999");
  EXPECT_EQ(text_colour_of("code_txt"), kRed);
  expect_idle();
}

TEST_F(window_runs, AReversedRangeIsTurnedRoundInTheCodeBoxes) {
  open();
  control<QRadioButton>("meigara_code_opt(2)")->setChecked(true);
  control<QCheckBox>("out1_jikeiretu_chk")->setChecked(false);
  set_code("code_txt", "9999");
  set_code("code1_txt", "1301");
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_EQ(control<QLineEdit>("code_txt")->text(), "1301");
  EXPECT_EQ(control<QLineEdit>("code1_txt")->text(), "9999");
  expect_idle();
  // The period area stays greyed, as neither time series nor margin is ticked.
  EXPECT_FALSE(control<QWidget>("kikan_frame")->isEnabled());
}

TEST_F(window_runs, AdjustedPricesAreWrittenFromTheStoredSeries) {
  write_cp932(dir_.path() + "kabuka/data_m/1301.csv",
              "1301,東証1部,極洋,20130102,20130107,3\r\n"
              "20130102,101,111,91,105,1000\r\n"
              "20130104,200,210,190,205,2000\r\n"
              "20130107,300,310,290,305,3000\r\n");
  write_cp932(dir_.path() + "kabuka/data_mh/1301.csv", "1301,極洋,1\r\n20130104,1,2\r\n");
  open();
  QTest::mouseClick(control<QPushButton>("out2_hosei_cmd"), Qt::LeftButton);
  EXPECT_EQ(cp932_file(dir_.path() + "kabuka/syusei_kabuka/data_m/1301.csv"),
            "1301,東証1部,極洋,20130102,20130107,3\r\n"
            "20130102,50,55,45,52,1000\r\n"
            "20130104,200,210,190,205,2000\r\n"
            "20130107,300,310,290,305,3000\r\n");
  EXPECT_EQ(text_of("Label1"), "");
  // The status line ends empty; the progress area says the run completed.
  auto* progress = control<QProgressBar>("progress_bar");
  EXPECT_FALSE(progress->isHidden());
  EXPECT_EQ(progress->text().toStdString().rfind("調整後株価 ファイル 1/1  完了  経過 ", 0), 0u)
      << progress->text().toStdString();
  expect_idle();
}

TEST_F(window_runs, ARunWithFailuresShowsTheirCountAndListUntilTheNextRun) {
  quote_site_process site({"--now", "2014-11-27T10:00"});
  ASSERT_TRUE(site.started());
  use_site(site.url());
  open();
  set_code("code_txt", "1332");
  choose_period("2014", "11", "01", "2014", "10", "01");  // the check refuses it
  auto* failures = control<QPushButton>("failures_cmd");
  EXPECT_TRUE(failures->isHidden());

  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  // The completion message stays as it is; the count stands beside it.
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_EQ(label_colour_of("Label1"), kBlue);
  EXPECT_FALSE(failures->isHidden());
  EXPECT_EQ(failures->text().toStdString(), "失敗 1件");
  expect_idle();

  QTest::mouseClick(failures, Qt::LeftButton);
  auto* dialog = window_->findChild<QDialog*>(QStringLiteral("failures_dlg"));
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("failures_txt"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->toPlainText().toStdString(),
            "時系列株価 2014/11/01～2014/10/01: 開始/終了年月日をご確認ください。\n");
  dialog->reject();

  // The next run starts without them.
  choose_period("2014", "10", "01", "2014", "11", "01");
  control<QCheckBox>("out1_jikeiretu_chk")->setChecked(false);
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_TRUE(failures->isHidden());
}

TEST_F(window_runs, ACodeTheStockListLacksIsAFailureAndACodeWithLettersIsACode) {
  write_cp932(dir_.path() + "meigara_list.csv",
              "2,20120921,市場名,銘柄名\r\n1301,t,東証1部,(株)極洋\r\n"
              "130A,t,東証グロース,(株)アオバサイエンス\r\n");
  open();
  control<QCheckBox>("out1_jikeiretu_chk")->setChecked(false);
  auto* failures = control<QPushButton>("failures_cmd");
  set_code("code_txt", "130A");
  EXPECT_EQ(text_colour_of("code_txt"), kBlack);
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_TRUE(failures->isHidden());

  set_code("code_txt", "1305");
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_EQ(failures->text().toStdString(), "失敗 1件");
  QTest::mouseClick(failures, Qt::LeftButton);
  auto* dialog = window_->findChild<QDialog*>(QStringLiteral("failures_dlg"));
  ASSERT_NE(dialog, nullptr);
  auto* list = dialog->findChild<QPlainTextEdit*>(QStringLiteral("failures_txt"));
  ASSERT_NE(list, nullptr);
  // The list is more than a year old: the note says how to renew it.
  EXPECT_EQ(list->toPlainText().toStdString(),
            "1305: 銘柄リストにありません\n銘柄リストは 2012/09/21 のものです。最新日株価の収集が"
            "新しくします: karigane --dir " +
                shell_word(dir_.path()) + " collect --latest --no-timeseries --code 1305\n");
  dialog->reject();
}

TEST_F(window_runs, ARunOnAFolderAnotherRunHoldsEndsAtOnceInRed) {
  open();
  control<QCheckBox>("out1_jikeiretu_chk")->setChecked(false);
  // Another run (a cron job on the same folder) holds the lock.
  const int other = ::open((dir_.path() + "karigane.lock").c_str(), O_RDWR | O_CREAT, 0644);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "別の処理がこのフォルダで実行中です: " + dir_.path());
  EXPECT_EQ(label_colour_of("Label1"), kRed);
  expect_idle();

  // The window holds the lock only while its own run is on.
  ::close(other);
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  const int after = ::open((dir_.path() + "karigane.lock").c_str(), O_RDWR);
  EXPECT_EQ(::flock(after, LOCK_EX | LOCK_NB), 0);
  ::close(after);
}

TEST_F(window_runs, UpdateWithoutStoredSeriesSaysSoAndReturnsToIdle) {
  open();
  window_->context().set_label1("収集処理を完了しました。", label_colour::blue);
  QTest::mouseClick(control<QPushButton>("renew_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集されている時系列株価はありません。");
  EXPECT_EQ(label_colour_of("Label1"), kBlue);
  EXPECT_TRUE(window_->context().stop_flag());
  expect_idle();
}

}  // namespace
}  // namespace karigane::testing
