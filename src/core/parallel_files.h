// Work on many independent files at once: `work(i)` runs for i = 0..count-1 on a few worker
// threads while the calling thread keeps pumping the front end and watching the stop flag.
// Rewriting a file ends with a rename, which the file system may make wait for the data to
// reach the disk; several files in flight keep both cores busy through those waits.
//
// A stop or a run-ending fault (a file that cannot be written) lets the files in hand finish
// (each is replaced whole or not at all) and starts no new one. `work` must touch only its own
// file; of the run context it may use only what may be reported from any thread (the failure
// tally, the progress, the run-ending fault).
#pragma once

#include <cstddef>
#include <functional>

#include "core/run_context.h"

namespace karigane {

// Returns the number of items that were worked on (all of them unless the run was stopped or
// a run-ending fault came).
// `started`, when given, is called on the calling thread for every item begun, in order (for
// a progress line); it may run a little after the item's work.
std::size_t for_each_file_in_parallel(run_context& ctx, std::size_t count,
                                      const std::function<void(std::size_t)>& work,
                                      const std::function<void(std::size_t)>& started = nullptr);

}  // namespace karigane
