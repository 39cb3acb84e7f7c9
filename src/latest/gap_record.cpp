// The record of gaps in stored time series: see gap_record.h.
#include "latest/gap_record.h"

#include <algorithm>
#include <vector>

#include "core/fields.h"
#include "core/stock_code.h"

namespace karigane {

status read_gap_record(const program_layout& layout, gap_record_t& record) {
  record.clear();
  std::string text;
  if (const file_status read = read_cp932_file(layout.gap_record_file(), text); !read) {
    if (read.missing()) return status::missing;
    return {status::io_error, read.error()};
  }
  field_reader reader(text);
  std::vector<std::string> fields;
  if (!reader.next_line(fields) || fields.size() != 3) return status::damaged;
  while (reader.next_line(fields)) {
    if (fields.size() == 1 && fields[0].empty()) continue;
    const auto stored = fields.size() == 3 ? parse_yyyymmdd(fields[1]) : std::nullopt;
    const auto latest = fields.size() == 3 ? parse_yyyymmdd(fields[2]) : std::nullopt;
    // A code is input like any other: one that is no stock code never reaches a path.
    if (!stored || !latest || !is_stock_code(fields[0])) {
      record.clear();
      return status::damaged;
    }
    note_gap(record, fields[0], *stored, *latest);
  }
  return status::ok;
}

file_status write_gap_record(const program_layout& layout, const gap_record_t& record) {
  const std::string path = layout.gap_record_file();
  if (record.empty()) {
    const file_status removed = remove_file(path);
    return removed.missing() ? file_status() : removed;
  }
  csv_text out;
  out.add_row({"銘柄コード", "保存最終日", "最新日"});
  for (const auto& [code, gap] : record) {
    out.add_row({code, yyyymmdd(gap.stored_through), yyyymmdd(gap.latest)});
  }
  return write_file_atomic(path, out.cp932());
}

void note_gap(gap_record_t& record, const std::string& code, const date& stored_through,
              const date& latest) {
  const auto [it, added] = record.try_emplace(code, noted_gap{stored_through, latest});
  if (added) return;
  it->second.stored_through = std::min(it->second.stored_through, stored_through);
  it->second.latest = std::max(it->second.latest, latest);
}

}  // namespace karigane
