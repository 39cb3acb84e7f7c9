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

// A number field's or a date field's text as a CSV field: the bytes that number() or date()
// and then append_csv_field() write, without making a cell where the stored text is already
// in that form (a plain integer or decimal is copied as it is, a yyyymmdd date rearranged).
void append_csv_number(std::string& out, std::string_view text);
// Whether number() and append_csv_field() give the text back as it is: an integer of at most
// 18 digits or a decimal of at most 15 significant digits, without a plus sign, a leading zero
// (but that of "0.5"), a trailing zero after the point or a negative zero. A decimal below 0.001
// is left out: the shortest text of its value is the exponent form ("1e-04").
inline bool written_as_exported(std::string_view text) {
  std::size_t i = text.empty() || text[0] != '-' ? 0 : 1;
  const std::size_t int_start = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  const std::size_t int_digits = i - int_start;
  if (int_digits == 0 || (int_digits > 1 && text[int_start] == '0')) return false;
  if (i == text.size()) return int_digits <= 18 && !(int_start == 1 && text[1] == '0');
  if (text[i] != '.') return false;
  const std::size_t frac_start = ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  const std::size_t frac_digits = i - frac_start;
  if (i != text.size() || frac_digits == 0 || text.back() == '0') return false;
  if (text[int_start] != '0') return int_digits + frac_digits <= 15;
  std::size_t zeros = 0;
  while (text[frac_start + zeros] == '0') ++zeros;
  return zeros <= 2 && frac_digits - zeros <= 15;
}

void append_csv_date(std::string& out, std::string_view text);

}  // namespace karigane
