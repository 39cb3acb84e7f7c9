// Program folders as bytes: see file_versions.h.
#include "file_versions.h"

#include <filesystem>
#include <set>

#include "core/file_store.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace karigane::testing {
namespace {

const std::string kLogFolder = "log/";

// The iterator's paths all begin with the folder as given.
std::string relative_path(const fs::path& path, const std::string& folder) {
  return path.generic_string().substr(folder.size());
}

std::string sized(const std::string& bytes) { return std::to_string(bytes.size()) + " bytes"; }

}  // namespace

folder_files read_folder_files(const std::string& folder) {
  folder_files files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string relative = relative_path(it->path(), folder);
    if (relative.rfind(kLogFolder, 0) == 0) continue;
    files[relative] = file_bytes(it->path().string());
  }
  return files;
}

std::set<std::string> read_subfolders(const std::string& folder) {
  std::set<std::string> folders;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec)) folders.insert(relative_path(it->path(), folder));
  }
  return folders;
}

void restore_folder(const std::string& folder, const folder_files& files,
                    const std::set<std::string>& subfolders) {
  const folder_files now = read_folder_files(folder);
  for (const auto& [path, bytes] : now) {
    if (files.count(path) == 0) fs::remove(folder + path);
  }
  for (const auto& [path, bytes] : files) {
    const auto found = now.find(path);
    if (found == now.end() || found->second != bytes) write_bytes(folder + path, bytes);
  }
  // Deepest first, so that a folder is empty when its turn comes.
  const std::set<std::string> present = read_subfolders(folder);
  for (auto it = present.rbegin(); it != present.rend(); ++it) {
    if (subfolders.count(*it) == 0) fs::remove_all(folder + *it);
  }
}

bool is_temporary_file(const std::string& path) {
  return path.find(kTemporaryFileMark) != std::string::npos;
}

killed_files compare_killed_files(const folder_files& before, const folder_files& after,
                                  const folder_files& killed, const folder_files& between) {
  killed_files result;
  std::set<std::string> paths;
  for (const auto* files : {&before, &after, &killed}) {
    for (const auto& [path, bytes] : *files) paths.insert(path);
  }
  for (const std::string& path : paths) {
    if (is_temporary_file(path)) {
      result.temporary += killed.count(path);
      continue;
    }
    const auto old_version = before.find(path);
    const auto new_version = after.find(path);
    const auto found = killed.find(path);
    const bool has_old = old_version != before.end();
    const bool has_new = new_version != after.end();
    const bool is_old = found == killed.end() ? !has_old
                                              : has_old && found->second == old_version->second;
    const bool is_new = found == killed.end() ? !has_new
                                              : has_new && found->second == new_version->second;
    const bool changed =
        has_old != has_new || (has_old && old_version->second != new_version->second);
    if (changed && is_old && !is_new) ++result.still_old;
    if (changed && is_new && !is_old) ++result.already_new;
    if (is_old || is_new) continue;
    const auto on_the_way = between.find(path);
    if (found != killed.end() && on_the_way != between.end() &&
        found->second == on_the_way->second) {
      continue;
    }
    std::string fault = path + ": ";
    if (found == killed.end()) {
      fault += "missing (old " + sized(old_version->second) + ")";
    } else if (!has_old && !has_new) {
      fault += "a file neither version has (" + sized(found->second) + ")";
    } else {
      fault += "neither the old nor the new version (" + sized(found->second) + "; old " +
               (has_old ? sized(old_version->second) : "none") + ", new " +
               (has_new ? sized(new_version->second) : "none") + ")";
    }
    result.faults.push_back(fault);
  }
  return result;
}

std::vector<std::string> file_differences(const folder_files& expected,
                                          const folder_files& actual) {
  std::vector<std::string> lines;
  for (const auto& [path, bytes] : expected) {
    const auto found = actual.find(path);
    if (found == actual.end()) {
      lines.push_back(path + ": missing");
    } else if (found->second != bytes) {
      lines.push_back(path + ": other bytes (" + sized(found->second) + ", expected " +
                      sized(bytes) + ")");
    }
  }
  for (const auto& [path, bytes] : actual) {
    if (expected.count(path) == 0) lines.push_back(path + ": not expected (" + sized(bytes) + ")");
  }
  return lines;
}

}  // namespace karigane::testing
