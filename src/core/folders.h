// Folder tests, creation and listing of the database tree. Paths are texts with "/" as
// separator; a folder path may end in "/".
#pragma once

#include <string>
#include <vector>

namespace karigane {

bool folder_exists(const std::string& path);

// Creates the folder and any missing parents; an existing folder is no error.
bool ensure_folder(const std::string& path);

bool file_exists(const std::string& path);

// Names of the regular files in a folder, sorted by name; `ok` false when it cannot be listed.
std::vector<std::string> list_files(const std::string& folder, bool* ok = nullptr);

// Names of the subfolders of a folder, sorted by name.
std::vector<std::string> list_subfolders(const std::string& folder, bool* ok = nullptr);

// Copies a file over another (atomically replacing the target).
bool copy_file_over(const std::string& from, const std::string& to);

bool remove_file(const std::string& path);

}  // namespace karigane
