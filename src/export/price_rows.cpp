// The rows of a price file from its bytes: see price_rows.h.
#include "export/price_rows.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "adjust/price_adjustment.h"
#include "core/data_file_bytes.h"
#include "core/stock_code.h"
#include "core/text.h"
#include "export/export_cells.h"
#include "timeseries/price_files.h"
#include "timeseries/price_table.h"

namespace karigane {
namespace {

bool is_date8(std::string_view text) {
  if (text.size() != 8) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A hash of bytes given in pieces: four lanes of eight-byte words, each step a bijection of
// its lane, so that a change confined to one word always changes the hash. The digest can be
// taken at any point and the bytes continued, so that one pass yields the hash of the earlier
// export's rows and that of the rows the next export will compare.
class bytes_hash {
 public:
  void add(std::string_view bytes) {
    length_ += bytes.size();
    std::size_t i = 0;
    if (pending_size_ > 0) {
      const std::size_t take = std::min(kBlock - pending_size_, bytes.size());
      std::memcpy(pending_ + pending_size_, bytes.data(), take);
      pending_size_ += take;
      i = take;
      if (pending_size_ < kBlock) return;
      block(pending_);
      pending_size_ = 0;
    }
    for (; i + kBlock <= bytes.size(); i += kBlock) block(bytes.data() + i);
    pending_size_ = bytes.size() - i;
    std::memcpy(pending_, bytes.data() + i, pending_size_);
  }

  std::uint64_t digest() const {
    std::uint64_t last = lane_[0];
    for (std::size_t i = 0; i < pending_size_; ++i) {
      last = (last ^ static_cast<unsigned char>(pending_[i])) * kPrime;
    }
    return mix(last) ^ rotate(mix(lane_[1]), 16) ^ rotate(mix(lane_[2]), 32) ^
           rotate(mix(lane_[3]), 48) ^ (length_ * kPrime);
  }

 private:
  static constexpr std::size_t kBlock = 32;
  static constexpr std::uint64_t kPrime = 0x9E3779B97F4A7C15ULL;

  static std::uint64_t step(std::uint64_t lane, const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    lane = (lane ^ word) * kPrime;
    return lane ^ (lane >> 29);
  }
  static std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDULL;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ULL;
    return x ^ (x >> 33);
  }
  static std::uint64_t rotate(std::uint64_t x, int by) { return (x << by) | (x >> (64 - by)); }

  void block(const char* p) {
    lane_[0] = step(lane_[0], p);
    lane_[1] = step(lane_[1], p + 8);
    lane_[2] = step(lane_[2], p + 16);
    lane_[3] = step(lane_[3], p + 24);
  }

  std::uint64_t lane_[4] = {1, 2, 3, 4};
  char pending_[kBlock] = {};
  std::size_t pending_size_ = 0;
  std::uint64_t length_ = 0;
};

// Whether the reader would take the bytes as they stand: ASCII without blanks (line ends are
// neither). Eight bytes at a time.
bool plain_bytes(std::string_view bytes) {
  constexpr std::uint64_t high = 0x8080808080808080ULL;
  constexpr std::uint64_t ones = 0x0101010101010101ULL;
  auto has_byte = [](std::uint64_t w, unsigned char b) {
    const std::uint64_t x = w ^ (ones * b);
    return ((x - ones) & ~x & high) != 0;
  };
  std::size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, bytes.data() + i, 8);
    if ((w & high) != 0 || has_byte(w, ' ') || has_byte(w, '\t')) return false;
  }
  for (; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80 || c == ' ' || c == '\t') return false;
  }
  return true;
}

// The split list of a price file: for a raw file's adjusted close, an adjusted file's adjusted
// volume.
struct split_state {
  status read = status::missing;
  bunkatu_list_t list;
};

