// The one door to stored files: every read, replacement, append, listing, folder creation, copy
// and removal of a file below the program folder goes through here, so that a failure is told the
// same way everywhere and tests can inject one (file_faults.h).
//
// "Missing" is ENOENT and nothing else. Any other failure (no permission, an I/O error, a
// folder in the file's place, a read that breaks off) comes back with its errno, so that a
// caller never takes a file it cannot read for one that is not there.
//
// A file is replaced by writing a temporary file in the same folder (the stored file's name
// followed by ".karigane-tmp"), flushing it to the disk and renaming it over the old one; a
// failure at any step removes the temporary file and leaves the old file as it was.
#pragma once

#include <cerrno>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace karigane {

// The outcome of a file call: success, or the errno of the step that failed.
class file_status {
 public:
  file_status() = default;
  explicit file_status(int error) : error_(error) {}

  bool ok() const { return error_ == 0; }
  // The file (or folder) is not there: ENOENT and nothing else.
  bool missing() const { return error_ == ENOENT; }
  int error() const { return error_; }
  explicit operator bool() const { return ok(); }

 private:
  int error_ = 0;
};

// A short text of an errno for the status line and the failure tally, e.g.
// "アクセスが許可されていません（EACCES）".
std::string file_error_text(int error);

// The text that marks temporary files of replacements in progress.
inline constexpr std::string_view kTemporaryFileMark = ".karigane-tmp";

// Reads a whole file's bytes; `bytes` is empty unless the whole file was read. Its memory is
// reused: a string read into again and again is not filled anew each time.
file_status read_file_bytes(const std::string& path, std::string& bytes);

// Reads at most the last `max_bytes` bytes of a file (all of a smaller one).
file_status read_file_tail(const std::string& path, std::size_t max_bytes, std::string& bytes);

// Reads a CP932 file as UTF-8.
file_status read_cp932_file(const std::string& path, std::string& utf8);

// Who may read a file that is written: everyone (0644), or its owner alone (0600: a file that
// holds a secret, such as settei.txt with an API key).
enum class file_access { everyone, owner_only };

// Replaces (or creates) the file with `bytes`: temporary file, write, flush, rename.
file_status write_file_atomic(const std::string& path, std::string_view bytes,
                              file_access access = file_access::everyone);

// The same with the file's bytes given in pieces, written one after another (a file that
// changes only at its ends is written from the old bytes without copying them first).
file_status write_file_atomic(const std::string& path, std::span<const std::string_view> pieces,
                              file_access access = file_access::everyone);

// Copies a file over another (replacing the target as above); `source_failed` tells whether
// it was the reading of `from` that failed.
file_status copy_file_over(const std::string& from, const std::string& to,
                           bool* source_failed = nullptr);

// A file kept open to be appended to (a run log): one descriptor from open() to close(), each
// append() one write at the end of the file (O_APPEND), so that lines that two processes append
// at once do not mix; nothing is flushed to the disk. Closed at the latest when destroyed.
class append_file {
 public:
  append_file() = default;
  append_file(const append_file&) = delete;
  append_file& operator=(const append_file&) = delete;
  ~append_file() { close(); }

  // Opens the file, created when missing.
  file_status open(const std::string& path);
  // Adds `bytes` at the end in one write; an error when the file is not open.
  file_status append(std::string_view bytes);
  file_status close();
  bool is_open() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string path_;
};

// The same for one text: open, append, close.
file_status append_to_file(const std::string& path, std::string_view bytes);

file_status remove_file(const std::string& path);

// Creates the folder and any missing parents; an existing folder is no error. A path may end
// in "/".
file_status ensure_folder(const std::string& path);

// Names of the regular files of a folder (temporary files left out), sorted by name; `status`
// gets the failure of a folder that cannot be listed.
std::vector<std::string> list_files(const std::string& folder, file_status* status = nullptr);

// Names of the subfolders of a folder, sorted by name.
std::vector<std::string> list_subfolders(const std::string& folder, file_status* status = nullptr);

// Size and modification time: what tells a reader that a file changed since it last looked
// (the export), or which of two files was written later (the chart's adjusted series).
struct file_stamp {
  bool exists = false;
  std::int64_t size = -1;
  std::int64_t mtime_ns = -1;
  friend bool operator==(const file_stamp&, const file_stamp&) = default;
};
file_stamp stamp_of(const std::string& path);

bool folder_exists(const std::string& path);
bool file_exists(const std::string& path);

}  // namespace karigane
