// The "旧" old margin table page: see old_table_extractor.h. Its period is a form of text
// inputs for the years and days and selects for the months.
#include "sources/quote_site/old_table_extractor.h"

#include "core/stock_code.h"
#include "sources/quote_site/margin_page_parts.h"

namespace karigane {
namespace {

constexpr const char* kOtherPeriod = "信用売買残の情報はありませんでした";

// Reading goes on from `pos`; once a marker is missing `pos` is 0 and every later read gives
// an empty text, so the period cannot match.
class period_reader {
 public:
  explicit period_reader(u32v page) : page_(page) {}

  // The first `length` characters of the value of the input whose tag holds `name_marker`
  // ("name=c"): back to the tag's "<", then "value=".
  std::string input_value(u32v name_marker, std::size_t length) {
    if (!find(name_marker)) return {};
    pos_ = instr_rev(page_, U"<", pos_);
    return value_chars(length);
  }

  // The first `length` characters of the value of the next "<INPUT".
  std::string next_input_value(std::size_t length) {
    if (!find(U"<INPUT")) return {};
    return value_chars(length);
  }

  // The text of the next selected option: after "selected", from the next ">" up to "<".
  std::string selected_text() {
    if (!find(U"selected") || !find(U">")) return {};
    const std::size_t from = pos_ + 1;
    if (!find(U"<")) return {};
    return to_utf8(trim(page_.substr(from - 1, pos_ - from)));
  }

  bool find(u32v marker) {
    if (pos_ == 0) return false;
    pos_ = instr(page_, marker, pos_);
    return pos_ != 0;
  }

 private:
  std::string value_chars(std::size_t length) {
    if (pos_ == 0 || !find(U"value=")) return {};
    pos_ += 6;
    return to_utf8(mid(page_, pos_, length));
  }

  u32v page_;
  std::size_t pos_ = 1;
};

// A day input's two characters, of which a one-digit day leaves the tag's ">" as the second.
std::string day_text(std::string two) {
  if (two.size() == 2 && two[1] == '>') two.resize(1);
  return zero_pad_below_10(two);
}

bool old_table_shows_window(u32v page, const kikan_row& window) {
  period_reader r(page);
  r.find(U">年<");
  const std::string y1 = r.input_value(U"name=c", 4);
  const std::string m1 = zero_pad_below_10(r.selected_text());
  const std::string d1 = day_text(r.next_input_value(2));
  const std::string y2 = r.input_value(U"name=f", 4);
  const std::string m2 = zero_pad_below_10(r.selected_text());
  const std::string d2 = day_text(r.input_value(U"name=e", 2));
  return slash_text(window.start) == y1 + "/" + m1 + "/" + d1 &&
         slash_text(window.end) == y2 + "/" + m2 + "/" + d2;
}

// The code of the "銘柄コード:" input: its value up to the ".".
bool stock_code_input(u32v page, std::string& page_code) {
  const std::size_t label = instr(page, U"銘柄コード:");
  return label != 0 && code_before_dot(page, label, U"value=", page_code);
}

}  // namespace

page_reading read_old_margin_table(run_context& ctx, const std::string& page_text,
                                   const kikan_row& window, bool verify,
                                   credit_tbl_t& credit_tbl) {
  const u32 page = to_u32(page_text);
  const std::string code = credit_tbl[0][kCreditCode];

  // The page must show the requested stock and window.
  if (verify) {
    if (contains(page_text, kOldTableNoDataText)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    std::string page_code;
    if (!stock_code_input(page, page_code)) {
      return refused_margin_page(ctx, page_verdict::refused_capped);
    }
    if (page_code != code) {
      return refused_margin_page(ctx, page_verdict::refused);
    }
    if (!old_table_shows_window(page, window)) {
      return refused_margin_page(ctx, page_verdict::refused, kOtherPeriod);
    }
  }

  // Messages, the name and the code.
  if (contains(page_text, "信用残データはありません")) {
    return accepted_page("error b01:信用残データはありません。");
  }
  if (contains(page_text, "この検索期間の信用残データはありません")) {
    return accepted_page("error b02:この検索期間の信用残データはありません。");
  }
  std::string name;
  switch (read_stock_name(page, U"id=tableName", U"class=yjXL", name)) {
    case name_result::no_first_marker:
      return accepted_page("error b11:銘柄名が取得できませんでした。");
    case name_result::no_second_marker:
      return accepted_page("error b12:銘柄名が取得できませんでした。");
    case name_result::ok: break;
  }
  std::string page_code;
  if (is_index_code(code)) {
    page_code = index_page_code(page, code);
  } else {
    if (!stock_code_input(page, page_code)) {
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
  u32v body;
  const body_cut cut = cut_margin_table_body(page, body);
  if (cut != body_cut::ok) {
    return accepted_page(body_cut_message(cut));
  }
  read_margin_rows(ctx, body, cell_form::small, credit_tbl);
  return accepted_page();
}

}  // namespace karigane
