// The program folder (the --dir folder or the working folder) and the factory folder (the
// installed data/ folder), and the preparation of a program folder before a run.
#pragma once

#include <string>

#include "core/run_context.h"

namespace karigane {

// The absolute form of a folder path, ending in "/".
std::string absolute_folder(const std::string& dir);

// The absolute form of a file path (relative paths lie below the working folder).
std::string absolute_file(const std::string& path);

// The folder holding the factory copy meigara_list_org.csv and readme.txt (program_data_folder
// of core/install_paths.h).
std::string find_factory_folder();

// Makes the program folder usable: creates it when missing, checks that it can be written,
// and, when the folder is used for the first time, puts the factory stock list in place as
// the working list. A folder already in use whose stock list is missing keeps it missing. On
// failure returns false with a message for the user. A front end that only reads the folder
// (chart, export) asks for nothing of it: a read-only copy serves them.
enum class folder_use { writes, reads };
bool prepare_program_folder(run_context& ctx, std::string& message,
                            folder_use use = folder_use::writes);

// A folder used for the first time: no settei.txt and no database folder yet.
bool first_use_of_folder(const std::string& program_folder);

}  // namespace karigane
