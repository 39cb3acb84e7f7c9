// Data files as bytes: see data_file_bytes.h.
#include "core/data_file_bytes.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace karigane {
namespace {

// The next line from `pos` (without CR LF, LF or CR); false at the end.
bool next_line(std::string_view bytes, std::size_t& pos, std::string_view& line) {
  if (pos >= bytes.size()) return false;
  const void* nl = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
  std::size_t end = nl == nullptr ? bytes.size()
                                  : static_cast<std::size_t>(static_cast<const char*>(nl) - bytes.data());
  std::size_t next = nl == nullptr ? bytes.size() : end + 1;
  if (end > pos && bytes[end - 1] == '\r') --end;
  // A lone CR also ends a line.
  const void* cr = std::memchr(bytes.data() + pos, '\r', end - pos);
  if (cr != nullptr) {
    end = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data());
    next = end + 1;
  }
  line = bytes.substr(pos, end - pos);
  pos = next;
  return true;
}

// Where the commas, CRs and LFs of 64 bytes are: bit i stands for byte i.
struct chunk_masks {
  std::uint64_t commas = 0;
  std::uint64_t crs = 0;
  std::uint64_t lfs = 0;
};

// Inlined into the scans (a call per 64 bytes, with its result passed through memory, cost
// about as much as the comparisons).
[[gnu::always_inline]] inline chunk_masks masks_of(const char* p) {
  chunk_masks m;
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(',');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    auto bits = [&](__m128i c) {
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, c))))
             << (16 * k);
    };
    m.commas |= bits(comma);
    m.crs |= bits(cr);
    m.lfs |= bits(lf);
  }
#else
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (p[i] == ',') m.commas |= bit;
    if (p[i] == '\r') m.crs |= bit;
    if (p[i] == '\n') m.lfs |= bit;
  }
#endif
  return m;
}

// Past the line end at `at`: CR LF, LF or a lone CR.
std::size_t after_line_end(std::string_view bytes, std::size_t at) {
  return bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? at + 2 : at + 1;
}

// Calls on_end(position, commas) for every line end from `from` on, as next_line ends lines
// (CR LF, LF or a lone CR), with the number of commas since the previous line end when
// `kCountCommas`; stops and returns true as soon as on_end returns true. `commas` is left with
// the commas after the last line end. The bytes are taken 64 at a time as bit masks of their
// commas and line ends, so that a line costs a few operations instead of a search call.
// Inlined into its callers, so that the row scan's build with the popcount instruction counts
// with it.
template <bool kCountCommas, typename OnEnd>
[[gnu::always_inline]] inline bool walk_line_ends(std::string_view bytes, std::size_t from, std::size_t& commas, OnEnd on_end) {
  commas = 0;
  bool cr_before = false;  // the chunk's first byte follows a CR
  for (std::size_t at = from; at < bytes.size(); at += 64) {
    chunk_masks m;
    if (at + 64 <= bytes.size()) {
      m = masks_of(bytes.data() + at);
    } else {
      char tail[64] = {};
      std::memcpy(tail, bytes.data() + at, bytes.size() - at);
      m = masks_of(tail);
    }
    // An LF right after a CR belongs to that line end.
    std::uint64_t ends = m.crs | (m.lfs & ~((m.crs << 1) | (cr_before ? 1 : 0)));
    cr_before = (m.crs >> 63) != 0;
    std::uint64_t commas_left = m.commas;
    while (ends != 0) {
      const int bit = std::countr_zero(ends);
      ends &= ends - 1;
      if constexpr (kCountCommas) {
        const std::uint64_t below = (std::uint64_t{1} << bit) - 1;
        commas += static_cast<std::size_t>(std::popcount(commas_left & below));
        commas_left &= ~below;
      }
      if (on_end(at + static_cast<std::size_t>(bit), commas)) return true;
      commas = 0;
    }
    if constexpr (kCountCommas) commas += static_cast<std::size_t>(std::popcount(commas_left));
  }
  return false;
}

// The row scan counts the commas of every line with a bit count. On x86-64 it is built twice,
// with and without the popcount instruction, and the program takes the first one when the
// processor has it (the plain build's count is a library call).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__POPCNT__)
#define KARIGANE_WITH_POPCOUNT __attribute__((target_clones("popcnt", "default")))
#else
#define KARIGANE_WITH_POPCOUNT
#endif

