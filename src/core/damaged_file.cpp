// Reports of unusable stored files: see damaged_file.h.
#include "core/damaged_file.h"

#include <algorithm>

#include "core/file_store.h"

namespace karigane {

std::string unusable_file_reason(const status& read) {
  if (read == status::io_error)
    return "ファイルを読めません: " + file_error_text(read.error());
  return "ファイルを最後まで読めません: 行数か項目数が見出しと合いません";
}

namespace {

bool already_counted(const run_context& ctx, const std::string& kind, const std::string& where) {
  for (const run_failure& f : ctx.failures.list()) {
    if (f.kind == kind && f.where == where) return true;
  }
  return false;
}

}  // namespace

void report_unusable_file(run_context& ctx, const std::string& code, const std::string& kind,
                          const std::string& path, const status& read,
                          const std::string& message) {
  const std::string where = ctx.relative_path(path);
  if (already_counted(ctx, kind, where)) return;
  ctx.set_label1(message, label_colour::red);
  ctx.failures.add({code, kind, where, unusable_file_reason(read)});
}

void report_unlisted_folder(run_context& ctx, const std::string& kind, const std::string& folder,
                            const file_status& status) {
  const std::string where = ctx.relative_path(folder);
  if (already_counted(ctx, kind, where)) return;
  ctx.failures.add(
      {"", kind, where, "フォルダの中を調べられません: " + file_error_text(status.error())});
}

void unusable_file_notes::note(std::size_t order, std::string code, std::string path,
                               const status& read) {
  std::lock_guard<std::mutex> lock(m_);
  files_.push_back({order, std::move(code), std::move(path), read});
}

void unusable_file_notes::report(run_context& ctx, const std::string& kind) {
  std::lock_guard<std::mutex> lock(m_);
  std::sort(files_.begin(), files_.end(),
            [](const entry& a, const entry& b) { return a.order < b.order; });
  for (const entry& f : files_) report_damaged_file(ctx, f.code, kind, f.path, f.read);
  files_.clear();
}

}  // namespace karigane