// Whether a split is dated after `day` (or has a date that cannot be compared): rows after
// `day` would then not all be newer than every split, and the split could fall on one of them.
bool split_after(const split_state& splits, std::string_view day) {
  const std::size_t m = std::min(split_count(splits.list), splits.list.size() - 1);
  for (std::size_t k = 1; k <= m; ++k) {
    const std::string& date = splits.list[k][0];  // the split's date
    if (!is_date8(date) || std::string_view(date) > day) return true;
  }
  return false;
}

// The date of the last line of `rows` (whole row lines, the last ended by LF).
std::string_view last_line_date(std::string_view rows) {
  std::size_t end = rows.size() - 1;  // the LF
  if (end > 0 && rows[end - 1] == '\r') --end;
  std::size_t start = end;
  while (start > 0 && rows[start - 1] != '\n' && rows[start - 1] != '\r') --start;
  const std::string_view line = rows.substr(start, end - start);
  return line.substr(0, line.find(','));
}

// The price fields of one row line from `p` (a plain line of six fields, as the scan found
// it); `p` moves past its line end (CR LF, LF or a lone CR), as the scan cuts lines.
std::array<std::string_view, kPriceFileWidth> next_row(const char*& p, const char* end) {
  std::array<std::string_view, kPriceFileWidth> f{};
  for (std::size_t i = 0; i + 1 < kPriceFileWidth; ++i) {
    const char* q = p;
    while (q < end && *q != ',') ++q;
    f[i] = std::string_view(p, static_cast<std::size_t>(q - p));
    p = q < end ? q + 1 : q;
  }
  const char* q = p;
  while (q < end && *q != '\r' && *q != '\n') ++q;
  f[kPriceFileWidth - 1] = std::string_view(p, static_cast<std::size_t>(q - p));
  if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
  p = q < end ? q + 1 : q;
  return f;
}

// Row k's close, adjusted by the split list (the adjusted files' rule runs over the closes of
// the whole series), for every row of the file. The table is kept per thread: only its dates
// and closes are ever written, so the other fields stay empty from one file to the next.
void adjust_closes(const export_source& s, const split_state& splits, std::size_t n,
                   jikeiretu_data_t& closes) {
  closes[0][kPriceCode] = s.code;
  closes[0][kPriceCount] = std::to_string(n);
  adjust_prices_for_splits(splits.list, closes);
}

enum class built { ok, not_plain, not_ascending };

