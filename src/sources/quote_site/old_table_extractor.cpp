// The "旧" old margin table page: see old_table_extractor.h. Its period is a form of text
// inputs for the years and days and selects for the months. The markers in one pass, the rest
// near them.
#include "sources/quote_site/old_table_extractor.h"

#include <array>

#include "core/stock_code.h"
#include "sources/quote_site/margin_page_parts.h"

namespace karigane {
namespace {

constexpr const char* kOtherPeriod = "信用売買残の情報はありませんでした";

// The markers found in the page's one pass; an index's page also has its index code marker.
enum marker : std::size_t {
  kNoData,
  kNoDataInPeriod,
  kCodeLabel,
  kValue,
  kYearLabel,
  kStartYear,
  kSelected,
  kInput,
  kEndYear,
  kEndDay,
  kTableName,
  kNameClass,
  kRatioHead,
  kTableEnd,
  kIndexCode,
};

constexpr std::array<std::string_view, kIndexCode> kMarkers{
    "信用残データはありません", "この検索期間の信用残データはありません", "銘柄コード:",
    "value=", ">年<", "name=c", "selected", "<INPUT", "name=f", "name=e",
    "id=tableName", "class=yjXL", ">信用倍率<", "</TBODY"};

// Reading goes on from `pos`; once a marker is missing `pos` is 0 and every later read gives
// an empty text, so the period cannot match.
class period_reader {
 public:
  explicit period_reader(const page_markers& page) : page_(page), text_(page.page()) {}

  // The first `length` characters of the value of the input whose tag holds `name_marker`
  // ("name=c"): back to the tag's "<", then "value=".
  std::string input_value(std::size_t name_marker, std::size_t length) {
    if (!find(name_marker)) return {};
    pos_ = find_back(text_, "<", pos_);
    return value_chars(length);
  }

  // The first `length` characters of the value of the next "<INPUT".
  std::string next_input_value(std::size_t length) {
    if (!find(kInput)) return {};
    return value_chars(length);
  }

  // The text of the next selected option: after "selected", from the next ">" up to "<".
  std::string selected_text() {
    if (!find(kSelected) || !find_near(">")) return {};
    const std::size_t from = pos_ + 1;
    if (!find_near("<")) return {};
    return trim(slice(text_, from, pos_));
  }

  bool find(std::size_t marker) {
    if (pos_ == 0) return false;
    pos_ = page_.find(marker, pos_);
    return pos_ != 0;
  }

 private:
  // A text that follows close by: searched on from `pos`.
  bool find_near(std::string_view text) {
    if (pos_ == 0) return false;
    pos_ = find_at(text_, text, pos_);
    return pos_ != 0;
  }

  std::string value_chars(std::size_t length) {
    if (pos_ == 0 || !find(kValue)) return {};
    pos_ += 6;
    return std::string(first_chars(text_, pos_, length));
  }

  const page_markers& page_;
  std::string_view text_;
  std::size_t pos_ = 1;
};

// A day input's two characters, of which a one-digit day leaves the tag's ">" as the second.
std::string day_text(std::string two) {
  if (two.size() == 2 && two[1] == '>') two.resize(1);
  return zero_pad_below_10(two);
}

bool old_table_shows_window(const page_markers& page, const kikan_row& window) {
  period_reader r(page);
  r.find(kYearLabel);
  const std::string y1 = r.input_value(kStartYear, 4);
  const std::string m1 = zero_pad_below_10(r.selected_text());
  const std::string d1 = day_text(r.next_input_value(2));
  const std::string y2 = r.input_value(kEndYear, 4);
  const std::string m2 = zero_pad_below_10(r.selected_text());
  const std::string d2 = day_text(r.input_value(kEndDay, 2));
  return slash_text(window.start) == y1 + "/" + m1 + "/" + d1 &&
         slash_text(window.end) == y2 + "/" + m2 + "/" + d2;
}

// The code of the "銘柄コード:" input: its value up to the ".".
bool stock_code_input(const page_markers& page, std::string& page_code) {
  const std::size_t label = page.find(kCodeLabel);
  return label != 0 && code_before_dot(page, kValue, label, page_code);
}

}  // namespace

page_reading read_old_margin_table(run_context& ctx, const std::string& page_text,
                                   const kikan_row& window, bool verify,
                                   credit_tbl_t& credit_tbl) {
  const std::string code = credit_tbl[0][kCreditCode];
  const bool index = is_index_code(code);
  const page_markers m(page_text, kMarkers, index ? index_code_marker(code) : std::string());

  // The page must show the requested stock and window.
  if (verify) {
    if (m.contains(kNoData)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    std::string page_code;
    if (!stock_code_input(m, page_code)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    if (page_code != code) {
      return refused_margin_page(ctx, page_verdict::refused);
    }
    if (!old_table_shows_window(m, window)) {
      return refused_margin_page(ctx, page_verdict::refused, kOtherPeriod);
    }
  }

  // Messages, the name and the code.
  if (m.contains(kNoData)) {
    return accepted_page("error b01:信用残データはありません。");
  }
  if (m.contains(kNoDataInPeriod)) {
    return accepted_page("error b02:この検索期間の信用残データはありません。");
  }
  std::string name;
  switch (read_stock_name(m, kTableName, kNameClass, name)) {
    case name_result::no_first_marker:
      return accepted_page("error b11:銘柄名が取得できませんでした。");
    case name_result::no_second_marker:
      return accepted_page("error b12:銘柄名が取得できませんでした。");
    case name_result::ok: break;
  }
  std::string page_code;
  if (index) {
    page_code = index_page_code(m, kIndexCode, code);
  } else {
    if (!stock_code_input(m, page_code)) {
      return accepted_page(kNoMarginInformation);
    }
    if (!is_stock_code(page_code) || compare_codes(page_code, "1000") < 0) {
      return accepted_page("error b31:コードが取得できませんでした。");
    }
  }
  if (page_code != code) {
    return accepted_page("error b32:コードが取得できませんでした。");
  }
  if (!set_margin_page_header(credit_tbl, page_code, "", name)) return accepted_page();

  // The balance table.
  return read_table(m, kRatioHead, kTableEnd, [&](std::string_view body) {
    read_margin_rows(ctx, body, cell_form::small, credit_tbl);
  });
}

}  // namespace karigane
