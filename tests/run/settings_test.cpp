// Reading settei.txt (defaults, records, the end record, odd input) and changing it.
#include "run/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/cp932.h"
#include "core/file_store.h"

#include "support/recording_context.h"
#include "support/temp_folder.h"

namespace karigane {
namespace {

using testing::recording_context;
using testing::temp_folder;

mode_t current_umask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

program_settings read_with(const temp_folder& dir, const std::string* text_cp932 = nullptr,
                           const std::string* raw = nullptr) {
  if (text_cp932) testing::write_cp932(dir.path() + "settei.txt", *text_cp932);
  if (raw) testing::write_bytes(dir.path() + "settei.txt", *raw);
  recording_context ctx(dir.path());
  return read_settings(ctx.program_folder, ctx.factory_folder, &ctx);
}

TEST(Settings, WithoutAFileTheDefaultsStand) {
  temp_folder dir;
  const program_settings s = read_with(dir);
  EXPECT_EQ(s.layout.database, dir.path() + "kabuka/");
  EXPECT_EQ(s.layout.adjusted, dir.path() + "kabuka/syusei_kabuka/");
  EXPECT_EQ(s.quote_site.history_form, "新");
  EXPECT_EQ(s.quote_site.margin_form, "新");
  EXPECT_EQ(s.layout.latest_name, "data_d");
  EXPECT_EQ(s.layout.prices_name, "data_m");
  EXPECT_EQ(s.layout.margin_name, "data_c");
  EXPECT_EQ(s.layout.independent_name, "data_ztan");
  EXPECT_EQ(s.layout.consolidated_name, "data_zren");
  EXPECT_EQ(s.layout.interim_name, "data_ztyu");
  EXPECT_EQ(s.quote_site.kabuka_site_url, "http://info.finance.yahoo.co.jp");
}

TEST(Settings, OneRecordChangesOnlyItsField) {
  temp_folder dir;
  const std::string text = "信用売買残フォルダ名,credit\r\nEOF,EOF\r\n";
  const program_settings s = read_with(dir, &text);
  EXPECT_EQ(s.layout.margin_name, "credit");
  EXPECT_EQ(s.layout.prices_name, "data_m");
  EXPECT_EQ(s.layout.database, dir.path() + "kabuka/");
}

TEST(Settings, FolderValuesWithBackslashesAreRelativeToTheProgramFolder) {
  temp_folder dir;
  const std::string text =
      "株価データベースフォルダパス,data2\\\r\n修正株価データベースフォルダパス,\"adj\\x\\\"\r\n"
      "株価サイトURL,http://127.0.0.1:8080/\r\nEOF,EOF\r\n";
  const program_settings s = read_with(dir, &text);
  EXPECT_EQ(s.layout.database, dir.path() + "data2/");
  EXPECT_EQ(s.layout.adjusted, dir.path() + "adj/x/");
  EXPECT_EQ(s.quote_site.kabuka_site_url, "http://127.0.0.1:8080");
}

TEST(Settings, AccessIntervalAndCertificateFile) {
  temp_folder dir;
  const program_settings defaults = read_with(dir);
  EXPECT_EQ(defaults.connection.access_interval_ms, 500);
  EXPECT_EQ(defaults.connection.ca_certificate_file, "");

  // Whole milliseconds up to a minute; anything else keeps the default.
  const std::vector<std::pair<std::string, int>> intervals{
      {"0", 0}, {"1200", 1200}, {"60000", 60000}, {"60001", 500}, {"-1", 500}, {"1.5", 500}, {"abc", 500}, {"", 500}};
  for (const auto& [value, expected] : intervals) {
    const std::string text = "アクセス間隔ミリ秒," + value + "\r\nEOF,EOF\r\n";
    EXPECT_EQ(read_with(dir, &text).connection.access_interval_ms, expected) << value;
  }

  // The certificate file lies below the program folder unless its path is absolute.
  const std::vector<std::pair<std::string, std::string>> files{
      {"certs\\local.pem", dir.path() + "certs/local.pem"}, {"/etc/ssl/extra.pem", "/etc/ssl/extra.pem"}};
  for (const auto& [value, expected] : files) {
    const std::string text = "CA証明書ファイル," + value + "\r\nEOF,EOF\r\n";
    EXPECT_EQ(read_with(dir, &text).connection.ca_certificate_file, expected) << value;
  }
}

TEST(Settings, EndRecordNeedsBothFieldsAndLaterRecordsOverride) {
  temp_folder dir;
  const std::string text =
      "EOF,x\r\n時系列株価取得サイト,Ｍ\r\n時系列株価取得サイト,新2\r\nEOF,EOF\r\n"
      "時系列株価フォルダ名,after_end\r\n";
  const program_settings s = read_with(dir, &text);
  EXPECT_EQ(s.quote_site.history_form, "新2");
  EXPECT_EQ(s.layout.prices_name, "data_m");
}

TEST(Settings, AFileWithoutTheEndRecordEndsAtItsLastLine) {
  temp_folder dir;
  const std::string text = "最新日株価フォルダ名,daily\r\n時系列株価フォルダ名";
  const program_settings s = read_with(dir, &text);
  EXPECT_EQ(s.layout.latest_name, "daily");
  EXPECT_EQ(s.layout.prices_name, "");
}

TEST(Settings, Utf8AndJunkBytesAreReadWithoutHarm) {
  temp_folder dir;
  const std::string utf8 = "\xEF\xBB\xBF時系列株価取得サイト,Ｍ\nEOF,EOF\n";
  EXPECT_EQ(read_with(dir, nullptr, &utf8).quote_site.history_form, "Ｍ");
  const std::string junk = std::string("\xFF\xFE\x00\x81,\"unclosed", 12);
  const program_settings s = read_with(dir, nullptr, &junk);
  EXPECT_EQ(s.layout.prices_name, "data_m");
}

TEST(Settings, StopFlagEndsTheReading) {
  temp_folder dir;
  testing::write_cp932(dir.path() + "settei.txt", "時系列株価フォルダ名,x\r\nEOF,EOF\r\n");
  recording_context ctx(dir.path());
  ctx.set_stop_flag(true);
  EXPECT_EQ(read_settings(ctx.program_folder, "", &ctx).layout.prices_name, "data_m");
}

// The window's settings and `init` change some values and keep the rest of a hand-kept file: its
// unknown keys, its notes after the end record, its encoding; a key makes the file private.
TEST(Settings, ChangingValuesKeepsTheRestOfTheFile) {
  temp_folder dir;
  const std::string path = dir.path() + "settei.txt";
  testing::write_cp932(path, "アクセス間隔ミリ秒,900\r\n自作キー,そのまま\r\n"
                             "データ取得元,株価サイト\r\nEOF,EOF\r\nメモ：手で書いた行\r\n");
  ASSERT_TRUE(change_settings_file(dir.path(), {{"データ取得元", "J-Quants"},
                                                {"J-QuantsAPIキー", "abc,def"}}));
  std::string bytes;
  ASSERT_TRUE(read_file_bytes(path, bytes));
  EXPECT_EQ(cp932_to_utf8(bytes),
            "アクセス間隔ミリ秒,900\r\n自作キー,そのまま\r\nデータ取得元,J-Quants\r\n"
            "J-QuantsAPIキー,\"abc,def\"\r\nEOF,EOF\r\nメモ：手で書いた行\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const program_settings s = read_with(dir);
  EXPECT_EQ(s.source, source_id::jquants);
  EXPECT_EQ(s.jquants.api_key, "abc,def");
  EXPECT_FALSE(change_settings_file(dir.path(), {{"J-QuantsAPIキー", "a\"b"}}));
  EXPECT_EQ(s.connection.access_interval_ms, 900);
  EXPECT_EQ(unknown_settings_keys(dir.path()), std::vector<std::string>{"自作キー"});

  // Without a file: the defaults with the change, readable by all while it holds no key.
  temp_folder fresh;
  ASSERT_TRUE(change_settings_file(fresh.path(), {{"株価サイトURL", "http://127.0.0.1:8080"}}));
  ASSERT_EQ(::stat((fresh.path() + "settei.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u & ~current_umask());
  EXPECT_EQ(read_with(fresh).quote_site.kabuka_site_url, "http://127.0.0.1:8080");
  EXPECT_TRUE(unknown_settings_keys(fresh.path()).empty());
}

}  // namespace
}  // namespace karigane
