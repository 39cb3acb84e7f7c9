// Rows held for a stock while a walk by date goes on, as compact as their file lines (a row of
// separate texts takes five times the memory): added oldest first, given back newest first.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "core/table_file.h"

namespace karigane {

template <std::size_t W>
class held_rows {
 public:
  void add(const std::array<std::string, W>& row) {
    for (std::size_t f = 0; f < W; ++f) {
      lines_ += row[f];
      lines_ += f + 1 < W ? '\x1f' : '\n';
    }
    ++count_;
  }
  std::size_t count() const { return count_; }

  // Appends the rows to `table`, newest first, and lets them go.
  void move_newest_first(table_t<W>& table) {
    const std::size_t first = table.size();
    table.resize(first + count_);
    std::size_t row = table.size();
    std::size_t at = 0;
    while (at < lines_.size() && row > first) {
      std::array<std::string, W>& out = table[--row];
      std::size_t field = 0;
      for (; at < lines_.size() && lines_[at] != '\n'; ++at) {
        if (lines_[at] == '\x1f') {
          ++field;
        } else if (field < W) {
          out[field] += lines_[at];
        }
      }
      ++at;
    }
    *this = {};
  }

 private:
  std::string lines_;
  std::size_t count_ = 0;
};

}  // namespace karigane
