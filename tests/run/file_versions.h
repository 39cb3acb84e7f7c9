// The files of a program folder as bytes, and how the files that a killed run left stand
// against their versions before the run and after an uninterrupted run.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace karigane::testing {

// Relative path (below the program folder) to the file's bytes.
using folder_files = std::map<std::string, std::string>;

// Every regular file below `folder` (ending in "/"). The runs' log folder "log/" is left out:
// every run appends to it with the time of day, it is a record and not a stored file.
folder_files read_folder_files(const std::string& folder);

// Every subfolder below `folder`, by its path relative to it.
std::set<std::string> read_subfolders(const std::string& folder);

// Puts `folder` back to what read_folder_files and read_subfolders read: the files that are
// missing or differ are written again, other files and subfolders removed. Cheaper than a
// fresh copy when a run changed only part of the files.
void restore_folder(const std::string& folder, const folder_files& files,
                    const std::set<std::string>& subfolders);

// A temporary file of a replacement in progress (".karigane-tmp" in its name).
bool is_temporary_file(const std::string& path);

// The files of a killed run's folder against `before` (the folder the run started from) and
// `after` (the folder an uninterrupted run left); `between` holds the versions that files the
// run writes more than once hold on its way (a record of work to do, written before the work
// and cleared after it), which a killed run may leave as well.
struct killed_files {
  // One line per file that is neither version: a file both versions have that is missing or
  // holds other bytes, a file the run creates that holds other bytes, a file neither has.
  std::vector<std::string> faults;
  std::size_t still_old = 0;    // files the run changes, found at their old version
  std::size_t already_new = 0;  // files the run changes, found at their new version
  std::size_t temporary = 0;    // temporary files left behind
};
killed_files compare_killed_files(const folder_files& before, const folder_files& after,
                                  const folder_files& killed, const folder_files& between = {});

// How `actual` differs from `expected`, one line per file (missing, extra, other bytes).
std::vector<std::string> file_differences(const folder_files& expected,
                                          const folder_files& actual);

}  // namespace karigane::testing
