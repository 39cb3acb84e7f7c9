// The report of a stored file that a run left untouched because it is there but cannot be
// read to its end (damaged) or at all (unreadable): rewriting it from a partial read would
// lose rows. The file is named in red on the status line and counted once in the run's
// failure tally; the run goes on.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

#include "core/file_store.h"
#include "core/run_context.h"
#include "core/table_file.h"

namespace karigane {

inline std::string damaged_file_message(const std::string& path) {
  return path + " を最後まで読めないため、更新しませんでした。";
}

// The tally's reason for an unusable file: what was wrong with it.
std::string unusable_file_reason(const status& read);

// Shows `message` in red and adds the file (relative to the program folder) to the tally
// under `code` and `kind`; a file already in the tally under that kind is not reported again.
void report_unusable_file(run_context& ctx, const std::string& code, const std::string& kind,
                          const std::string& path, const status& read,
                          const std::string& message);

// The same with the message of a file left untouched by a merge.
inline void report_damaged_file(run_context& ctx, const std::string& code, const std::string& kind,
                                const std::string& path, const status& read) {
  report_unusable_file(ctx, code, kind, path, read, damaged_file_message(path));
}

// A folder of stored files that is there but cannot be listed (its files are passed over):
// counted once in the tally under `kind`, without a code.
void report_unlisted_folder(run_context& ctx, const std::string& kind, const std::string& folder,
                            const file_status& status);

// Unusable files noted by the workers of a parallel pass, which must not touch the status line,
// and reported (report_damaged_file) on the run's thread after the pass, in file order.
class unusable_file_notes {
 public:
  void note(std::size_t order, std::string code, std::string path, const status& read);
  void report(run_context& ctx, const std::string& kind);

 private:
  struct entry {
    std::size_t order;
    std::string code;
    std::string path;
    status read;
  };
  std::mutex m_;
  std::vector<entry> files_;
};

}  // namespace karigane
