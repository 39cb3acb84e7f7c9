// Temporary files that killed runs left behind: an atomic write puts its bytes into a file
// beside the target (".karigane-tmp" in its name) and renames it over the target, so a run
// killed in between leaves that file. The run frame removes them while it holds the folder's
// lock; the export run also removes those of its own files, which may lie anywhere.
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

// Removes the temporary files of the replacement of each of `targets` (absolute file paths
// anywhere, such as an export's): the files beside a target whose names are the target's name
// followed by the mark. The same rule about live writers applies. Returns the number removed.
std::size_t remove_leftover_temporaries_of(const std::vector<std::string>& targets);

// The temporary folders directly in `folder` (such as the staging folder of a CSV export, named
// with the mark and its writer's process id) that no live process is writing, as paths ending
// in "/". The same rule about live writers applies.
std::vector<std::string> leftover_temporary_folders(const std::string& folder);

}  // namespace karigane
