// The values of the exported tables: a cell is NULL, an integer, a real number or a text, and
// the stored files' texts become cells here. Dates become ISO texts (YYYY-MM-DD), fiscal
// periods YYYY-MM, numbers become numbers, and "---" (or an empty field) becomes NULL. A text
// that is none of these is exported as it is written, so that nothing stored is lost.
//
// Cells are small values one after another; their texts live in one buffer beside them, so
// that the millions of cells of a large export cost no allocation each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "adjust/price_adjustment.h"

namespace karigane {

struct export_cell {
  enum class kind : std::uint8_t { null, integer, real, text };
  kind k = kind::null;
  std::uint32_t size = 0;  // text: its length
  union {
    std::int64_t i = 0;
    double r;
    std::uint64_t at;  // text: where it begins in the texts
  };
};

// The cells of rows, one after another, with their texts.
class export_cells {
 public:
  // A number field: NULL for "---" or "", an integer, a real number, else the text.
  void number(std::string_view text);
  // A number field times `factor` (an adjusted volume): an integer when the product is whole,
  // else a real number; NULL when the field holds no number.
  void scaled(std::string_view text, const volume_factor& factor);
  // A date field yyyymmdd as "YYYY-MM-DD" ("20141127_1035", a trade time, as
  // "2014-11-27 10:35"); NULL for "---" or "", any other text as it is.
  void date(std::string_view text);
  // A fiscal period YYYYMM00 as "YYYY-MM"; NULL for "---" or "", any other text as it is.
  void period(std::string_view text);
  // A text field; NULL when empty.
  void text(std::string_view text);
  void null() { cells_.emplace_back(); }
  // A text cell to add with repeat(): its text is stored once for every row that names it.
  export_cell kept_text(std::string_view text);
  void repeat(const export_cell& cell) { cells_.push_back(cell); }

  std::size_t size() const { return cells_.size(); }
  const export_cell& operator[](std::size_t i) const { return cells_[i]; }
  const export_cell* data() const { return cells_.data(); }
  std::string_view text_of(const export_cell& cell) const {
    return std::string_view(texts_.data() + cell.at, cell.size);
  }
  // Replaces cell i by the last cell added, which is then removed.
  void move_last_to(std::size_t i) {
    cells_[i] = cells_.back();
    cells_.pop_back();
  }
  void reserve(std::size_t cells, std::size_t text_bytes) {
    cells_.reserve(cells);
    texts_.reserve(text_bytes);
  }
  void clear() {
    cells_.clear();
    texts_.clear();
  }

 private:
  void add_text(std::string_view text);
  // A text cell of `size` bytes whose bytes the caller writes at the returned place.
  char* add_text_space(std::size_t size);

  std::vector<export_cell> cells_;
  std::string texts_;
};

// The cell written as a CSV field: NULL empty, numbers as their shortest exact text, texts
// quoted when they hold a comma, a quote or a line break.
void append_csv_field(std::string& out, const export_cell& cell, std::string_view text);

}  // namespace karigane
