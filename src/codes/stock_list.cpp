// Reading, restoring and writing the stock list: see stock_list.h.
#include "codes/stock_list.h"

#include <algorithm>

#include "core/damaged_file.h"
#include "core/fields.h"
#include "core/file_store.h"
#include "core/text.h"
#include "kinds/data_kinds.h"

namespace karigane {
namespace {

bool read_entry(field_reader& reader, stock_entry& e) {
  bool ok = reader.next(e.code);
  ok = reader.next(e.market_letter) && ok;
  ok = reader.next(e.market_name) && ok;
  ok = reader.next(e.name) && ok;
  return ok;
}

}  // namespace

status read_stock_list(run_context& ctx, const program_layout& layout, stock_list& list) {
  const std::string path = layout.stock_list_file();
  bool restored = false;
  while (true) {
    ctx.pump();
    std::string text;
    if (const file_status opened = read_cp932_file(path, text); !opened) {
      if (opened.missing()) return status(status::missing, kNoStockListText);
      // There but unreadable: not a missing list, which the renewal would build afresh.
      const status r(status::io_error, opened.error());
      report_damaged_file(ctx, "", kStockListLabel, path, r);
      return status(status::io_error, damaged_file_message(path));
    }
    field_reader reader(text);
    stock_entry header;
    read_entry(reader, header);
    list =
        stock_list{header.market_letter, header.market_name, header.name, !header.code.empty(), {}};
    const double count = val(header.code);
    const std::int64_t n = std::clamp<std::int64_t>(round_half_even(count), 0,
                                                    static_cast<std::int64_t>(kStockListCapacity));
    for (std::int64_t i = 1; i <= n; ++i) {
      if (reader.at_end()) break;
      read_entry(reader, list.entries.emplace_back());
      if (ctx.stop_flag()) break;
    }
    if (count > static_cast<double>(kStockListCapacity) && !restored) {
      // A damaged list: the factory copy takes its place, once per call.
      const std::string org = layout.factory_stock_list_file();
      bool source_failed = false;
      if (const file_status copied = copy_file_over(org, path, &source_failed); !copied) {
        if (!source_failed) {
          ctx.set_write_error(path);
          return status::failure(ctx.run_error());
        }
        if (!copied.missing()) {
          report_unusable_file(ctx, "", kStockListLabel, org,
                               status(status::io_error, copied.error()),
                               org + " を読めないため、銘柄リストを復元できませんでした。");
        }
      }
      restored = true;
      ctx.pump();
      continue;
    }
    ctx.pump();
    return status::ok;
  }
}

status write_stock_list(run_context& ctx, const program_layout& layout, const stock_list& list) {
  ctx.pump();
  csv_text out;
  out.add_row({num_text(static_cast<std::int64_t>(list.entries.size())), list.renewed_on,
               list.header_market, list.header_name});
  for (const stock_entry& e : list.entries) {
    out.add_row({e.code, e.market_letter, e.market_name, e.name});
  }
  const std::string path = layout.stock_list_file();
  status written;
  if (!write_file_atomic(path, out.cp932())) {
    ctx.set_write_error(path);
    written = status::failure(kStockListUnwritableText);
  }
  ctx.pump();
  return written;
}

const stock_entry* find_stock(const stock_list& list, const std::string& code) {
  const std::string wanted = trim(code);
  for (const stock_entry& e : list.entries) {
    if (trim(e.code) == wanted) return &e;
  }
  return nullptr;
}

}  // namespace karigane
