// Reading, restoring and writing the stock list: see stock_list.h.
#include "codes/stock_list.h"

#include <algorithm>

#include "core/damaged_file.h"
#include "core/failure_tally.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/text.h"

namespace karigane {

std::string meigara_list_path(const run_context& ctx) {
  return ctx.program_folder + "meigara_list.csv";
}

std::string meigara_list_org_path(const run_context& ctx) {
  const std::string own = ctx.program_folder + "meigara_list_org.csv";
  if (file_exists(own) || ctx.factory_folder.empty()) return own;
  return ctx.factory_folder + "meigara_list_org.csv";
}

namespace {

bool read_entry(field_reader& reader, meigara_entry& e) {
  bool ok = reader.next(e.d1_meigarasuu_meigaracode);
  ok = reader.next(e.market_code) && ok;
  ok = reader.next(e.market_name) && ok;
  ok = reader.next(e.meigara_name) && ok;
  return ok;
}

}  // namespace

bool plain_code(const std::string& text) {
  const std::string t = trim(text);
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void read_meigara_list_sub(run_context& ctx, meigara_list_t& meigara_list,
                           std::int16_t& error_flag_s, std::string& error_msg_s,
                           read_result* read) {
  const std::string path = meigara_list_path(ctx);
  bool restored = false;
  if (read) *read = read_result::ok;
  while (true) {
    error_flag_s = kFalse;
    error_msg_s.clear();
    ctx.pump();
    std::string text;
    if (const file_status status = read_cp932_file(path, text); !status) {
      error_flag_s = kTrue;
      if (status.missing()) {
        if (read) *read = read_result::missing;
        error_msg_s = "銘柄リストがありません。";
        return;
      }
      // There but unreadable: not a missing list, which the renewal would build afresh.
      const read_result r(read_result::unreadable, status.error());
      if (read) *read = r;
      error_msg_s = damaged_file_message(path);
      report_damaged_file(ctx, "", kKindStockList, path, r);
      return;
    }
    field_reader reader(text);
    meigara_list.assign(1, meigara_entry{});
    read_entry(reader, meigara_list[0]);
    const double count = val(meigara_list[0].d1_meigarasuu_meigaracode);
    const std::int64_t n =
        std::clamp<std::int64_t>(round_half_even(count), 0, kMeigaraListCapacity);
    for (std::int64_t i = 1; i <= n; ++i) {
      if (reader.at_end()) break;
      meigara_list.emplace_back();
      read_entry(reader, meigara_list.back());
      if (ctx.stop_flag()) break;
    }
    if (count > kMeigaraListCapacity && !restored) {
      // A damaged list: the factory copy takes its place, once per call.
      const std::string org = meigara_list_org_path(ctx);
      bool source_failed = false;
      if (const file_status copied = copy_file_over(org, path, &source_failed); !copied) {
        if (!source_failed) {
          ctx.set_write_error(path);
          error_flag_s = kTrue;
          error_msg_s = ctx.run_error();
          return;
        }
        if (!copied.missing()) {
          report_unusable_file(ctx, "", kKindStockList, org,
                               read_result(read_result::unreadable, copied.error()),
                               org + " を読めないため、銘柄リストを復元できませんでした。");
        }
      }
      restored = true;
      ctx.pump();
      continue;
    }
    error_flag_s = kFalse;
    error_msg_s.clear();
    ctx.pump();
    return;
  }
}

void write_meigara_list_sub(run_context& ctx, const meigara_list_t& meigara_list,
                            std::int16_t& error_flag_s, std::string& error_msg_s) {
  error_flag_s = kFalse;
  error_msg_s.clear();
  ctx.pump();
  csv_text out;
  if (!meigara_list.empty()) {
    const std::size_t n = meigara_count(meigara_list);
    for (std::size_t i = 0; i <= n; ++i) {
      const meigara_entry& e = meigara_list[i];
      out.add_row({e.d1_meigarasuu_meigaracode, e.market_code, e.market_name, e.meigara_name});
    }
  }
  if (!write_file_atomic(meigara_list_path(ctx), out.cp932())) {
    error_flag_s = kTrue;
    error_msg_s = "銘柄リストをファイルに書き込めません。";
    ctx.set_write_error(meigara_list_path(ctx));
  }
  ctx.pump();
}

std::size_t meigara_count(const meigara_list_t& meigara_list) {
  if (meigara_list.empty()) return 0;
  const std::int64_t n = int_value(meigara_list[0].d1_meigarasuu_meigaracode);
  if (n <= 0) return 0;
  return std::min<std::size_t>(static_cast<std::size_t>(n), meigara_list.size() - 1);
}

const meigara_entry* find_meigara(const meigara_list_t& meigara_list, const std::string& code) {
  const double v = val(code);
  const std::size_t n = meigara_count(meigara_list);
  for (std::size_t i = 1; i <= n; ++i) {
    if (val(meigara_list[i].d1_meigarasuu_meigaracode) == v) return &meigara_list[i];
  }
  return nullptr;
}

}  // namespace karigane
