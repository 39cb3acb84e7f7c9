// The CSV export: see csv_export.h.
#include "export/csv_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "core/file_store.h"

namespace karigane {
namespace {

constexpr std::size_t kFlushBytes = 1 << 20;

}  // namespace

struct csv_export_sink::impl {
  struct table_file {
    std::string path, temp, shown;
    int fd = -1;
    std::string buffer;
  };
  std::string folder, shown;
  std::string& error;
  std::array<table_file, kExportTableCount> files;

  impl(std::string f, std::string s, std::string& e)
      : folder(std::move(f)), shown(std::move(s)), error(e) {}

  bool fail(const table_file& f) {
    error = "ファイルを書き込めません: " + f.shown;
    return false;
  }

  bool write(table_file& f, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(f);
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool flush(table_file& f) {
    if (!write(f, f.buffer)) return false;
    f.buffer.clear();
    return true;
  }

  void discard() {
    for (table_file& f : files) {
      if (f.fd >= 0) ::close(f.fd);
      f.fd = -1;
      if (!f.temp.empty()) ::unlink(f.temp.c_str());
      f.temp.clear();
    }
  }
};

csv_export_sink::csv_export_sink(std::string folder, std::string shown_folder)
    : impl_(std::make_unique<impl>(std::move(folder), std::move(shown_folder), error_)) {}

csv_export_sink::~csv_export_sink() { impl_->discard(); }

bool csv_export_sink::begin(const std::vector<export_source>&, const std::vector<source_stamp>&) {
  impl& m = *impl_;
  if (!ensure_folder(m.folder)) {
    m.error = "フォルダを作成できません: " + m.shown;
    return false;
  }
  for (export_table t : all_export_tables()) {
    const export_table_layout& layout = table_layout(t);
    impl::table_file& f = m.files[static_cast<std::size_t>(t)];
    const std::string name = std::string(layout.name) + ".csv";
    f.path = m.folder + name;
    f.shown = m.shown + name;
    f.temp = f.path + ".karigane-tmp" + std::to_string(::getpid());
    f.fd = ::open(f.temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f.fd < 0) {
      f.temp.clear();
      return m.fail(f);
    }
    f.buffer = "\xEF\xBB\xBF";
    for (std::size_t c = 0; c < layout.columns.size(); ++c) {
      if (c) f.buffer += ',';
      f.buffer += layout.columns[c].name;
    }
    f.buffer += "\r\n";
  }
  return true;
}

void csv_export_sink::prepare(std::size_t, export_rows& rows) const {
  std::string& out = rows.prepared;
  out.clear();
  out.reserve(rows.cells.size() * 8);
  const export_cell* cell = rows.cells.data();
  for (std::size_t r = 0; r < rows.count(); ++r) {
    for (std::size_t c = 0; c < rows.width; ++c, ++cell) {
      if (c) out += ',';
      append_csv_field(out, *cell,
                       cell->k == export_cell::kind::text ? rows.cells.text_of(*cell)
                                                          : std::string_view());
    }
    out += "\r\n";
  }
}

bool csv_export_sink::put(std::size_t, const export_rows& rows) {
  impl& m = *impl_;
  impl::table_file& f = m.files[static_cast<std::size_t>(rows.table)];
  // Small files gather in the buffer; a large one goes out as it is.
  if (f.buffer.size() + rows.prepared.size() <= kFlushBytes) {
    f.buffer += rows.prepared;
    return true;
  }
  return m.flush(f) && m.write(f, rows.prepared);
}

bool csv_export_sink::finish() {
  impl& m = *impl_;
  // Replaced as every data file is (core/fields.h): renamed once every byte is written.
  for (impl::table_file& f : m.files) {
    if (!m.flush(f)) return false;
    const int rc = ::close(f.fd);
    f.fd = -1;
    if (rc != 0) return m.fail(f);
  }
  // Every table is complete before the first one replaces its old file.
  for (impl::table_file& f : m.files) {
    if (std::rename(f.temp.c_str(), f.path.c_str()) != 0) return m.fail(f);
    f.temp.clear();
  }
  return true;
}

void csv_export_sink::abandon() { impl_->discard(); }

}  // namespace karigane
