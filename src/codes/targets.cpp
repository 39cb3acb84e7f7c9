// Target selection and the validity check: see targets.h.
#include "codes/targets.h"

#include <algorithm>
#include <cmath>

#include "codes/stock_list.h"
#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/text.h"

namespace karigane {

std::size_t code_count(const code_list_t& code_list) {
  if (code_list.empty()) return 0;
  const std::int64_t n = int_value(code_list[0]);
  if (n <= 0) return 0;
  return std::min<std::size_t>(static_cast<std::size_t>(n), code_list.size() - 1);
}

bool code_box_is_invalid(const std::string& text) {
  const double v = val(text);
  return v < 1000 || v > 9999;
}

namespace {

constexpr const char* kCheckCodeMessage = "銘柄コードＮＯをご確認ください。";

// The box text becomes the numeric value of its trimmed text, without blanks.
std::string normalised_code_box(const std::string& text) {
  const double v = val(trim(text));
  if (v == std::floor(v) && std::fabs(v) < 1e15) return num_text(static_cast<std::int64_t>(v));
  std::string s = std::to_string(v);
  while (!s.empty() && s.back() == '0') s.pop_back();
  return s;
}

bool valid_code_value(const std::string& text) {
  const double v = val(text);
  return v >= 1000 && v <= 9999 && v == std::floor(v);
}

// A code of the code table: four digits, 1000..9999; anything else is not a code.
bool table_code(const std::string& text, std::string& code) {
  const std::string t = trim(text);
  if (t.empty() || t.size() > 5) return false;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
  }
  const std::int64_t v = int_value(t);
  if (v < 1000 || v > 9999) return false;
  code = num_text(v);
  return true;
}

void individual_mode(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                     std::string& error_msg_s) {
  ctx.controls.code_txt = normalised_code_box(ctx.controls.code_txt);
  ctx.code_boxes_changed();
  if (!valid_code_value(ctx.controls.code_txt)) {
    code_list.assign(1, "0");
    error_flag_s = kTrue;
    error_msg_s = kCheckCodeMessage;
    return;
  }
  code_list.assign({"1", ctx.controls.code_txt});
}

void table_mode(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                std::string& error_msg_s) {
  std::string bytes;
  if (const file_status read = read_file_bytes(ctx.program_folder + "download_code.csv", bytes);
      !read) {
    error_flag_s = kTrue;
    error_msg_s = read.missing() ? "ファイル　download_code.csv　がありません。"
                                 : "ファイル　download_code.csv　を読めません: " +
                                       file_error_text(read.error());
    return;
  }
  const std::string text = decode_user_text(bytes);
  field_reader reader(text);
  std::string field;
  reader.next(field);
  const std::int64_t n = std::max<std::int64_t>(0, int_value(field));
  // Fields that are not codes (blank, letters, out of range) are left out, so that no
  // address is ever built from them; a file shorter than its count ends quietly.
  std::vector<std::string> codes;
  for (std::int64_t i = 1; i <= n && reader.next(field); ++i) {
    std::string code;
    if (table_code(field, code)) codes.push_back(code);
  }
  ctx.pump();
  if (codes.empty()) {
    code_list.assign(1, "0");
    error_flag_s = kTrue;
    error_msg_s = "銘柄数が0です。";
    return;
  }
  // Ascending by numeric value; equal codes keep their order.
  std::stable_sort(codes.begin(), codes.end(),
                   [](const std::string& a, const std::string& b) { return val(a) < val(b); });
  ctx.pump();
  code_list.assign(1, num_text(static_cast<std::int64_t>(codes.size())));
  code_list.insert(code_list.end(), codes.begin(), codes.end());
}

void range_mode(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                std::string& error_msg_s) {
  control_values& c = ctx.controls;
  c.code_txt = normalised_code_box(c.code_txt);
  c.code1_txt = normalised_code_box(c.code1_txt);
  ctx.code_boxes_changed();
  if (!valid_code_value(c.code_txt) || !valid_code_value(c.code1_txt)) {
    error_flag_s = kTrue;
    error_msg_s = kCheckCodeMessage;
    return;
  }
  if (val(c.code_txt) > val(c.code1_txt)) {
    std::swap(c.code_txt, c.code1_txt);
    ctx.code_boxes_changed();
  }
  const std::int64_t first = int_value(c.code_txt);
  const std::int64_t last = int_value(c.code1_txt);
  code_list.assign(1, "0");
  for (std::int64_t code = first; code <= last; ++code) {
    if ((code > 1000 && code < 1005) || (code > 1300 && code < 10000)) {
      code_list.push_back(num_text(code));
      ctx.pump();
    }
  }
  code_list[0] = num_text(static_cast<std::int64_t>(code_list.size() - 1));
}

}  // namespace

void code_set1_sub(run_context& ctx, code_list_t& code_list, std::int16_t& error_flag_s,
                   std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  switch (ctx.controls.meigara_code_opt) {
    case selection_mode::individual:
      individual_mode(ctx, code_list, error_flag_s, error_msg_s);
      break;
    case selection_mode::table:
      table_mode(ctx, code_list, error_flag_s, error_msg_s);
      break;
    case selection_mode::range:
      range_mode(ctx, code_list, error_flag_s, error_msg_s);
      break;
  }
}

void effective_code_sub(run_context& ctx, code_list_t& code_list) {
  ctx.set_label1("銘柄コードのチェック処理", label_colour::blue);
  meigara_list_t meigara_list;
  std::int16_t flag = kFalse;
  std::string message;
  read_meigara_list_sub(ctx, meigara_list, flag, message);
  if (flag) {
    ctx.set_label1("", label_colour::blue);
    return;
  }
  ctx.pump();
  if (ctx.stop_flag()) return;
  const std::size_t n = code_count(code_list);
  const std::size_t count = meigara_count(meigara_list);
  std::size_t j = 1;
  std::size_t m = 0;
  for (std::size_t i = 1; i <= n; ++i) {
    const double target = val(code_list[i]);
    for (std::size_t k = j; k <= count; ++k) {
      ctx.pump();
      if (ctx.stop_flag()) return;
      // The list's text becomes the code of paths and addresses: only plain digits may.
      const std::string& listed = meigara_list[k].d1_meigarasuu_meigaracode;
      if (plain_code(listed) && val(listed) == target) {
        ++m;
        code_list[m] = trim(listed);
        j = k + 1;
        break;
      }
    }
  }
  code_list[0] = num_text(static_cast<std::int64_t>(m));
  code_list.resize(m + 1);
  ctx.set_label1("", label_colour::blue);
}

}  // namespace karigane
