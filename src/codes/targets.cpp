// Target selection and the check against the stock list: see targets.h.
#include "codes/targets.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "codes/stock_list.h"
#include "core/cp932.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/stock_code.h"
#include "core/text.h"

namespace karigane {
namespace {

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

target_selection single_code(const code_selection& selection) {
  target_selection r;
  r.shown = selection;
  r.shown.first = normalised_code_box(selection.first);
  if (!valid_code_value(r.shown.first)) {
    r.outcome = status::failure(kCheckCodeText);
    return r;
  }
  r.codes = {r.shown.first};
  return r;
}

target_selection code_table(run_context& ctx, const program_layout& layout,
                            const code_selection& selection) {
  target_selection r;
  r.shown = selection;
  std::string bytes;
  if (const file_status read = read_file_bytes(layout.code_table_file(), bytes); !read) {
    r.outcome = status::failure(read.missing() ? "ファイル　download_code.csv　がありません。"
                                               : "ファイル　download_code.csv　を読めません: " +
                                                     file_error_text(read.error()));
    return r;
  }
  const std::string text = decode_user_text(bytes);
  field_reader reader(text);
  std::string field;
  reader.next(field);
  const std::int64_t n = std::max<std::int64_t>(0, int_value(field));
  // Fields that are not codes (blank, letters, out of range) are left out, so that no
  // address is ever built from them; a file shorter than its count ends quietly.
  for (std::int64_t i = 1; i <= n && reader.next(field); ++i) {
    std::string code;
    if (table_code(field, code)) r.codes.push_back(code);
  }
  ctx.pump();
  if (r.codes.empty()) {
    r.outcome = status::failure("銘柄数が0です。");
    return r;
  }
  // Ascending by numeric value; equal codes keep their order.
  std::stable_sort(r.codes.begin(), r.codes.end(),
                   [](const std::string& a, const std::string& b) { return val(a) < val(b); });
  ctx.pump();
  return r;
}

target_selection code_range(run_context& ctx, const code_selection& selection) {
  target_selection r;
  r.shown = selection;
  r.shown.first = normalised_code_box(selection.first);
  r.shown.last = normalised_code_box(selection.last);
  if (!valid_code_value(r.shown.first) || !valid_code_value(r.shown.last)) {
    r.outcome = status::failure(kCheckCodeText);
    return r;
  }
  if (val(r.shown.first) > val(r.shown.last)) std::swap(r.shown.first, r.shown.last);
  const std::int64_t first = int_value(r.shown.first);
  const std::int64_t last = int_value(r.shown.last);
  for (std::int64_t code = first; code <= last; ++code) {
    if ((code > 1000 && code < 1005) || (code > 1300 && code < 10000)) {
      r.codes.push_back(num_text(code));
      ctx.pump();
    }
  }
  return r;
}

}  // namespace

target_selection select_targets(run_context& ctx, const program_layout& layout,
                                const code_selection& selection) {
  switch (selection.mode) {
    case selection_mode::single:
      return single_code(selection);
    case selection_mode::table:
      return code_table(ctx, layout, selection);
    case selection_mode::range:
      return code_range(ctx, selection);
  }
  return {};
}

std::vector<std::string> listed_targets(run_context& ctx, const program_layout& layout,
                                        const std::vector<std::string>& codes) {
  ctx.set_label1("銘柄コードのチェック処理", label_colour::blue);
  stock_list list;
  if (!read_stock_list(ctx, layout, list)) {
    ctx.set_label1("", label_colour::blue);
    return codes;
  }
  ctx.pump();
  if (ctx.stop_flag()) return {};
  // Where each code stands in the list, ascending: a target is found at the first place after
  // the previous target's, in one look-up instead of a walk down the list.
  std::unordered_map<std::string, std::vector<std::size_t>> places;
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    // The list's text becomes the code of paths and addresses: only stock codes may.
    const std::string code = trim(list.entries[k].code);
    if (is_stock_code(code)) places[code].push_back(k);
  }
  std::vector<std::string> kept;
  std::size_t next = 0;
  for (const std::string& target : codes) {
    ctx.pump();
    if (ctx.stop_flag()) return {};
    const auto it = places.find(target);
    if (it == places.end()) continue;
    const auto at = std::lower_bound(it->second.begin(), it->second.end(), next);
    if (at == it->second.end()) continue;
    kept.push_back(target);
    next = *at + 1;
  }
  ctx.set_label1("", label_colour::blue);
  return kept;
}

bool code_box_is_invalid(const std::string& text) {
  const double v = val(text);
  return v < 1000 || v > 9999;
}

}  // namespace karigane
