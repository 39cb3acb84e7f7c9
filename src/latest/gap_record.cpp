// The record of gaps in stored time series: see gap_record.h.
#include "latest/gap_record.h"

#include <algorithm>
#include <vector>

#include "core/fields.h"

namespace karigane {

std::string gap_record_path(const settei_record& settei) {
  return settei.kabuka_path + settei.data_m_name + "_gaps.csv";
}

read_result read_gap_record(const settei_record& settei, gap_record_t& record) {
  record.clear();
  std::string text;
  if (const file_status read = read_cp932_file(gap_record_path(settei), text); !read) {
    if (read.missing()) return read_result::missing;
    return {read_result::unreadable, read.error()};
  }
  field_reader reader(text);
  std::vector<std::string> fields;
  if (!reader.next_line(fields) || fields.size() != 3) return read_result::damaged;
  while (reader.next_line(fields)) {
    if (fields.size() == 1 && fields[0].empty()) continue;
    const auto stored = fields.size() == 3 ? parse_yyyymmdd(fields[1]) : std::nullopt;
    const auto latest = fields.size() == 3 ? parse_yyyymmdd(fields[2]) : std::nullopt;
    if (!stored || !latest || fields[0].empty()) {
      record.clear();
      return read_result::damaged;
    }
    note_gap(record, fields[0], *stored, *latest);
  }
  return read_result::ok;
}

file_status write_gap_record(const settei_record& settei, const gap_record_t& record) {
  const std::string path = gap_record_path(settei);
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
