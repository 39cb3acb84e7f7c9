// The settings dialog "設定": what it reads and writes of settei.txt, what it refuses, the
// J-Quants key kept from prying eyes, and a first start without settei.txt.
#include "window/settings_dialog.h"

#include <sys/stat.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "core/cp932.h"
#include "run/program_init.h"
#include "support/quote_site_process.h"
#include "window/qt_japanese.h"
#include "window_fixture.h"

namespace karigane::testing {
namespace {

class window_settings : public window_test {
 protected:
  // The settings dialog once it is open.
  settings_dialog* dialog() {
    settings_dialog* found = nullptr;
    static_cast<void>(QTest::qWaitFor(
        [&] {
          for (auto* d : window_->findChildren<settings_dialog*>(QStringLiteral("settei_dlg"))) {
            if (d->isVisible()) found = d;
          }
          return found != nullptr;
        },
        5000));
    return found;
  }

  template <class W>
  static W* field(QWidget* dialog, const char* name) {
    W* w = dialog->findChild<W*>(QString::fromUtf8(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  static void type(QWidget* dialog, const char* name, const char* text) {
    if (text != nullptr) field<QLineEdit>(dialog, name)->setText(QString::fromUtf8(text));
  }

  static void choose(QWidget* dialog, const char* name, const char* item) {
    if (item == nullptr) return;
    auto* combo = field<QComboBox>(dialog, name);
    const int index = combo->findText(QString::fromUtf8(item));
    ASSERT_GE(index, 0) << name << " " << item;
    combo->setCurrentIndex(index);
  }

  static void press_ok(QWidget* dialog) {
    auto* buttons = field<QDialogButtonBox>(dialog, "settei_buttons");
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
  }

  std::string settei() const { return dir_.path() + "settei.txt"; }
};

TEST_F(window_settings, TheDialogWritesOnlyWhatWasChangedKeepsTheRestAndRefusesWhatCannotBeRead) {
  const std::string hosts_that_differ =
      "株価サイトURL,http://a.example\r\nモバイルサイトURL,http://b.example\r\n独自キー,値\r\n"
      "EOF,EOF\r\nメモ: 手で書いたもの\r\n";
  std::string one_site;
  for (const char* key : {"株価サイトURL", "モバイルサイトURL", "旧株価テーブルURL",
                          "企業情報サイトURL", "指標サイトURL"}) {
    one_site += std::string(key) + ",http://127.0.0.1:8080\r\n";
  }
  one_site += "EOF,EOF\r\n";
  write_bytes(dir_.path() + "certs/ca.pem", "-----BEGIN CERTIFICATE-----\n");
  struct dialog_case {
    const char* what;
    std::string before;                               // settei.txt, written in CP932
    std::optional<std::string> environment_key = {};  // JQUANTS_API_KEY
    // What the dialog shows.
    const char* shown_site = "http://info.finance.yahoo.co.jp";
    bool shown_note = true;  // "the five hosts differ" (the defaults do)
    const char* shown_key = "";
    // What the user changes (nullptr: the field as it is).
    const char* source = nullptr;
    const char* site = nullptr;
    const char* jquants_url = nullptr;
    const char* key = nullptr;
    const char* plan = nullptr;
    const char* interval = nullptr;
    const char* ca_file = nullptr;
    // The file afterwards, or the words of the refusal (the file then stays as it was).
    std::string after = {};
    const char* refused = nullptr;
    bool owner_only = false;
  };
  const dialog_case cases[] = {
      {.what = "a site sets the five hosts; unknown keys, notes and CP932 stay",
       .before = hosts_that_differ,
       .shown_site = "http://a.example",
       .shown_note = true,
       .site = " http://127.0.0.1:8080/",
       .after = "株価サイトURL,http://127.0.0.1:8080\r\nモバイルサイトURL,http://127.0.0.1:8080\r\n"
                "独自キー,値\r\n旧株価テーブルURL,http://127.0.0.1:8080\r\n"
                "企業情報サイトURL,http://127.0.0.1:8080\r\n指標サイトURL,http://127.0.0.1:8080\r\n"
                "EOF,EOF\r\nメモ: 手で書いたもの\r\n"},
      {.what = "hosts that differ stay when the site field is left",
       .before = hosts_that_differ,
       .shown_site = "http://a.example",
       .shown_note = true,
       .interval = "1000",
       .after = "株価サイトURL,http://a.example\r\nモバイルサイトURL,http://b.example\r\n"
                "独自キー,値\r\nアクセス間隔ミリ秒,1000\r\nEOF,EOF\r\nメモ: 手で書いたもの\r\n"},
      {.what = "a site that is no host",
       .before = hosts_that_differ,
       .shown_site = "http://a.example",
       .shown_note = true,
       .site = "ftp://a.example",
       .refused = "株価サイトURL"},
      {.what = "a site with a path",
       .before = "EOF,EOF\r\n",
       .site = "http://a.example/x",
       .refused = "株価サイトURL"},
      {.what = "a J-Quants address with a path",
       .before = "EOF,EOF\r\n",
       .jquants_url = "https://api.jquants.com/v2",
       .refused = "J-QuantsURL"},
      {.what = "an interval below 0",
       .before = one_site,
       .shown_site = "http://127.0.0.1:8080",
       .shown_note = false,
       .interval = "-1",
       .refused = "アクセス間隔ミリ秒"},
      {.what = "an interval above a minute",
       .before = "EOF,EOF\r\n",
       .interval = "60001",
       .refused = "アクセス間隔ミリ秒"},
      {.what = "an interval that is no whole number",
       .before = "EOF,EOF\r\n",
       .interval = "1.5",
       .refused = "アクセス間隔ミリ秒"},
      {.what = "a CA file that is not there",
       .before = "EOF,EOF\r\n",
       .ca_file = "certs/no.pem",
       .refused = "CA証明書ファイル"},
      {.what = "a typed key is written, and the file is its owner's alone",
       .before = "EOF,EOF\r\n",
       .source = "J-Quants",
       .jquants_url = "http://127.0.0.1:8080/",
       .key = "  typed-key-ABCD ",
       .plan = "Standard",
       .ca_file = "certs/ca.pem",
       .after = "データ取得元,J-Quants\r\nJ-QuantsURL,http://127.0.0.1:8080\r\n"
                "J-QuantsAPIキー,typed-key-ABCD\r\nJ-Quantsプラン,Standard\r\n"
                "CA証明書ファイル,certs/ca.pem\r\nEOF,EOF\r\n",
       .owner_only = true},
      {.what = "a stored key is shown masked and kept as it is",
       .before = "J-QuantsAPIキー,stored-key-WXYZ\r\nEOF,EOF\r\n",
       .shown_key = "…WXYZ",
       .interval = "0",
       .after = "J-QuantsAPIキー,stored-key-WXYZ\r\nアクセス間隔ミリ秒,0\r\nEOF,EOF\r\n",
       .owner_only = true},
      {.what = "a key that only the environment gives is never written into the file",
       .before = "EOF,EOF\r\n",
       .environment_key = "environment-key-1234",
       .shown_key = "…1234",
       .source = "J-Quants",
       .after = "データ取得元,J-Quants\r\nEOF,EOF\r\n"},
  };
  open();
  for (const dialog_case& c : cases) {
    SCOPED_TRACE(c.what);
    scoped_env key("JQUANTS_API_KEY", c.environment_key);
    std::filesystem::remove(settei());
    write_cp932(settei(), c.before);
    ::chmod(settei().c_str(), 0644);
    const std::string before = file_bytes(settei());

    click("settei_cmd");
    settings_dialog* d = dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(field<QLineEdit>(d, "site_txt")->text().toStdString(), c.shown_site);
    EXPECT_EQ(!field<QLabel>(d, "site_note_lb")->isHidden(), c.shown_note);
    EXPECT_EQ(field<QLineEdit>(d, "jquants_url_txt")->text().toStdString(),
              "https://api.jquants.com");
    EXPECT_EQ(field<QLineEdit>(d, "jquants_key_txt")->text().toStdString(), "");
    EXPECT_EQ(field<QLineEdit>(d, "jquants_key_txt")->placeholderText().toStdString(), c.shown_key);
    choose(d, "source_cmb", c.source);
    type(d, "site_txt", c.site);
    type(d, "jquants_url_txt", c.jquants_url);
    type(d, "jquants_key_txt", c.key);
    choose(d, "jquants_plan_cmb", c.plan);
    type(d, "interval_txt", c.interval);
    type(d, "ca_file_txt", c.ca_file);
    press_ok(d);

    if (c.refused != nullptr) {
      EXPECT_TRUE(d->isVisible());
      auto* error = field<QLabel>(d, "settei_error_lb");
      EXPECT_FALSE(error->isHidden());
      EXPECT_NE(error->text().toStdString().find(c.refused), std::string::npos)
          << error->text().toStdString();
      EXPECT_EQ(file_bytes(settei()), before);
      d->reject();
    } else {
      EXPECT_FALSE(d->isVisible());
      // In the file's own encoding: CP932 stays CP932; a file of ASCII alone reads as UTF-8.
      const bool ascii = std::all_of(c.before.begin(), c.before.end(),
                                     [](char b) { return static_cast<unsigned char>(b) < 0x80; });
      EXPECT_EQ(file_bytes(settei()), ascii ? c.after : utf8_to_cp932(c.after));
      struct stat st {};
      ASSERT_EQ(::stat(settei().c_str(), &st), 0);
      EXPECT_EQ((st.st_mode & 0077) == 0, c.owner_only) << std::oct << st.st_mode;
    }
    QTest::qWait(0);  // the closed dialog goes
  }
}

TEST_F(window_settings, AFirstStartWithoutSetteiAsksWhereTheDataComeFromBeforeWritingOrFetching) {
  quote_site_process site({"--now", "2014-11-27T10:00"});
  ASSERT_TRUE(site.started());
  ASSERT_TRUE(use_qt_japanese());  // as the program does when it starts
  open(kWindowNow, /*set_up_folder=*/true);
  settings_dialog* d = dialog();
  ASSERT_NE(d, nullptr);
  EXPECT_FALSE(field<QLabel>(d, "settei_intro_lb")->isHidden());
  // Qt's own buttons speak the window's language.
  EXPECT_EQ(field<QDialogButtonBox>(d, "settei_buttons")
                ->button(QDialogButtonBox::Cancel)
                ->text()
                .toStdString(),
            "キャンセル");
  // The folder waits for the dialog.
  EXPECT_FALSE(std::filesystem::exists(settei()));
  EXPECT_FALSE(std::filesystem::exists(dir_.path() + "meigara_list.csv"));

  type(d, "site_txt", site.url().c_str());
  press_ok(d);
  EXPECT_FALSE(d->isVisible());
  // The file `init --site` writes, and the factory stock list as the working list.
  EXPECT_EQ(file_bytes(settei()), initial_settings_text(site.url()));
  EXPECT_EQ(file_bytes(dir_.path() + "meigara_list.csv"),
            file_bytes(std::string(KARIGANE_DATA_DIR_FOR_TESTS) + "meigara_list_org.csv"));
  EXPECT_TRUE(site.requests().empty());

  // The first run reads from the site chosen.
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");
  EXPECT_FALSE(site.requests().empty());
}

// A user without a terminal: the first start's dialog set to J-Quants (the local site's API
// here), then a collection clicked, all of it from the API.
TEST_F(window_settings, AFirstStartSetToJQuantsCollectsFromTheApi) {
  scoped_env minute("KARIGANE_JQUANTS_MINUTE", std::string("0"));
  scoped_env environment_key("JQUANTS_API_KEY", std::nullopt);
  quote_site_process site({"--now", "2026-01-10T18:00", "--jquants-key", "window-key-7Q2X",
                           "--plan", "Standard", "--jquants-rate-window", "0"});
  ASSERT_TRUE(site.started());
  open(local_time{date{2026, 1, 10}, 18, 0, 0}, /*set_up_folder=*/true);
  settings_dialog* d = dialog();
  ASSERT_NE(d, nullptr);
  choose(d, "source_cmb", "J-Quants");
  type(d, "jquants_url_txt", site.url().c_str());
  type(d, "jquants_key_txt", "window-key-7Q2X");
  choose(d, "jquants_plan_cmb", "Standard");
  press_ok(d);
  ASSERT_FALSE(d->isVisible()) << field<QLabel>(d, "settei_error_lb")->text().toStdString();
  struct stat st {};
  ASSERT_EQ(::stat(settei().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);

  control<QLineEdit>("code_txt")->setText(QStringLiteral("1301"));
  for (const auto& [box, value] : {std::pair{"yyyy_start_cmb", "2025"}, {"mm_start_cmb", "12"},
                                   {"dd_start_cmb", "01"}, {"yyyy_end_cmb", "2025"},
                                   {"mm_end_cmb", "12"}, {"dd_end_cmb", "30"}}) {
    control<QComboBox>(box)->setCurrentText(QString::fromLatin1(value));
  }
  QTest::mouseClick(control<QPushButton>("m_dl_start_cmd"), Qt::LeftButton);
  EXPECT_EQ(text_of("Label1"), "収集処理を完了しました。");

  const std::vector<std::string> requests = site.requests();
  ASSERT_FALSE(requests.empty());
  for (const std::string& r : requests) EXPECT_EQ(r.rfind("/v2/", 0), 0u) << r;
  const std::string file = cp932_file(dir_.path() + "kabuka/data_m/1301.csv");
  EXPECT_NE(file.find(",20251201,20251230,"), std::string::npos) << file.substr(0, 80);
  EXPECT_NE(file.find("\r\n20251230,"), std::string::npos);
}

}  // namespace
}  // namespace karigane::testing