// The rows of the scanned file from row `first` (its line at `from` in the body) on.
built build_rows(const export_source& s, const data_file_layout& layout, std::size_t first,
                 std::size_t from, std::string_view before, const split_state& splits,
                 bool adjusted_file, bytes_hash& hash, export_rows& rows) {
  const std::size_t n = layout.count;
  const std::string_view body = layout.body;
  if (!plain_bytes(body.substr(from))) return built::not_plain;
  // The split rule over the whole series, or, for rows newer than every split, the factor 1
  // (the close floored, as the rule does) and for an index code nothing, as the rule leaves
  // those tables; a damaged split list leaves the adjusted close unknown.
  const bool adjust_all = !adjusted_file && first == 1 && splits.read == status::ok;
  const bool floor_closes = splits.read == status::ok && compare_codes(s.code, "1000") >= 0;
  thread_local jikeiretu_data_t closes;
  if (adjust_all) closes.resize(n + 1);
  // An adjusted file's volumes times the splits that adjusted its prices: over the whole
  // series, or, for rows newer than every split, as they are (the factor 1).
  const bool volumes_all = adjusted_file && first == 1 && splits.read == status::ok;
  thread_local std::vector<std::string_view> dates, volumes;
  dates.clear();
  volumes.clear();

  rows.cells.reserve((n - first + 1) * rows.width, (n - first + 1) * 10 + s.code.size());
  const export_cell code = rows.cells.kept_text(s.code);

  const char* p = body.data() + from;
  const char* const end = body.data() + body.size();
  const char* last_start = p;
  std::string_view previous = before;
  bool ascending = true;
  for (std::size_t k = first; k <= n; ++k) {
    last_start = p;
    const auto f = next_row(p, end);
    if (!is_date8(f[0]) || (k > 1 && !(previous < f[0]))) ascending = false;
    previous = f[0];
    rows.cells.repeat(code);
    rows.cells.date(f[0]);
    for (std::size_t c = 1; c <= 5; ++c) rows.cells.number(f[c]);
    if (adjusted_file) {
      if (volumes_all) {
        dates.push_back(f[0]);
        volumes.push_back(f[5]);
        rows.cells.null();
      } else if (splits.read == status::ok || splits.read == status::missing) {
        rows.cells.number(f[5]);
      } else {
        rows.cells.null();  // a damaged split list: unknown
      }
      continue;
    }
    if (adjust_all) {
      closes[k][0].assign(f[0]);
      closes[k][4].assign(f[4]);
      rows.cells.null();
    } else if (splits.read == status::missing || (splits.read == status::ok && !floor_closes)) {
      rows.cells.number(f[4]);  // no split list (or an index): the closes as stored
    } else if (splits.read == status::ok) {
      rows.cells.number(adjusted_price_text(std::string(f[4]), 1.0f));
    } else {
      rows.cells.null();  // a damaged split list: unknown (counted with the splits)
    }
  }
  if (first > 1 && !ascending) return built::not_ascending;
  if (adjust_all) {
    adjust_closes(s, splits, n, closes);
    for (std::size_t k = 1; k <= n; ++k) {
      rows.cells.number(closes[k][4]);
      rows.cells.move_last_to((k - 1) * rows.width + rows.width - 1);
    }
  }
  if (volumes_all) {
    const std::vector<volume_factor> factors = volume_factors(splits.list, dates);
    for (std::size_t k = 1; k <= n; ++k) {
      rows.cells.scaled(volumes[k - 1], factors[k - 1]);
      rows.cells.move_last_to((k - 1) * rows.width + rows.width - 1);
    }
  }
  rows.appended = first > 1;
  // The next export's record: the rows but the last, when they end in a line feed.
  const std::size_t prefix = static_cast<std::size_t>(last_start - body.data());
  if (ascending && n >= 2 && prefix > 0 && body[prefix - 1] == '\n') {
    hash.add(body.substr(from, prefix - from));
    rows.next = {n - 1, prefix, hash.digest(), std::string(previous)};
  }
  return built::ok;
}

// The CSV lines of price rows, written at a place kept ahead of the bytes: a row's fields are
// copied as they are scanned, and only a field that is not already in the export's form takes
// the way of the cells (append_csv_number).
class line_writer {
 public:
  // Room for `bytes` to begin with (zeroed by the string, whose capacity is otherwise kept).
  line_writer(std::string& out, std::size_t bytes) : out_(out) {
    out_.resize(bytes);
    at_ = out_.data();
  }
  ~line_writer() { out_.resize(written()); }

  // Room for `bytes` more.
  void reserve(std::size_t bytes) {
    const std::size_t done = written();
    if (out_.size() - done >= bytes) return;
    out_.resize(std::max(out_.size() * 2, done + bytes));
    at_ = out_.data() + done;
  }
  void put(std::string_view bytes) {
    std::memcpy(at_, bytes.data(), bytes.size());
    at_ += bytes.size();
  }
  void put(char c) { *at_++ = c; }

  // A date of eight digits and its comma from `p` (both passed), as "YYYY-MM-DD".
  void date8(const char*& p) {
    std::memcpy(at_, p, 4);
    at_[4] = '-';
    std::memcpy(at_ + 5, p + 4, 2);
    at_[7] = '-';
    std::memcpy(at_ + 8, p + 6, 2);
    at_ += 10;
    p += 9;
  }

