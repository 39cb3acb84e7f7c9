// The settings file settei.txt in the program folder: key and value records, the defaults of
// the settings record, and the reader that runs at start-up and at the start of every run.
#pragma once

#include <string>
#include <vector>

#include "core/run_context.h"
#include "core/settei.h"

namespace karigane {

// Fills `settei` with the defaults, then with the records of program folder + "settei.txt"
// up to the "EOF" record or the end of the file. A missing or unreadable file leaves the
// defaults silently; values are not validated, except that an access interval that is not
// a whole number of milliseconds up to a minute keeps its default.
void read_settei_sub(run_context& ctx, settei_record& settei);

// A key of settei.txt with the value a new file gets (the default the reader would use).
struct settings_key {
  const char* name;
  std::string default_value;
  bool is_host;  // one of the five keys naming the quote site's hosts
};

// Every key the reader knows, in the order a new settei.txt lists them.
const std::vector<settings_key>& settings_keys();

// The keys of settei.txt's records that are none of settings_keys() (a misspelt host key
// would silently send a run to the default hosts), each once, in the order of the file. The
// records are walked as the reader walks them.
std::vector<std::string> unknown_settings_keys(const std::string& program_folder);

// The warning a run gives for such a key.
std::string unknown_settings_key_warning(const std::string& key);

// The folder value of a settings record as an absolute folder path ending in "/": relative
// values (written with "\" or "/") lie below the program folder.
std::string settings_folder_path(const std::string& program_folder, const std::string& value);

// The file value of a settings record as a path: relative values lie below the program
// folder; "" stays "".
std::string settings_file_path(const std::string& program_folder, const std::string& value);

}  // namespace karigane