// The rows of a data file: `count` lines of `width` fields each from `pos` (the last line may
// lack its end). On success `pos` is past the last row's line end and `last_row` is that row.
KARIGANE_WITH_POPCOUNT
bool scan_rows(std::string_view bytes, std::size_t& pos, std::size_t count, std::size_t width,
               std::string_view& last_row) {
  std::size_t rows = 0;
  std::size_t commas = 0;
  std::size_t last_end = std::string_view::npos;  // the newest line end and the one before
  std::size_t previous_end = std::string_view::npos;
  bool damaged = false;
  const bool reached = walk_line_ends<true>(bytes, pos, commas, [&](std::size_t end, std::size_t n) {
    if (n + 1 != width) {
      damaged = true;
      return true;
    }
    previous_end = last_end;
    last_end = end;
    return ++rows == count;
  });
  if (damaged) return false;
  std::size_t end = last_end;
  if (!reached) {
    // A last line without its line end.
    const std::size_t start =
        last_end == std::string_view::npos ? pos : after_line_end(bytes, last_end);
    if (start >= bytes.size() || commas + 1 != width || rows + 1 != count) return false;
    previous_end = last_end;
    end = bytes.size();
  }
  const std::size_t start =
      previous_end == std::string_view::npos ? pos : after_line_end(bytes, previous_end);
  last_row = bytes.substr(start, end - start);
  pos = end < bytes.size() ? after_line_end(bytes, end) : bytes.size();
  return true;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string_view first_field(std::string_view line) {
  return trimmed(line.substr(0, line.find(',')));
}

void row_lines(const data_file_layout& layout, std::vector<std::string_view>& rows) {
  rows.clear();
  rows.reserve(layout.count);
  const std::string_view body = layout.body;
  std::size_t start = 0;
  std::size_t commas = 0;
  walk_line_ends<false>(body, 0, commas, [&](std::size_t end, std::size_t) {
    rows.push_back(body.substr(start, end - start));
    start = after_line_end(body, end);
    return false;
  });
  if (start < body.size()) rows.push_back(body.substr(start));
}

bool reads_as_written(std::string_view bytes) {
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: a byte outside ASCII has its top bit set, blanks compare equal.
  const __m128i blank = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  __m128i found = _mm_setzero_si128();
  for (; i + 16 <= bytes.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i));
    found = _mm_or_si128(found, _mm_or_si128(v, _mm_or_si128(_mm_cmpeq_epi8(v, blank),
                                                              _mm_cmpeq_epi8(v, tab))));
  }
  if (_mm_movemask_epi8(found) != 0) return false;
#endif
  for (; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80 || c == ' ' || c == '\t') return false;
  }
  return true;
}

namespace {

// The header's fields and its count; false when the header is not the file's.
bool read_header(std::string_view header, std::size_t width, std::size_t count_field,
                 data_file_layout& layout) {
  layout.header.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = header.find(',', start);
    layout.header.push_back(header.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                 : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (layout.header.size() != width) return false;
  const std::string_view count_text = trimmed(layout.header[count_field]);
  if (count_text.empty() || count_text.size() > 9) return false;
  std::size_t count = 0;
  for (char c : count_text) {
    if (c < '0' || c > '9') return false;
    count = count * 10 + static_cast<std::size_t>(c - '0');
  }
  layout.count = count;
  return true;
}

// `rows` rows of `width` fields from `pos`, then nothing but empty lines; the body runs from
// `body_start` to the end of the rows.
layout_scan scan_rows_from(std::string_view bytes, std::size_t body_start, std::size_t pos,
                           std::size_t rows, std::size_t width, data_file_layout& layout) {
  if (rows > 0 && !scan_rows(bytes, pos, rows, width, layout.last_row)) {
    return layout_scan::damaged;
  }
  layout.body = bytes.substr(body_start, pos - body_start);
  std::string_view line;
  while (next_line(bytes, pos, line)) {
    if (!trimmed(line).empty()) return layout_scan::damaged;
  }
  return layout_scan::ok;
}

}  // namespace

layout_scan scan_data_file(std::string_view bytes, std::size_t width, std::size_t count_field,
                           data_file_layout& layout) {
  if (std::memchr(bytes.data(), '"', bytes.size()) != nullptr) return layout_scan::quoted;
  std::size_t pos = 0;
  std::string_view header;
  if (!next_line(bytes, pos, header)) return layout_scan::damaged;
  if (!read_header(header, width, count_field, layout)) return layout_scan::damaged;
  layout.last_row = {};
  return scan_rows_from(bytes, pos, pos, layout.count, width, layout);
}

std::size_t data_file_body_start(std::string_view bytes) {
  std::size_t pos = 0;
  std::string_view header;
  return next_line(bytes, pos, header) ? pos : std::string_view::npos;
}

layout_scan scan_data_file_after(std::string_view bytes, std::size_t width,
                                 std::size_t count_field, std::size_t known_rows,
                                 std::size_t known_bytes, data_file_layout& layout) {
  const std::size_t body_start = data_file_body_start(bytes);
  if (known_rows == 0 || known_bytes == 0 || body_start == std::string_view::npos ||
      known_bytes > bytes.size() - body_start || bytes[body_start + known_bytes - 1] != '\n' ||
      bytes[body_start] == '\n' || bytes[body_start] == '\r') {
    return scan_data_file(bytes, width, count_field, layout);
  }
  const std::size_t rest = body_start + known_bytes;
  if (std::memchr(bytes.data(), '"', body_start) != nullptr ||
      std::memchr(bytes.data() + rest, '"', bytes.size() - rest) != nullptr) {
    return layout_scan::quoted;
  }
  std::size_t pos = 0;
  std::string_view header;
  next_line(bytes, pos, header);
  if (!read_header(header, width, count_field, layout)) return layout_scan::damaged;
  // With no row after the known ones, where the last row lies is only found by reading them.
  if (layout.count <= known_rows) return scan_data_file(bytes, width, count_field, layout);
  layout.last_row = {};
  return scan_rows_from(bytes, body_start, rest, layout.count - known_rows, width, layout);
}

}  // namespace karigane
