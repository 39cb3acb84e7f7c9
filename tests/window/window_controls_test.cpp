// The window's controls and handlers: the state at start-up, the idle/running switch, the
// period area's availability, the selection modes, the code boxes' colours, the period lists,
// "情報確認", "使い方" and closing the window.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>
#include <filesystem>

#include "core/install_paths.h"
#include "support/temp_folder.h"
#include "url_recorder.h"
#include "window_fixture.h"

namespace karigane::testing {
namespace {

class window_controls : public window_test {
 protected:
  void SetUp() override {
    // Every window starts without the state a previous window saved.
    QSettings(QStringLiteral("karigane"), QStringLiteral("window")).clear();
  }

  bool shown(const char* name) { return !control<QWidget>(name)->isHidden(); }
  bool enabled(const char* name) { return control<QWidget>(name)->isEnabled(); }
  bool checked(const char* name) { return control<QAbstractButton>(name)->isChecked(); }

  QStringList items(const char* name) {
    QStringList out;
    auto* combo = control<QComboBox>(name);
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
  }
  std::string current(const char* name) {
    return control<QComboBox>(name)->currentText().toStdString();
  }

  // The window-relative top left corner of a control.
  QPoint corner(const char* name) {
    return control<QWidget>(name)->mapTo(window_.get(), QPoint(0, 0));
  }

  void type_into(const char* name, const char* text) {
    auto* box = control<QLineEdit>(name);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, QString::fromUtf8(text));
  }

