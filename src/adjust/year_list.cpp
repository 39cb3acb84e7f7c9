// Years of the yearly mode: see year_list.h.
#include "adjust/year_list.h"

#include <algorithm>
#include <optional>

#include "core/text.h"

namespace karigane {

std::vector<int> yearly_price_years(const program_layout& layout, std::string* unlisted,
                                    file_status* status) {
  std::vector<int> years;
  auto cannot_list = [&](const std::string& folder, const file_status& listed) {
    if (unlisted) *unlisted = folder;
    if (status) *status = listed;
    return std::vector<int>{};
  };
  file_status listed;
  const std::vector<std::string> folders = list_subfolders(layout.database, &listed);
  if (!listed && !listed.missing()) return cannot_list(layout.database, listed);
  for (const std::string& name : folders) {
    const std::optional<int> year = year_at_end_of_folder(name);
    if (!year) continue;
    const std::string folder = layout.yearly_price_folder(right(name, 4));
    const bool empty = list_files(folder, &listed).empty();
    if (!listed && !listed.missing()) return cannot_list(folder, listed);
    if (empty) continue;
    years.push_back(*year);
  }
  // Two folders may end in the same year ("2013" and "old2013"); the year is joined once.
  std::sort(years.begin(), years.end());
  years.erase(std::unique(years.begin(), years.end()), years.end());
  return years;
}

std::vector<int> last_consecutive_years(const std::vector<int>& ascending) {
  std::size_t first = 0;
  for (std::size_t i = 1; i < ascending.size(); ++i) {
    if (ascending[i] != ascending[i - 1] + 1) first = i;
  }
  return std::vector<int>(ascending.begin() + static_cast<std::ptrdiff_t>(first),
                          ascending.end());
}

}  // namespace karigane
