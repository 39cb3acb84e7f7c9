// The CSV export: see csv_export.h.
#include "export/csv_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>

#include "core/file_faults.h"
#include "core/file_store.h"
#include "export/csv_export_set.h"

namespace karigane {
namespace {

constexpr std::size_t kFlushBytes = 1 << 20;

}  // namespace

struct csv_export_sink::impl {
  struct table_file {
    std::string path, staged, shown;
    int fd = -1;
    std::string buffer;
    std::size_t size = 0;  // bytes written
  };
  std::string folder, shown, staging;
  std::string& error;
  std::array<table_file, kExportTableCount> files;

  impl(std::string f, std::string s, std::string& e)
      : folder(std::move(f)), shown(std::move(s)), error(e) {}

  bool fail(const table_file& f) {
    error = "ファイルを書き込めません: " + f.shown;
    return false;
  }

  bool write(table_file& f, std::string_view bytes) {
    if (injected_file_error(file_call::write, f.path) != 0) return fail(f);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return fail(f);
      }
      done += static_cast<std::size_t>(n);
    }
    f.size += bytes.size();
    return true;
  }

  bool flush(table_file& f) {
    if (!write(f, f.buffer)) return false;
    f.buffer.clear();
    return true;
  }

  void close_files() {
    for (table_file& f : files) {
      if (f.fd >= 0) ::close(f.fd);
      f.fd = -1;
    }
  }

  void discard() {
    close_files();
    if (staging.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(staging, ec);
    staging.clear();
  }
};

csv_export_sink::csv_export_sink(std::string folder, std::string shown_folder)
    : impl_(std::make_unique<impl>(std::move(folder), std::move(shown_folder), error_)) {}

csv_export_sink::~csv_export_sink() { impl_->discard(); }

bool csv_export_sink::begin(const std::vector<export_source>&, const std::vector<source_stamp>&) {
  impl& m = *impl_;
  if (const std::string foreign = foreign_export_file(m.folder); !foreign.empty()) {
    m.error = not_an_export_text(m.shown + foreign);
    return false;
  }
  m.staging = m.folder + std::string(kTemporaryFileMark) + std::to_string(::getpid()) + "/";
  if (!ensure_folder(m.staging)) {
    m.staging.clear();
    m.error = "フォルダを作成できません: " + m.shown;
    return false;
  }
  for (export_table t : all_export_tables()) {
    const export_table_layout& layout = table_layout(t);
    impl::table_file& f = m.files[static_cast<std::size_t>(t)];
    const std::string& name = csv_export_file_names()[static_cast<std::size_t>(t)];
    f.path = m.folder + name;
    f.shown = m.shown + name;
    f.staged = m.staging + name;
    if (injected_file_error(file_call::create, f.path) != 0) return m.fail(f);
    f.fd = ::open(f.staged.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f.fd < 0) return m.fail(f);
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
  if (rows.lines > 0) return;
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
  if (f.buffer.size() + rows.prepared.size() <= kFlushBytes &&
      rows.prepared.size() < kFlushBytes / 16) {
    f.buffer += rows.prepared;
    return true;
  }
  return m.flush(f) && m.write(f, rows.prepared);
}

bool csv_export_sink::finish() {
  impl& m = *impl_;
  // Every table is complete, and its size in the manifest, before the first one is switched.
  std::vector<std::size_t> sizes;
  for (impl::table_file& f : m.files) {
    if (!m.flush(f)) return false;
    const int rc = ::close(f.fd);
    f.fd = -1;
    if (rc != 0) return m.fail(f);
    sizes.push_back(f.size);
  }
  const std::string manifest(kCsvManifestName);
  if (!write_file_atomic(m.staging + manifest, csv_manifest_text(sizes))) {
    m.error = "ファイルを書き込めません: " + m.shown + manifest;
    return false;
  }
  std::string failed;
  const bool switched = switch_in_staged_set(m.folder, m.staging, failed);
  // Removed by the switch, or kept by it for the next export to put the old files back.
  m.staging.clear();
  if (!switched) {
    m.error = "ファイルを書き込めません: " + m.shown + failed;
    return false;
  }
  return true;
}

void csv_export_sink::abandon() { impl_->discard(); }

}  // namespace karigane
