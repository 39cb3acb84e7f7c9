// Temporary files that killed runs left behind: an atomic write puts its bytes into a file
// beside the target (".karigane-tmp" in its name) and renames it over the target, so a run
// killed in between leaves that file. The run frame removes them while it holds the folder's
// lock.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace karigane {

// Removes the temporary files below each of `trees` (searched through all subfolders; symbolic
// links are not followed) and directly in `top_folder` (not below it). A file whose name
// carries the process id of another live process is kept: that process may be a run on
// another program folder that shares the database. Returns the number of files removed.
std::size_t remove_leftover_temporaries(const std::vector<std::string>& trees,
                                        const std::string& top_folder);

}  // namespace karigane