  static constexpr const char* kPeriodControls[] = {
      "kikan_frame",  "name_lb(0)",   "name_lb(1)",   "name_lb(2)", "name_lb(3)",
      "name_lb(4)",   "name_lb(5)",   "name_lb(6)",   "name_lb(7)", "yyyy_start_cmb",
      "mm_start_cmb", "dd_start_cmb", "yyyy_end_cmb", "mm_end_cmb", "dd_end_cmb"};
};

TEST_F(window_controls, EveryControlStartsWithItsCaptionAndValue) {
  open();
  EXPECT_EQ(window_->windowTitle(), "Karigane");
  EXPECT_EQ(text_of("Label6"), "Karigane");
  EXPECT_EQ(label_colour_of("Label6"), kBlue);

  const std::pair<const char*, const char*> frames[] = {{"meigara_code_frame", "銘柄指定"},
                                                        {"out1_frame", "収集情報"},
                                                        {"kikan_frame", "時系列収集期間指定"},
                                                        {"out2_frame", "収集情報の加工"}};
  for (const auto& [name, title] : frames) {
    EXPECT_EQ(control<QGroupBox>(name)->title().toStdString(), title) << name;
    EXPECT_TRUE(enabled(name)) << name;
  }

  const std::pair<const char*, const char*> labels[] = {{"name_lb(0)", "開始年月日"},
                                                        {"name_lb(1)", "年"},
                                                        {"name_lb(2)", "月"},
                                                        {"name_lb(3)", "日"},
                                                        {"name_lb(4)", "終了年月日"},
                                                        {"name_lb(5)", "年"},
                                                        {"name_lb(6)", "月"},
                                                        {"name_lb(7)", "日"},
                                                        {"name_lb(8)", "銘柄コードNO"},
                                                        {"code1_lb", "～"},
                                                        {"Label1", ""},
                                                        {"Label3", ""},
                                                        {"Label4", ""}};
  for (const auto& [name, caption] : labels) EXPECT_EQ(text_of(name), caption) << name;
  // The version `karigane --version` prints.
  EXPECT_EQ(text_of("Label2"), std::string("Karigane ") + program_version());

  struct option {
    const char* name;
    const char* caption;
    bool checked;
  };
  const option options[] = {{"meigara_code_opt(0)", "個別指定", true},
                            {"meigara_code_opt(1)", "テーブル指定", false},
                            {"meigara_code_opt(2)", "範囲指定", false},
                            {"out1_data_d_chk", "最新日株価", false},
                            {"out1_jikeiretu_chk", "時系列株価", true},
                            {"out1_shinyou_chk", "信用売買残", false},
                            {"out1_data_z_chk", "財務情報", false},
                            {"out1_nengoto_chk", "年毎", false},
                            {"Check1", "週足、月足", false},
                            {"out2_nenngoto_chk", "年毎から計算", false},
                            {"connect_sound_chk", "接続音OFF", true}};
  for (const auto& o : options) {
    auto* b = control<QAbstractButton>(o.name);
    EXPECT_EQ(b->text().toStdString(), o.caption) << o.name;
    EXPECT_EQ(b->isChecked(), o.checked) << o.name;
    EXPECT_TRUE(b->isEnabled()) << o.name;
  }

  EXPECT_EQ(control<QLineEdit>("code_txt")->text(), "1301");
  EXPECT_EQ(control<QLineEdit>("code1_txt")->text(), "9999");
  EXPECT_TRUE(shown("name_lb(8)"));
  EXPECT_TRUE(shown("code_txt"));
  EXPECT_FALSE(shown("code1_lb"));
  EXPECT_FALSE(shown("code1_txt"));
  EXPECT_EQ(text_colour_of("code_txt"), kBlack);

  const std::pair<const char*, const char*> buttons[] = {
      {"m_dl_start_cmd", "収集開始"},   {"m_dl_stop_cmd", "停止"}, {"renew_start_cmd", "更新"},
      {"stop_cmd", "閉じる"},           {"Command1", "情報確認"},  {"help_cmd", "使い方"},
      {"out2_hosei_cmd", "調整後株価"}, {"settei_cmd", "設定"}};
  for (const auto& [name, caption] : buttons) {
    EXPECT_EQ(control<QPushButton>(name)->text().toStdString(), caption) << name;
    EXPECT_TRUE(enabled(name)) << name;
    EXPECT_EQ(shown(name), std::string(name) != "m_dl_stop_cmd") << name;
  }
  EXPECT_FALSE(window_->running());
  EXPECT_FALSE(window_->context().stop_flag());
}

TEST_F(window_controls, TheStatusLinesSitAtTheBottomInTheirOrder) {
  open();
  const QPoint label1 = corner("Label1");
  const QPoint label3 = corner("Label3");
  const QPoint label2 = corner("Label2");
  const QPoint label4 = corner("Label4");
  EXPECT_LT(label1.y(), label3.y());
  EXPECT_LT(label3.y(), label2.y());
  EXPECT_EQ(label2.y(), label4.y());
  EXPECT_LT(label2.x(), label4.x());
  for (const char* above : {"m_dl_start_cmd", "stop_cmd", "help_cmd", "kikan_frame", "out1_frame",
                            "meigara_code_frame", "out2_frame", "Label6"}) {
    EXPECT_LT(corner(above).y(), label1.y()) << above;
  }
}

TEST_F(window_controls, ThePeriodListsRunFrom1983ToTheClocksYearAndPresetThisYearToToday) {
  open(local_time{date{2014, 11, 27}, 10, 0, 0});
  QStringList years;
  for (int y = 1983; y <= 2014; ++y) years << QString::number(y);
  QStringList months;
  for (int m = 1; m <= 12; ++m) months << QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
  QStringList days;
  for (int d = 1; d <= 31; ++d) days << QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
  EXPECT_EQ(items("yyyy_start_cmb"), years);
  EXPECT_EQ(items("yyyy_end_cmb"), years);
  EXPECT_EQ(items("mm_start_cmb"), months);
  EXPECT_EQ(items("mm_end_cmb"), months);
  EXPECT_EQ(items("dd_start_cmb"), days);
  EXPECT_EQ(items("dd_end_cmb"), days);
  EXPECT_EQ(current("yyyy_start_cmb"), "2014");
  EXPECT_EQ(current("mm_start_cmb"), "01");
  EXPECT_EQ(current("dd_start_cmb"), "01");
  EXPECT_EQ(current("yyyy_end_cmb"), "2014");
  EXPECT_EQ(current("mm_end_cmb"), "11");
  EXPECT_EQ(current("dd_end_cmb"), "27");

  open(local_time{date{2000, 2, 29}, 23, 59, 0});
  EXPECT_EQ(items("yyyy_end_cmb").size(), 18);
  EXPECT_EQ(items("yyyy_end_cmb").back(), "2000");
  EXPECT_EQ(current("yyyy_start_cmb"), "2000");
  EXPECT_EQ(current("mm_end_cmb"), "02");
  EXPECT_EQ(current("dd_end_cmb"), "29");
}

TEST_F(window_controls, ChoosingAMonthOrDayEmptiesTheStatusLine) {
  open();
  for (const char* name : {"mm_start_cmb", "dd_start_cmb", "mm_end_cmb", "dd_end_cmb"}) {
    window_->context().set_label1("開始年月日を確認してください。", label_colour::red);
    auto* combo = control<QComboBox>(name);
    const int before = combo->currentIndex();
    QTest::keyClick(combo, combo->currentIndex() > 0 ? Qt::Key_Up : Qt::Key_Down);
    ASSERT_NE(combo->currentIndex(), before) << name;
    EXPECT_EQ(text_of("Label1"), "") << name;
    EXPECT_EQ(label_colour_of("Label1"), kBlue) << name;
  }
}

TEST_F(window_controls, RunningHidesStartAndUpdateShowsStopAndDisablesCloseAndTheFrames) {
  open();
  window_->set_controls_sub(false);
  EXPECT_FALSE(shown("m_dl_start_cmd"));
  EXPECT_FALSE(shown("renew_start_cmd"));
  EXPECT_TRUE(shown("m_dl_stop_cmd"));
  EXPECT_TRUE(enabled("m_dl_stop_cmd"));
  EXPECT_FALSE(enabled("stop_cmd"));
  for (const char* frame : {"out1_frame", "out2_frame", "meigara_code_frame", "kikan_frame"}) {
    EXPECT_FALSE(enabled(frame)) << frame;
  }
  EXPECT_FALSE(enabled("out2_hosei_cmd"));
  EXPECT_FALSE(enabled("yyyy_start_cmb"));
  EXPECT_TRUE(enabled("Command1"));
  EXPECT_TRUE(enabled("help_cmd"));
  EXPECT_FALSE(enabled("settei_cmd"));
  // "停止" stands where "収集開始" stood.
  EXPECT_EQ(control<QWidget>("m_dl_stop_cmd")->geometry(),
            control<QWidget>("m_dl_start_cmd")->geometry());
  EXPECT_FALSE(window_->context().idle());

  window_->set_controls_sub(true);
  EXPECT_TRUE(shown("m_dl_start_cmd"));
  EXPECT_TRUE(shown("renew_start_cmd"));
  EXPECT_FALSE(shown("m_dl_stop_cmd"));
  EXPECT_TRUE(enabled("stop_cmd"));
  for (const char* frame : {"out1_frame", "out2_frame", "meigara_code_frame", "kikan_frame"}) {
    EXPECT_TRUE(enabled(frame)) << frame;
  }
  EXPECT_TRUE(enabled("yyyy_start_cmb"));
  EXPECT_TRUE(enabled("settei_cmd"));
  EXPECT_TRUE(window_->context().idle());
}

TEST_F(window_controls, ThePeriodAreaIsUsableOnlyWithTimeSeriesOrMargin) {
  open();
  click("out1_nengoto_chk");
  ASSERT_TRUE(checked("out1_nengoto_chk"));

  // Margin on, time series off: still usable, "年毎" keeps its tick.
  click("out1_shinyou_chk");
  click("out1_jikeiretu_chk");
  EXPECT_TRUE(checked("out1_nengoto_chk"));
  EXPECT_TRUE(enabled("out1_nengoto_chk"));
  for (const char* name : kPeriodControls) EXPECT_TRUE(enabled(name)) << name;

  // Both off: "年毎" loses its tick and everything of the period greys.
  click("out1_shinyou_chk");
  EXPECT_FALSE(checked("out1_nengoto_chk"));
  EXPECT_FALSE(enabled("out1_nengoto_chk"));
  for (const char* name : kPeriodControls) EXPECT_FALSE(enabled(name)) << name;

  // A run and its end leave the greyed period area greyed.
  window_->set_controls_sub(false);
  window_->set_controls_sub(true);
  EXPECT_FALSE(enabled("kikan_frame"));
  EXPECT_FALSE(enabled("out1_nengoto_chk"));

  // Either on again: usable again, "年毎" still unticked.
  click("out1_jikeiretu_chk");
  EXPECT_TRUE(enabled("out1_nengoto_chk"));
  EXPECT_FALSE(checked("out1_nengoto_chk"));
  for (const char* name : kPeriodControls) EXPECT_TRUE(enabled(name)) << name;
}

TEST_F(window_controls, TheModeButtonsShowTheCodeBoxesOfTheirMode) {
  open();
  struct expected {
    const char* option;
    bool code;
    bool range;
  };
  for (const expected& e :
       {expected{"meigara_code_opt(2)", true, true}, expected{"meigara_code_opt(1)", false, false},
        expected{"meigara_code_opt(0)", true, false}, expected{"meigara_code_opt(1)", false, false},
        expected{"meigara_code_opt(2)", true, true}}) {
    click(e.option);
    EXPECT_TRUE(checked(e.option)) << e.option;
    EXPECT_EQ(shown("name_lb(8)"), e.code) << e.option;
    EXPECT_EQ(shown("code_txt"), e.code) << e.option;
    EXPECT_EQ(shown("code1_lb"), e.range) << e.option;
    EXPECT_EQ(shown("code1_txt"), e.range) << e.option;
  }
}

TEST_F(window_controls, ACodeBoxTurnsRedOutside1000To9999AndBlackInside) {
  open();
  for (const char* box : {"code_txt", "code1_txt"}) {
    const std::pair<const char*, QColor> cases[] = {
        {"999", kRed}, {"1000", kBlack}, {"10000", kRed},     {"9999", kBlack}, {"", kRed},
        {"abc", kRed}, {"0999", kRed},   {"  7203x", kBlack}, {"1301", kBlack}};
    for (const auto& [text, colour] : cases) {
      type_into(box, text);
      EXPECT_EQ(text_colour_of(box), colour) << box << " \"" << text << "\"";
    }
    // One key at a time, as the user types.
    type_into(box, "");
    for (const char* key : {"9", "9", "9"}) QTest::keyClicks(control<QLineEdit>(box), key);
    EXPECT_EQ(text_colour_of(box), kRed) << box;
    QTest::keyClick(control<QLineEdit>(box), Qt::Key_9);
    EXPECT_EQ(text_colour_of(box), kBlack) << box;
    QTest::keyClick(control<QLineEdit>(box), Qt::Key_0);
    EXPECT_EQ(text_colour_of(box), kRed) << box;
    QTest::keyClick(control<QLineEdit>(box), Qt::Key_Backspace);
    EXPECT_EQ(text_colour_of(box), kBlack) << box;
  }
}

TEST_F(window_controls, CheckInformationWithoutADatabaseFolderSaysThereIsNoData) {
  url_recorder opened;
  open();
  window_->context().set_stop_flag(true);
  click("Command1");
  EXPECT_EQ(text_of("Label1"), "収集されているデータはありません。");
  EXPECT_EQ(label_colour_of("Label1"), kBlue);
  EXPECT_FALSE(window_->context().stop_flag());
  EXPECT_TRUE(opened.urls.empty());
}

TEST_F(window_controls, CheckInformationOpensTheDatabaseFolderOfTheSettings) {
  // The settings move the database; the window reads them at start-up.
  write_cp932(dir_.path() + "settei.txt", "株価データベースフォルダパス,data2\\\r\nEOF,EOF\r\n");
  std::filesystem::create_directories(dir_.path() + "data2");
  url_recorder opened;
  open();
  window_->context().set_label1("収集処理を完了しました。", label_colour::blue);
  click("Command1");
  ASSERT_EQ(opened.urls.size(), 1);
  EXPECT_EQ(opened.urls[0], QUrl::fromLocalFile(QString::fromStdString(dir_.path() + "data2/")));
  EXPECT_EQ(text_of("Label1"), "");
}

TEST_F(window_controls, HowToUseOpensTheProgramFoldersReadmeElseTheInstalledOne) {
  url_recorder opened;
  open();
  click("help_cmd");
  write_bytes(dir_.path() + "readme.txt", "own\r\n");
  click("help_cmd");
  ASSERT_EQ(opened.urls.size(), 2);
  EXPECT_EQ(opened.urls[0].toLocalFile().toStdString(),
            std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "readme.txt");
  EXPECT_TRUE(std::filesystem::exists(opened.urls[0].toLocalFile().toStdString()));
  EXPECT_EQ(opened.urls[1].toLocalFile().toStdString(), dir_.path() + "readme.txt");
}

TEST_F(window_controls, WithoutALauncherTheButtonsSayWhereTheFileIsAndShowTheUsageTextThemselves) {
  std::filesystem::create_directories(dir_.path() + "kabuka");
  write_cp932(dir_.path() + "readme.txt", "使い方\r\n■ 銘柄指定\r\n");
  temp_folder no_programs;
  scoped_env path("PATH", no_programs.path());  // no xdg-open, nor any desktop's own opener
  open();
  struct no_launcher_case {
    const char* button;
    std::string says;
    QColor colour;
    const char* viewer;  // the window's own viewer, or nullptr
    const char* shows;
  };
  const no_launcher_case cases[] = {
      {"Command1", "フォルダを開くプログラム（xdg-open）がありません: " + dir_.path() + "kabuka/",
       kRed, nullptr, nullptr},
      {"help_cmd",
       "ファイルを開くプログラム（xdg-open）がないので、ここに表示します: " + dir_.path() +
           "readme.txt",
       kBlue, "readme_dlg", "使い方\n■ 銘柄指定\n"},
  };
  for (const no_launcher_case& c : cases) {
    click(c.button);
    EXPECT_EQ(text_of("Label1"), c.says) << c.button;
    EXPECT_EQ(label_colour_of("Label1"), c.colour) << c.button;
    auto* viewer = window_->findChild<QDialog*>(QStringLiteral("readme_dlg"));
    ASSERT_EQ(viewer != nullptr, c.viewer != nullptr) << c.button;
    if (viewer == nullptr) continue;
    EXPECT_TRUE(viewer->isVisible());
    auto* text = viewer->findChild<QPlainTextEdit*>(QStringLiteral("readme_txt"));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->isReadOnly());
    EXPECT_EQ(text->toPlainText().toStdString(), c.shows);
  }
}

TEST_F(window_controls, ClosingSetsTheStopFlagAndKeepsTheConnectionSoundChoice) {
  open();
  click("connect_sound_chk");
  ASSERT_FALSE(checked("connect_sound_chk"));
  click("stop_cmd");
  EXPECT_TRUE(window_->context().stop_flag());
  EXPECT_FALSE(window_->isVisible());

  open();
  EXPECT_FALSE(checked("connect_sound_chk"));
  click("connect_sound_chk");
  window_->close();
  EXPECT_TRUE(window_->context().stop_flag());
  open();
  EXPECT_TRUE(checked("connect_sound_chk"));
}

}  // namespace
}  // namespace karigane::testing
