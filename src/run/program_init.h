// Setting up a program folder for a first run (`karigane init --site URL`): settei.txt with the
// five host keys pointing at one site (for example the local quote site) and every other key at
// its default, and the factory stock list as the working list when the folder has none.
#pragma once

#include <string>

namespace karigane {

enum class init_result { written, exists, bad_site, failed };

// `program_folder` ends in "/"; `factory_folder` holds meigara_list_org.csv (may be empty).
// An existing settei.txt is replaced only with `force`. `message` says what was done or why not.
init_result init_program_folder(const std::string& program_folder,
                                const std::string& factory_folder, const std::string& site,
                                bool force, std::string& message);

// The text of settei.txt for `site` (scheme://host[:port], no trailing "/").
std::string initial_settings_text(const std::string& site);

// True for http://host[:port] or https://host[:port] with an optional trailing "/"; `host`
// gets the value without it.
bool valid_site_value(const std::string& site, std::string& host);

}  // namespace karigane