  // A number field from `p`, up to its comma or, for the last field, the line end (both passed,
  // CR LF, LF or a lone CR as the scan cuts lines). At most kRoom bytes are copied as they are
  // scanned: a plain integer is then known at once, anything else is checked or converted.
  void number(const char*& p, const char* end, bool last) {
    const char* q = p;
    const char* const stop = end - p > kRoom ? p + kRoom : end;
    char* o = at_;
    unsigned kinds = 0;
    const std::array<unsigned char, 256>& kinds_table = kinds_of();
    while (q < stop) {
      const unsigned k = kinds_table[static_cast<unsigned char>(*q)];
      if (k & kEnd) break;
      kinds |= k;
      *o++ = *q++;
    }
    // Fields before the last end at a comma alone, the last one at the line end.
    const bool whole = q == end || (last ? *q != ',' : *q == ',');
    if (!whole || (q == stop && q < end)) {
      while (q < end && (last ? *q != '\r' && *q != '\n' : *q != ',')) ++q;
    }
    const std::string_view f(p, static_cast<std::size_t>(q - p));
    if (last && q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
    p = q < end ? q + 1 : q;
    if (o - at_ == static_cast<std::ptrdiff_t>(f.size()) &&
        (kinds == kDigit ? (f[0] != '0' || f.size() == 1) && f.size() <= 18
                         : (kinds & kOther) == 0 && written_as_exported(f))) {
      at_ = o;
      return;
    }
    number(f);
  }

  // A number's text.
  void number(std::string_view text) {
    if (written_as_exported(text)) {
      reserve(text.size());
      put(text);
      return;
    }
    slow_.clear();
    append_csv_number(slow_, text);
    reserve(slow_.size());
    put(slow_);
  }

  // The bytes of a number field copied before it is known to be one to copy.
  static constexpr std::ptrdiff_t kRoom = 40;
  // Room a row needs besides its code and the number fields that are not copied: the date,
  // six fields of kRoom bytes and their commas, the line end.
  static constexpr std::size_t kRowRoom = 16 + 6 * (kRoom + 1) + 2;

 private:
  static constexpr unsigned char kDigit = 1, kSignOrPoint = 2, kOther = 4, kEnd = 8;

  // What each byte is to a number field.
  static const std::array<unsigned char, 256>& kinds_of() {
    static const std::array<unsigned char, 256> kinds = [] {
      std::array<unsigned char, 256> k{};
      k.fill(kOther);
      for (char c = '0'; c <= '9'; ++c) k[static_cast<unsigned char>(c)] = kDigit;
      k['-'] = k['.'] = kSignOrPoint;
      k[','] = k['\r'] = k['\n'] = kEnd;
      return k;
    }();
    return kinds;
  }

  std::size_t written() const { return static_cast<std::size_t>(at_ - out_.data()); }

  std::string& out_;
  char* at_ = nullptr;
  std::string slow_;
};

// Eight digits as a number that orders as the text does.
std::uint64_t date_key(const char* date8) {
  std::uint64_t v;
  std::memcpy(&v, date8, 8);
  return __builtin_bswap64(v);
}

// The rows of a scanned price file as the CSV export writes them, straight into
// `rows.prepared` with no cells: the code, the ISO date, the stored numbers copied where they
// are already in the export's form, and the adjusted close. Only for files in strict date order
// (their keys are then unique); any other goes the way of the cells.
built build_lines(const export_source& s, const data_file_layout& layout, const split_state& splits,
                  export_rows& rows) {
  const std::size_t n = layout.count;
  const std::string_view body = layout.body;
  if (!plain_bytes(body)) return built::not_plain;
  const char* const end = body.data() + body.size();
  // Eight digits and a comma, in strict order: the date of the row at `p`.
  std::uint64_t previous = 0;
  const auto next_date = [&](const char* p, std::size_t k) {
    if (end - p < 9 || p[8] != ',' || !is_date8(std::string_view(p, 8))) return false;
    const std::uint64_t key = date_key(p);
    if (k > 1 && key <= previous) return false;
    previous = key;
    return true;
  };
  // The split rule runs over the whole series before any adjusted close is known.
  const bool adjust_all = splits.read == status::ok;
  thread_local jikeiretu_data_t closes;
  if (adjust_all) {
    closes.resize(n + 1);
    const char* p = body.data();
    for (std::size_t k = 1; k <= n; ++k) {
      if (!next_date(p, k)) return built::not_ascending;
      const auto f = next_row(p, end);
      closes[k][0].assign(f[0]);
      closes[k][4].assign(f[4]);
    }
    adjust_closes(s, splits, n, closes);
  }

  std::string code;
  export_cell code_cell;
  code_cell.k = s.code.empty() ? export_cell::kind::null : export_cell::kind::text;
  append_csv_field(code, code_cell, s.code);
  code += ',';
  {
    line_writer out(rows.prepared, body.size() + n * (code.size() + 24) + line_writer::kRowRoom);
    const char* p = body.data();
    for (std::size_t k = 1; k <= n; ++k) {
      out.reserve(code.size() + line_writer::kRowRoom);
      if (!adjust_all && !next_date(p, k)) return built::not_ascending;
      out.put(code);
      out.date8(p);
      const char* close = nullptr;
      for (std::size_t c = 1; c <= 5; ++c) {
        out.put(',');
        if (c == 4) close = p;
        out.number(p, end, c == 5);
      }
      out.put(',');
      // No split list: the closes as stored; a damaged one: unknown (counted with the splits).
      if (adjust_all) {
        out.number(std::string_view(closes[k][4]));
      } else if (splits.read == status::missing) {
        out.number(close, end, false);
      }
      out.put("\r\n");
    }
  }
  rows.lines = n;
  return built::ok;
}

}  // namespace

