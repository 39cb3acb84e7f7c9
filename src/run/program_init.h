// Setting up a program folder for a first run.
//   - `karigane init --site URL`: settei.txt with the five host keys pointing at one site (for
//     example the local quote site) and every other key at its default, and the factory stock
//     list as the working list when the folder has none.
//   - `karigane init --jquants`: J-Quants as the source; its address, key and plan set in
//     settei.txt (every other setting of an existing file kept, the file readable by its owner
//     alone), and the stock list placed from J-Quants' list of issues (a list already there
//     keeps its stocks and gains the new ones). The list is asked for first: a key or address
//     that J-Quants refuses writes nothing.
#pragma once

#include <string>

#include "core/run_context.h"
#include "sources/jquants/jquants_settings.h"

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

// What `init --jquants` sets.
struct jquants_init {
  std::string site;  // J-Quants' address ("" : the default, https://api.jquants.com)
  jquants_plan plan = jquants_plan::free;
  std::string api_key;
  bool force = false;
};

// `ctx` carries the clock (the plan's dates) and shows the requests' status texts. `message`
// says what was done or why not; it never holds the key, only masked_api_key().
init_result init_jquants_folder(run_context& ctx, const std::string& program_folder,
                                const jquants_init& request, std::string& message);

}  // namespace karigane
