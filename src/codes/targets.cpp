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
#include "kinds/data_kinds.h"

namespace karigane {
namespace {

// The box text becomes the numeric value of its trimmed text, without blanks; a code with
// letters stays as it is.
std::string normalised_code_box(const std::string& text) {
  const std::string t = trim(text);
  if (is_stock_code(t) && !is_numeric_code(t)) return t;
  const double v = val(t);
  if (v == std::floor(v) && std::fabs(v) < 1e15) return num_text(static_cast<std::int64_t>(v));
  std::string s = std::to_string(v);
  while (!s.empty() && s.back() == '0') s.pop_back();
  return s;
}

// A code of the code table: four digits 1000..9999 (blanks and a leading zero allowed), or a
// code with letters; anything else is not a code.
bool table_code(const std::string& text, std::string& code) {
  const std::string t = trim(text);
  if (is_stock_code(t) && !is_numeric_code(t)) {
    code = t;
    return is_target_code(t);
  }
  if (t.empty() || t.size() > 5) return false;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
  }
  const std::int64_t v = int_value(t);
  if (v < 1000 || v > 9999) return false;
  code = num_text(v);
  return true;
}

bool code_order(const std::string& a, const std::string& b) { return compare_codes(a, b) < 0; }

target_selection single_code(const code_selection& selection) {
  target_selection r;
  r.shown = selection;
  r.shown.first = normalised_code_box(selection.first);
  if (!is_target_code(r.shown.first)) {
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
  // Fields that are not codes (letters, out of range) are left out, so that no address is ever
  // built from them, and counted; a blank field is skipped and a file shorter than its count
  // ends quietly.
  for (std::int64_t i = 1; i <= n && reader.next(field); ++i) {
    std::string code;
    if (table_code(field, code)) {
      r.codes.push_back(code);
    } else if (!trim(field).empty()) {
      ctx.failures.add(
          {"", "", ctx.relative_path(layout.code_table_file()), kNotAStockCodeText + trim(field)});
    }
  }
  ctx.pump();
  if (r.codes.empty()) {
    r.outcome = status::failure("銘柄数が0です。");
    return r;
  }
  // Ascending in code order; equal codes keep their order.
  std::stable_sort(r.codes.begin(), r.codes.end(), code_order);
  ctx.pump();
  return r;
}

// The codes with letters that the stock list holds from `first` to `last`: the range takes them
// from there, as there are far too many possible ones to ask the site for each.
std::vector<std::string> listed_letter_codes(run_context& ctx, const program_layout& layout,
                                             const std::string& first, const std::string& last) {
  std::vector<std::string> found;
  stock_list list;
  if (!read_stock_list(ctx, layout, list)) return found;
  for (const stock_entry& e : list.entries) {
    const std::string code = trim(e.code);
    if (is_stock_code(code) && !is_numeric_code(code) && compare_codes(code, first) >= 0 &&
        compare_codes(code, last) <= 0) {
      found.push_back(code);
    }
  }
  return found;
}

target_selection code_range(run_context& ctx, const program_layout& layout,
                            const code_selection& selection) {
  target_selection r;
  r.shown = selection;
  r.shown.first = normalised_code_box(selection.first);
  r.shown.last = normalised_code_box(selection.last);
  if (!is_target_code(r.shown.first) || !is_target_code(r.shown.last)) {
    r.outcome = status::failure(kCheckCodeText);
    return r;
  }
  if (compare_codes(r.shown.first, r.shown.last) > 0) std::swap(r.shown.first, r.shown.last);
  const std::string& first = r.shown.first;
  const std::string& last = r.shown.last;
  // Every numeric code between the ends but 1000 and 1005 to 1300; the codes with letters of
  // the stock list and of the ends themselves.
  for (std::int64_t value = 1001; value < 10000; ++value) {
    const std::string code = num_text(value);
    if (compare_codes(code, first) < 0 || compare_codes(code, last) > 0) continue;
    if (value < 1005 || value > 1300) {
      r.codes.push_back(code);
      ctx.pump();
    }
  }
  std::vector<std::string> lettered = listed_letter_codes(ctx, layout, first, last);
  for (const std::string& end : {first, last}) {
    if (!is_numeric_code(end)) lettered.push_back(end);
  }
  if (!lettered.empty()) {
    r.codes.insert(r.codes.end(), lettered.begin(), lettered.end());
    std::sort(r.codes.begin(), r.codes.end(), code_order);
    r.codes.erase(std::unique(r.codes.begin(), r.codes.end()), r.codes.end());
  }
  return r;
}

// A code asked for by itself that the list lacks: counted, and, when the list was last renewed
// more than a year ago, how to renew it.
void note_unlisted_code(run_context& ctx, const program_layout& layout, const stock_list& list,
                        const std::string& code) {
  ctx.failures.add({code, "", "", kNotInStockListText});
  const date today = ctx.now().day;
  const date year_ago{today.y - 1, today.m, std::min(today.d, days_in_month(today.y - 1, today.m))};
  const std::optional<date> renewed = parse_yyyymmdd(trim(list.renewed_on));
  if (!renewed || !(*renewed < year_ago)) return;
  ctx.failures.add_note("銘柄リストは " + slash_text(*renewed) +
                        " のものです。最新日株価の収集が新しくします: karigane --dir " +
                        shell_word(layout.program_folder) +
                        " collect --latest --no-timeseries --code " + code);
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
      return code_range(ctx, layout, selection);
  }
  return {};
}

std::vector<std::string> listed_targets(run_context& ctx, const program_layout& layout,
                                        const std::vector<std::string>& codes,
                                        bool count_unlisted) {
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
  const std::string list_file = ctx.relative_path(layout.stock_list_file());
  std::unordered_map<std::string, std::vector<std::size_t>> places;
  for (std::size_t k = 0; k < list.entries.size(); ++k) {
    // The list's text becomes the code of paths and addresses: only stock codes may.
    const std::string code = trim(list.entries[k].code);
    if (is_stock_code(code)) {
      places[code].push_back(k);
    } else if (!code.empty()) {
      ctx.failures.add({"", kStockListLabel, list_file, kNotAStockCodeText + code});
    }
  }
  std::vector<std::string> kept;
  std::size_t next = 0;
  for (const std::string& target : codes) {
    ctx.pump();
    if (ctx.stop_flag()) return {};
    const auto it = places.find(target);
    const auto at = it == places.end()
                        ? std::vector<std::size_t>::const_iterator()
                        : std::lower_bound(it->second.begin(), it->second.end(), next);
    if (it == places.end() || at == it->second.end()) {
      if (count_unlisted) note_unlisted_code(ctx, layout, list, target);
      continue;
    }
    kept.push_back(target);
    next = *at + 1;
  }
  ctx.set_label1("", label_colour::blue);
  return kept;
}

bool is_target_code(const std::string& text) {
  return is_stock_code(text) && compare_codes(text, "1000") >= 0;
}

bool code_box_is_invalid(const std::string& text) {
  const std::string t = trim(text);
  if (is_stock_code(t) && !is_numeric_code(t)) return !is_target_code(t);
  const double v = val(text);
  return v < 1000 || v > 9999;
}

}  // namespace karigane
