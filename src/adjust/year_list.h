// The years of the yearly mode: the year folders of the database that hold price files,
// cut down to the newest run of consecutive years.
#pragma once

#include <string>
#include <vector>

#include "core/file_store.h"
#include "kinds/program_layout.h"

namespace karigane {

// Years named by the subfolders of kabuka_path (the last four characters of the name, four
// digits above 1900 and below 2100) whose yearly price folder lists at least one file,
// ascending, each once. A folder that is there but cannot be listed gives no years at all (a
// year left out would change the run of consecutive years); `unlisted` and `status` name it.
std::vector<int> yearly_price_years(const program_layout& layout, std::string* unlisted = nullptr,
                                    file_status* status = nullptr);

// The last run of consecutive years of an ascending list: 2005, 2007, 2008, 2009 give
// 2007, 2008, 2009; 2007, 2008, 2010 give 2010 alone.
std::vector<int> last_consecutive_years(const std::vector<int>& ascending);

}  // namespace karigane
