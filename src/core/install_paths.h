// Where the programs find the data installed with them (the factory stock list, the usage text,
// the local quote site's data set, the message catalogues), wherever they were installed: the folder is found relative
// to the running program, so that a package, `cmake --install --prefix ANY` and a build tree
// all work without a path fixed at build time.
#pragma once

#include <string>

namespace karigane {

// $KARIGANE_DATA_DIR when set; else <folder of the running program>/../share/karigane when it
// holds meigara_list_org.csv (an installed program); else the source tree's data/ folder (a
// program run from its build tree). Ends in "/"; empty when none is found.
std::string program_data_folder();

// The folder of the message catalogues (LOCALE/LC_MESSAGES/karigane.mo), found like the data:
// <folder of the running program>/../share/locale when it holds the English catalogue (an
// installed program); else the build tree's locale/ folder (a program run from its build
// tree). Ends in "/"; empty when none is found (every text is then Japanese).
std::string program_locale_folder();

// The version of the programs, as the package and --version give it.
const char* program_version();

}  // namespace karigane
