// Deterministic faults at the lowest file layer, for tests: a chosen call of file_store.cpp
// fails on every path containing a chosen text, with a chosen errno, so that the code above it
// (its cleanup included) runs as it would on a full disk or a broken file. Nothing installs a
// fault but the tests; with none installed the check is one atomic load.
//
// Threading: faults may be installed and checked from any thread.
#pragma once

#include <cstddef>
#include <string>

namespace karigane {

enum class file_call {
  open_read,    // opening a file for reading
  read,         // reading its bytes
  create,       // creating the temporary file of a replacement
  write,        // writing its bytes
  sync,         // flushing them to the disk
  rename,       // renaming it over the stored file
  list,         // listing a folder
  make_folder,  // creating a folder
  remove,       // removing a file
  append,       // opening a file to append to it
};

struct file_fault {
  file_call call;
  std::string path_part;  // the fault applies to paths containing this text
  int error;              // the errno the call fails with
};

// Installs a fault and returns its id.
int add_file_fault(file_fault fault);
void remove_file_fault(int id);
// How often the fault has failed a call.
std::size_t file_fault_hits(int id);

// For file_store.cpp: the errno a call on `path` is to fail with, or 0. For a replacement the
// path is the stored file's, also when the call works on its temporary file.
int injected_file_error(file_call call, const std::string& path);

}  // namespace karigane
