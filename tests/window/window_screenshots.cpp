// Makes the pictures of the window for the documentation: OUT/window.png with the window idle,
// OUT/settings-dialog.png with its settings dialog "設定", OUT/window-running.png during a
// collection run, and OUT/window-progress.png with the progress bar of a collection of some
// 3,500 stocks. Run by scripts/screenshots under Xvfb.
//
//   window_screenshots OUT_DIR SITE_URL
//
// SITE_URL is the local quote site, started so that one stock's pages never answer: the run
// collects the stocks before it, and the picture is taken while that stock's page loads. The
// run is then stopped with "停止". The second run starts after that stock.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <string>

#include "window/main_window.h"
#include "window/qt_japanese.h"
#include "support/temp_folder.h"

namespace {

using namespace karigane;

bool save(QWidget& w, const std::string& path) {
  const bool ok = w.grab().save(QString::fromStdString(path), "PNG");
  std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", path.c_str());
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  karigane::use_qt_japanese();
  if (argc != 3) {
    std::fputs("usage: window_screenshots OUT_DIR SITE_URL\n", stderr);
    return 2;
  }
  const std::string out = std::string(argv[1]) + "/";
  const std::string site = argv[2];
  testing::temp_folder dir;
  testing::write_cp932(
      dir.path() + "settei.txt",
      "株価サイトURL," + site + "\r\nモバイルサイトURL," + site + "\r\nEOF,EOF\r\n");
  testing::write_bytes(
      dir.path() + "meigara_list.csv",
      testing::file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"));

  main_window_setup setup;
  setup.program_folder = dir.path();
  setup.factory_folder = KARIGANE_DATA_DIR_FOR_TESTS;
  setup.fixed_now = local_time{date{2014, 11, 27}, 16, 30, 0};
  main_window window(setup);
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  QTest::qWait(300);
  if (!save(window, out + "window.png")) return 1;

  // The settings dialog over the window, as "設定" opens it.
  QTest::mouseClick(window.findChild<QPushButton*>("settei_cmd"), Qt::LeftButton);
  auto* settings = window.findChild<QDialog*>("settei_dlg");
  if (settings == nullptr || !QTest::qWaitForWindowExposed(settings)) return 1;
  QTest::qWait(300);
  if (!save(*settings, out + "settings-dialog.png")) return 1;
  settings->reject();
  QTest::qWait(100);

  // The stocks 1301 to 1400 this year, with yearly files.
  window.findChild<QRadioButton*>("meigara_code_opt(2)")->setChecked(true);
  window.findChild<QLineEdit*>("code1_txt")->setText("1400");
  window.findChild<QCheckBox*>("out1_nengoto_chk")->setChecked(true);

  bool saved = false;
  QTimer watch;
  watch.setInterval(50);
  int polls = 0;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    ++polls;
    auto* label4 = window.findChild<QLabel*>("Label4");
    const bool busy = label4->text() == QString::fromUtf8("接続中...");
    if ((busy && window.running()) || polls > 1200) {
      watch.stop();
      saved = save(window, out + "window-running.png");
      QTest::mousePress(window.findChild<QPushButton*>("m_dl_stop_cmd"), Qt::LeftButton);
    }
  });
  watch.start();
  QTest::mouseClick(window.findChild<QPushButton*>("m_dl_start_cmd"), Qt::LeftButton);
  if (!saved) return 1;

  // Every stock of the list from 1400 on (past the stock whose pages never answer), caught
  // once the progress bar has counted a few hundred of them and estimates the time left.
  window.findChild<QLineEdit*>("code_txt")->setText("1400");
  window.findChild<QLineEdit*>("code1_txt")->setText("9999");
  window.findChild<QCheckBox*>("out1_nengoto_chk")->setChecked(false);
  saved = false;
  polls = 0;
  QTimer watch_progress;
  watch_progress.setInterval(50);
  QObject::connect(&watch_progress, &QTimer::timeout, [&] {
    ++polls;
    auto* bar = window.findChild<QProgressBar*>("progress_bar");
    const bool counted = !bar->isHidden() && bar->value() >= 300 &&
                         bar->text().contains(QString::fromUtf8("残り"));
    if ((counted && window.running()) || polls > 4800) {
      watch_progress.stop();
      saved = save(window, out + "window-progress.png");
      QTest::mousePress(window.findChild<QPushButton*>("m_dl_stop_cmd"), Qt::LeftButton);
    }
  });
  watch_progress.start();
  QTest::mouseClick(window.findChild<QPushButton*>("m_dl_start_cmd"), Qt::LeftButton);
  return saved ? 0 : 1;
}
