// A fault of the file layer for the span of a test: while the object lives, the chosen call
// fails with the chosen errno on every path that contains the chosen text (core/file_faults.h).
#pragma once

#include <cstddef>
#include <string>

#include "core/file_faults.h"

namespace karigane::testing {

class injected_file_fault {
 public:
  injected_file_fault(file_call call, std::string path_part, int error)
      : id_(add_file_fault({call, std::move(path_part), error})) {}
  ~injected_file_fault() { remove_file_fault(id_); }
  injected_file_fault(const injected_file_fault&) = delete;
  injected_file_fault& operator=(const injected_file_fault&) = delete;

  // How many calls the fault has failed so far.
  std::size_t hits() const { return file_fault_hits(id_); }

 private:
  int id_;
};

}  // namespace karigane::testing
