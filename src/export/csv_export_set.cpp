// The CSV export's set of files: see csv_export_set.h.
#include "export/csv_export_set.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/file_faults.h"
#include "core/file_store.h"
#include "export/export_tables.h"

namespace karigane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kManifestFormat = "karigane-export,csv,1";
constexpr const char* kPreviousFolder = "previous/";

bool exists(const std::string& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

// A rename of the set's file `name`; the file-fault hooks see it under the target's path.
bool rename_file(const std::string& from, const std::string& to, const std::string& target) {
  if (const int e = injected_file_error(file_call::rename, target); e != 0) {
    errno = e;
    return false;
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
}

// Keeps the old file at `path` as `kept`: a hard link, so that the old file stays in place
// until the new one replaces it; moved where the file system has no hard links.
bool keep_old(const std::string& path, const std::string& kept, const std::string& target) {
  if (::link(path.c_str(), kept.c_str()) == 0) return true;
  return rename_file(path, kept, target);
}

std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The files a manifest lists; false when the text is not an export's manifest.
bool manifest_files(const std::string& text, std::vector<std::string>& files) {
  const std::vector<std::string> lines = split_lines(text);
  if (lines.empty() || lines[0] != kManifestFormat) return false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::size_t comma = lines[i].find(',');
    if (comma == std::string::npos) return false;
    files.push_back(lines[i].substr(0, comma));
  }
  return true;
}

// Whether the file begins as an export's file of the table begins: the byte order mark and a
// header row of the table's columns (the first ones, for a table that gained columns since).
bool begins_as_export(const std::string& path, const export_table_layout& layout) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  char buffer[1024];
  const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
  std::fclose(f);
  const std::string_view head(buffer, n);
  const std::size_t end = head.find("\r\n");
  if (head.substr(0, 3) != "\xEF\xBB\xBF" || end == std::string_view::npos) return false;
  const std::string_view header = head.substr(3, end - 3);
  std::string expected;
  for (std::size_t c = 0; c < layout.columns.size(); ++c) {
    if (c) expected += ',';
    expected += layout.columns[c].name;
    if (c + 1 >= layout.key_columns && header == expected) return true;
  }
  return false;
}

// Puts the old files of an unfinished switch back: each new file that was switched in goes back
// into the staging folder, then the old file kept in previous/ back into place (a file that
// had none is then simply gone). Each step leaves a state that the same steps finish, so an
// undo cut short is completed by the next one.
bool undo_switch(const std::string& folder, const std::string& staging, std::string& failed) {
  const std::string previous = staging + kPreviousFolder;
  for (const std::string& name : csv_export_file_names()) {
    const std::string target = folder + name;
    const bool switched = !exists(staging + name);
    const bool kept = exists(previous + name);
    if ((switched && exists(target) && !rename_file(target, staging + name, target)) ||
        (kept && !rename_file(previous + name, target, target))) {
      failed = name;
      return false;
    }
    // A hard link to the file still in place makes the rename do nothing: then the link goes.
    if (kept) std::remove((previous + name).c_str());
  }
  return true;
}

void remove_folder(const std::string& path) {
  std::error_code ec;
  fs::remove_all(path, ec);
}

}  // namespace

std::span<const std::string> csv_export_file_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const export_table t : all_export_tables()) {
      v.push_back(std::string(table_layout(t).name) + ".csv");
    }
    return v;
  }();
  return names;
}

std::string foreign_export_file(const std::string& folder) {
  const std::string manifest_path = folder + std::string(kCsvManifestName);
  std::vector<std::string> listed;
  const bool has_manifest = exists(manifest_path);
  if (has_manifest) {
    std::string text;
    if (!read_file_bytes(manifest_path, text) || !manifest_files(text, listed)) {
      return std::string(kCsvManifestName);
    }
  }
  const std::span<const export_table> tables = all_export_tables();
  for (std::size_t i = 0; i < tables.size(); ++i) {
    const std::string& name = csv_export_file_names()[i];
    if (!exists(folder + name)) continue;
    const bool ours = has_manifest ? std::find(listed.begin(), listed.end(), name) != listed.end()
                                   : begins_as_export(folder + name, table_layout(tables[i]));
    if (!ours) return name;
  }
  return {};
}

std::string csv_manifest_text(std::span<const std::size_t> sizes) {
  std::string text = std::string(kManifestFormat) + "\r\n";
  for (std::size_t i = 0; i < sizes.size() && i < csv_export_file_names().size(); ++i) {
    text += csv_export_file_names()[i] + "," + std::to_string(sizes[i]) + "\r\n";
  }
  return text;
}

bool switch_in_staged_set(const std::string& folder, const std::string& staging,
                          std::string& failed) {
  const std::string previous = staging + kPreviousFolder;
  bool switched = ::mkdir(previous.c_str(), 0755) == 0;
  if (!switched) failed = csv_export_file_names().front();
  for (const std::string& name : csv_export_file_names()) {
    if (!switched) break;
    const std::string target = folder + name;
    switched = (!exists(target) || keep_old(target, previous + name, target)) &&
               rename_file(staging + name, target, target);
    if (!switched) failed = name;
  }
  const std::string manifest(kCsvManifestName);
  if (switched && !rename_file(staging + manifest, folder + manifest, folder + manifest)) {
    switched = false;
    failed = manifest;
  }
  if (switched) {
    remove_folder(staging);
    return true;
  }
  std::string not_undone;
  if (undo_switch(folder, staging, not_undone)) remove_folder(staging);
  return false;
}

bool recover_staged_set(const std::string& folder, const std::string& staging,
                        std::string& failed) {
  // The switch began once previous/ was made, and ended with the manifest's rename.
  const bool switching =
      exists(staging + kPreviousFolder) && exists(staging + std::string(kCsvManifestName));
  if (switching && !undo_switch(folder, staging, failed)) return false;
  remove_folder(staging);
  return true;
}

}  // namespace karigane