bool price_lines_from_bytes(const export_source& s, std::string_view bytes, bool adjusted_file,
                            export_rows& rows) {
  // An adjusted file's lines carry the adjusted volume, which the cells' way computes.
  if (adjusted_file) return false;
  split_state splits;
  splits.read = read_dated_file(s.split_path, splits.list, kSplitFile, false);
  data_file_layout layout;
  if (scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout) != layout_scan::ok) {
    return false;
  }
  if (build_lines(s, layout, splits, rows) == built::ok) return true;
  rows.clear();
  return false;
}

bool price_rows_from_bytes(const export_source& s, std::string_view bytes,
                           const append_hint* hint, bool adjusted_file, export_rows& rows) {
  split_state splits;
  splits.read = read_dated_file(s.split_path, splits.list, kSplitFile, false);
  data_file_layout layout;
  bool scanned = false;
  bytes_hash hash;
  // The earlier export's rows are still there when the body begins with the same bytes.
  const std::size_t body_start = data_file_body_start(bytes);
  if (hint != nullptr && hint->prefix_rows >= 1 && hint->prefix_bytes >= 1 &&
      is_date8(hint->last_date) && body_start != std::string_view::npos &&
      hint->prefix_bytes < bytes.size() - body_start) {
    hash.add(bytes.substr(body_start, hint->prefix_bytes));
    if (hash.digest() == hint->prefix_hash) {
      if (scan_data_file_after(bytes, kPriceFileWidth, kPriceCount, hint->prefix_rows,
                               hint->prefix_bytes, layout) != layout_scan::ok) {
        return false;
      }
      scanned = true;
      const std::string_view before = last_line_date(layout.body.substr(0, hint->prefix_bytes));
      // Rows after the earlier ones are newer than every split only when no split lies after
      // the last earlier row; otherwise the rule may adjust the earlier rows (their closes, or
      // an adjusted file's volumes) anew.
      if (layout.count > hint->prefix_rows && !split_after(splits, before)) {
        const built b = build_rows(s, layout, hint->prefix_rows + 1, hint->prefix_bytes, before,
                                   splits, adjusted_file, hash, rows);
        if (b == built::ok) return true;
        if (b == built::not_plain) return false;
        rows.clear();
      }
    }
    hash = {};
  }
  if (!scanned &&
      scan_data_file(bytes, kPriceFileWidth, kPriceCount, layout) != layout_scan::ok) {
    return false;
  }
  return build_rows(s, layout, 1, 0, {}, splits, adjusted_file, hash, rows) == built::ok;
}

}  // namespace karigane
