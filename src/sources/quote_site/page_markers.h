// How the page readers search a page: its UTF-8 text by byte position, and the markers a reader
// looks for (its page markers, its table starts) found in one forward pass over it.
//
// Positions are 1-based, 0 for "not found", as in core/text.h, but count bytes. A page from the
// serializer is well-formed UTF-8, where a search for a marker finds it where a search by
// characters finds it; any other text (only a test or the fuzzer hands one over) is first
// written again as core/text.h reads it (to_u32: a broken sequence is one U+FFFD), so that
// every reader's results stay what they are by characters.
//
// The pass notes every place each marker starts, and the reader's searches from the page's
// start are answered from those places instead of searching the page again; searches close to
// a place the reader has found (the ">" after a marker, the cells of a row) stay plain
// searches. The pass stops at one byte of each marker only, the one least common on quote
// pages (their markup letters and signs are common, Japanese text much less so), and compares
// the whole marker there.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace karigane {

// instr by bytes: the 1-based position of the first `needle` that starts at or after `start`.
std::size_t find_at(std::string_view text, std::string_view needle, std::size_t start = 1);
// instr_rev by bytes: the last `needle` that starts at or before `start`.
std::size_t find_back(std::string_view text, std::string_view needle, std::size_t start);
// between by bytes: from `from` (inclusive) to `to` (exclusive); empty when out of range.
std::string_view slice(std::string_view text, std::size_t from, std::size_t to);
// The position just after the character that starts at `at`.
std::size_t after_char(std::string_view text, std::size_t at);
// Mid: at most `count` characters from `start`.
std::string_view first_chars(std::string_view text, std::size_t start, std::size_t count);

class page_markers {
 public:
  // `markers` (at most 32 with `extra`, none empty) must outlive the object, and so must `page`
  // unless it had to be written again. A non-empty `extra` (a marker made for the request, such
  // as an index's code) is one more marker, numbered markers.size().
  page_markers(std::string_view page, std::span<const std::string_view> markers,
               std::string extra = {});
  page_markers(const page_markers&) = delete;
  page_markers& operator=(const page_markers&) = delete;

  // The page as the reader searches it.
  std::string_view page() const { return page_; }
  // find_at(page(), markers[k], start), from the places the pass noted.
  std::size_t find(std::size_t k, std::size_t start = 1) const;
  bool contains(std::size_t k) const { return !places_[k].empty(); }
  // The byte length of markers[k].
  std::size_t size_of(std::size_t k) const { return markers_[k].size(); }

 private:
  std::string rewritten_;
  std::string extra_;
  std::string_view page_;
  std::vector<std::string_view> markers_;
  std::vector<std::vector<std::size_t>> places_;  // per marker, its places in order
};

}  // namespace karigane
