// Who holds a file: the processes other than this one that have a lock on it (/proc/locks), or
// failing that have it open (/proc/*/fd), so that a database another program keeps open can be
// named in a message. Linux only; what cannot be read (another user's processes) is passed by.
#pragma once

#include <string>
#include <vector>

namespace karigane {

std::vector<long> processes_holding(const std::string& path);

// "プロセス 1234, 5678", or "他のプログラム" when none is known.
std::string holders_text(const std::vector<long>& pids);

}  // namespace karigane
