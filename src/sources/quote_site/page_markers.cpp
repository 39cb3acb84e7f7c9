// Searching a page by bytes, its markers in one pass: see page_markers.h.
#include "sources/quote_site/page_markers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

#include "core/text.h"

namespace karigane {
namespace {

// The ASCII bytes of the quote pages in the legacy form, from the most common to the least
// (counted over the local quote site's pages); any other ASCII byte is rarer still.
constexpr std::string_view kAsciiByUse =
    "<>TO/1D0IPNe2 =al93,uv84s756LRt\n.co\"ArdihnSEm|MHfypBbgVCUYw-()?#kF%GxjzK+_q*X:";

// How common a byte is on a page: 0 for the rarest. Japanese text is rare beside the markup;
// its lead bytes are the commonest part of it.
std::size_t commonness(unsigned char c) {
  if (c >= 0x80) return c >= 0xE0 && c <= 0xEF ? 1 : 0;
  const std::size_t at = kAsciiByUse.find(static_cast<char>(c));
  return at == std::string_view::npos ? 0 : 1 + kAsciiByUse.size() - at;
}

// The length of the sequence to_u32 reads at a lead byte (0 for a byte no sequence starts with).
std::size_t sequence_length(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0) return 4;
  return 0;
}

// True when to_u32 reads every character of the text from one complete, shortest sequence, so
// that writing its characters again gives the same bytes.
bool reads_as_written(std::string_view s) {
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    for (std::uint64_t word; i + 8 <= n; i += 8) {
      std::memcpy(&word, s.data() + i, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
    }
    if (i >= n) break;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const std::size_t length = sequence_length(c);
    if (length == 0 || i + length > n) return false;
    if (length == 1) {
      ++i;
      continue;
    }
    char32_t cp = c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3F);
    }
    constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kShortest[length]) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::size_t find_at(std::string_view text, std::string_view needle, std::size_t start) {
  if (start < 1) start = 1;
  if (start > text.size() + 1) return 0;
  const std::size_t at = text.find(needle, start - 1);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::size_t find_back(std::string_view text, std::string_view needle, std::size_t start) {
  if (needle.size() > text.size()) return 0;
  const std::size_t from = start == npos ? text.size() : (start < 1 ? 0 : start - 1);
  const std::size_t at = text.rfind(needle, from);
  return at == std::string_view::npos ? 0 : at + 1;
}

std::string_view slice(std::string_view text, std::size_t from, std::size_t to) {
  if (from < 1 || to <= from || from > text.size()) return {};
  return text.substr(from - 1, std::min(to, text.size() + 1) - from);
}

std::size_t after_char(std::string_view text, std::size_t at) {
  if (at < 1 || at > text.size()) return at + 1;
  return at + std::max<std::size_t>(1, sequence_length(static_cast<unsigned char>(text[at - 1])));
}

std::string_view first_chars(std::string_view text, std::size_t start, std::size_t count) {
  if (start < 1) start = 1;
  if (start > text.size()) return {};
  std::size_t end = start;
  for (std::size_t k = 0; k < count && end <= text.size(); ++k) end = after_char(text, end);
  return slice(text, start, end);
}

page_markers::page_markers(std::string_view page, std::span<const std::string_view> markers,
                           std::string extra)
    : extra_(std::move(extra)), page_(page), markers_(markers.begin(), markers.end()) {
  if (!extra_.empty()) markers_.push_back(extra_);
  places_.resize(markers_.size());
  if (!reads_as_written(page)) {
    rewritten_ = to_utf8(to_u32(page));
    page_ = rewritten_;
  }
  // Where the pass stops: the least common byte of each marker, by that byte.
  std::array<std::uint32_t, 256> stops{};
  std::array<std::size_t, 32> offset{};
  const std::size_t count = std::min<std::size_t>(markers_.size(), 32);
  for (std::size_t k = 0; k < count; ++k) {
    const std::string_view marker = markers_[k];
    std::size_t best = 0;
    for (std::size_t j = 1; j < marker.size(); ++j) {
      if (commonness(static_cast<unsigned char>(marker[j])) <
          commonness(static_cast<unsigned char>(marker[best]))) {
        best = j;
      }
    }
    offset[k] = best;
    stops[static_cast<unsigned char>(marker[best])] |= std::uint32_t{1} << k;
  }

  const std::string_view text = page_;
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::uint32_t candidates = stops[static_cast<unsigned char>(text[i])];
    while (candidates != 0) {
      const std::size_t k = static_cast<std::size_t>(std::countr_zero(candidates));
      candidates &= candidates - 1;
      if (i < offset[k]) continue;
      const std::size_t at = i - offset[k];
      if (text.compare(at, markers_[k].size(), markers_[k]) == 0) places_[k].push_back(at + 1);
    }
  }
}

std::size_t page_markers::find(std::size_t k, std::size_t start) const {
  if (start < 1) start = 1;
  if (start > page_.size() + 1) return 0;
  const std::vector<std::size_t>& places = places_[k];
  const auto it = std::lower_bound(places.begin(), places.end(), start);
  return it == places.end() ? 0 : *it;
}

}  // namespace karigane
