// The split adjustment: see price_adjustment.h.
#include "adjust/price_adjustment.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <tuple>
#include <utility>

#include "core/cp932.h"
#include "core/data_file_bytes.h"
#include "core/fields.h"
#include "core/run_context.h"
#include "core/stock_code.h"
#include "core/text.h"

namespace karigane {
namespace {

// Price fields of a row (0-based): open, high, low, close. Date and volume are never touched.
constexpr std::size_t kFirstPriceField = 1;
constexpr std::size_t kLastPriceField = 4;

// Fields of a split row.
constexpr std::size_t kSplitDate = 0;
constexpr std::size_t kSplitBefore = 1;
constexpr std::size_t kSplitAfter = 2;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The numeric value of a date field, as Val reads it; plain digits take the fast way.
double date_value(std::string_view text) {
  const std::optional<double> v = stored_number(text);
  return v ? *v : val(text);
}

// Digits without a leading zero: the text an integer is written as, so two such texts are
// equal exactly when their values are.
bool is_canonical_integer(std::string_view text) {
  if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text) {
    if (!is_digit(c)) return false;
  }
  return true;
}

// Whether a row's date has the value of the split's date (`split_canonical` tells whether the
// split's date is written as an integer is). Equal texts have equal values; two different
// integer texts never do.
bool same_date(std::string_view row_date, std::string_view split_date, double split_value,
               bool split_canonical) {
  // Equal texts first, compared in place (a library call per row costs more): this runs for
  // nearly every row.
  if (row_date.size() == split_date.size()) {
    std::size_t i = 0;
    while (i < row_date.size() && row_date[i] == split_date[i]) ++i;
    if (i == row_date.size()) return true;
  }
  if (split_canonical && is_canonical_integer(row_date)) return false;
  return date_value(row_date) == split_value;
}

}  // namespace

std::optional<double> stored_number(std::string_view text) {
  // Nearly every stored number is a plain integer: one pass, no general conversion.
  if (!text.empty() && text.size() <= 15) {
    std::int64_t n = 0;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
      const unsigned d = static_cast<unsigned>(text[i] - '0');
      if (d > 9) break;
      n = n * 10 + d;
    }
    if (i == text.size()) return static_cast<double>(n);
  }
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && is_blank(text[b])) ++b;
  while (e > b && is_blank(text[e - 1])) --e;
  bool negative = false;
  if (b < e && (text[b] == '+' || text[b] == '-')) {
    negative = text[b] == '-';
    ++b;
  }
  const std::string_view body = text.substr(b, e - b);
  std::size_t digits = 0;
  std::size_t points = 0;
  for (char c : body) {
    if (is_digit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  // from_chars rounds correctly and ignores the locale, which the window may have changed.
  const auto r = std::from_chars(body.data(), body.data() + body.size(), value,
                                 std::chars_format::fixed);
  if (r.ec != std::errc() || r.ptr != body.data() + body.size()) return std::nullopt;
  return negative ? -value : value;
}

namespace {

// The adjusted digits of one price, or false when the price keeps its text: the largest
// integer not above factor x value.
bool adjusted_digits(std::string_view text, float factor, char (&digits)[24], std::size_t& length) {
  // Rows newer than every split keep their integer prices as they are written.
  if (factor == 1.0f && is_canonical_integer(text)) return false;
  const std::optional<double> value = stored_number(text);
  if (!value) return false;
  const double product = std::floor(static_cast<double>(factor) * *value);
  if (!(std::fabs(product) < 9.0e18)) return false;
  const auto r = std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(product));
  length = static_cast<std::size_t>(r.ptr - digits);
  return true;
}

// The price of a row, adjusted in place (the run's innermost step: no new string).
void adjust_price_field(std::string& text, float factor) {
  char digits[24];
  std::size_t length = 0;
  if (!adjusted_digits(text, factor, digits, length)) return;
  text.clear();
  text.append(digits, length);
}

// Walks the rows from the newest (n) to the oldest (1), calling scale(i, factor, volume) with
// the price and volume factors in force for row i, and moves them on at each split's date.
// `date_of(i)` is row i's date. False when a split met its day but could not scale.
template <typename DateOf, typename Scale>
bool walk_split_factors(const bunkatu_list_t& splits, std::size_t n, DateOf date_of, Scale scale) {
  bool every_split_scaled = true;
  float factor = 1.0f;
  volume_factor volume;
  std::size_t s = splits.empty() ? 0 : std::min(split_count(splits), splits.size() - 1);
  double split_date = 0;
  bool split_canonical = false;
  auto take_split = [&] {
    split_date = date_value(splits[s][kSplitDate]);
    split_canonical = is_canonical_integer(splits[s][kSplitDate]);
  };
  if (s >= 1) take_split();
  for (std::size_t i = n; i >= 1; --i) {
    scale(i, factor, volume);
    if (s >= 1 && same_date(date_of(i), splits[s][kSplitDate], split_date, split_canonical)) {
      const std::optional<double> before = stored_number(splits[s][kSplitBefore]);
      const std::optional<double> after = stored_number(splits[s][kSplitAfter]);
      const float next =
          before && after && *before > 0 && *after > 0
              ? static_cast<float>(static_cast<double>(factor) * *before / *after)
              : 0.0f;
      // A zero or missing share count would turn every older price into 0, inf or NaN.
      if (std::isfinite(next) && next > 0) {
        factor = next;
        volume.after *= *after;
        volume.before *= *before;
      } else {
        every_split_scaled = false;
      }
      --s;
      if (s >= 1) take_split();
    }
  }
  return every_split_scaled;
}

}  // namespace

std::string adjusted_price_text(const std::string& text, float factor) {
  std::string out = text;
  adjust_price_field(out, factor);
  return out;
}

bool adjust_prices_for_splits(const bunkatu_list_t& splits, jikeiretu_data_t& prices) {
  if (prices.empty() || compare_codes(prices[0][kPriceCode], "1000") < 0) return true;
  const std::size_t n = std::min(price_count(prices), prices.size() - 1);
  return walk_split_factors(
      splits, n, [&](std::size_t i) -> const std::string& { return prices[i][0]; },
      [&](std::size_t i, float factor, const volume_factor&) {
        for (std::size_t f = kFirstPriceField; f <= kLastPriceField; ++f) {
          adjust_price_field(prices[i][f], factor);
        }
      });
}

std::vector<volume_factor> volume_factors(const bunkatu_list_t& splits,
                                          std::span<const std::string_view> dates) {
  std::vector<volume_factor> factors(dates.size());
  walk_split_factors(
      splits, dates.size(), [&](std::size_t i) { return dates[i - 1]; },
      [&](std::size_t i, float, const volume_factor& volume) { factors[i - 1] = volume; });
  return factors;
}

namespace {

// Copies a field of a few bytes: a library call per field would cost more than the bytes.
char* put_bytes(char* p, std::string_view text) {
  for (const char c : text) *p++ = c;
  return p;
}

// The adjusted text of the price at `field` (up to its comma) written at `p`; returns the end
// of both. What adjusted_digits makes of it, with the plain integer that nearly every price is
// copied while it is read and only rewritten when it changes.
std::pair<const char*, char*> put_price(const char* field, char* p, float factor) {
  char* const out = p;
  std::uint64_t value = 0;
  bool digits = true;
  const char* f = field;
  for (; *f != ','; ++f) {
    *p++ = *f;
    const unsigned d = static_cast<unsigned>(*f - '0');
    digits = digits && d <= 9;
    value = value * 10 + d;
  }
  const std::size_t size = static_cast<std::size_t>(f - field);
  if (digits && size >= 1 && size <= 15) {
    const bool canonical = size == 1 || field[0] != '0';
    if (factor == 1.0f && canonical) return {f, p};
    // The factor is positive, so the product is too: the conversion's truncation floors it.
    const double product = static_cast<double>(factor) * static_cast<double>(value);
    if (!(product < 9.0e18)) return {f, p};
    return {f, std::to_chars(out, out + 24, static_cast<std::int64_t>(product)).ptr};
  }
  char adjusted[24];
  std::size_t length = 0;
  if (!adjusted_digits(std::string_view(field, size), factor, adjusted, length)) return {f, p};
  return {f, put_bytes(out, std::string_view(adjusted, length))};
}

}  // namespace

std::optional<std::string_view> adjusted_price_file(std::string_view bytes,
                                                    const data_file_layout& layout,
                                                    const bunkatu_list_t& splits,
                                                    std::string& work) {
  if (layout.header.size() != kPriceFileWidth || !reads_as_written(layout.body)) {
    return std::nullopt;
  }
  // The header as the reader and the writer would pass it on: decoded, each field trimmed,
  // encoded again.
  const std::string_view last = layout.header.back();
  const std::string header_text = cp932_to_utf8(
      bytes.substr(0, static_cast<std::size_t>(last.data() + last.size() - bytes.data())));
  field_reader header_reader(header_text);
  std::vector<std::string> header;
  if (!header_reader.next_line(header) || header.size() != kPriceFileWidth) return std::nullopt;
  csv_text header_line;
  header_line.add_row(header, kPriceFileWidth);

  // The rows (no blanks: each field is its bytes).
  thread_local std::vector<std::string_view> rows;
  row_lines(layout, rows);
  if (rows.size() != layout.count) return std::nullopt;
  const std::size_t n = rows.size();

  // The factor of every row; an index code is left as it is (nothing floored either).
  thread_local std::vector<float> factors;
  factors.assign(n + 1, 1.0f);
  const bool adjusts = compare_codes(header[kPriceCode], "1000") >= 0;
  if (adjusts) {
    walk_split_factors(
        splits, n,
        [&](std::size_t i) {
          const std::string_view row = rows[i - 1];
          std::size_t comma = 0;
          while (comma < row.size() && row[comma] != ',') ++comma;
          return row.substr(0, comma);
        },
        [&](std::size_t i, float factor, const volume_factor&) { factors[i] = factor; });
  }

  // Written through a pointer into `work`, which only ever grows, so that its memory is not
  // filled again for every file; a row is begun only with room for its longest form (every
  // price as long as an int64, CR LF).
  const std::string header_bytes = header_line.cp932();
  const std::size_t room = header_bytes.size() + layout.body.size() + 2 * n + 256;
  if (work.size() < room) work.resize(room);
  std::memcpy(work.data(), header_bytes.data(), header_bytes.size());
  std::size_t used = header_bytes.size();
  for (std::size_t i = 1; i <= n; ++i) {
    const std::string_view row = rows[i - 1];
    if (const std::size_t need = used + row.size() + 4 * 24 + 2; need > work.size()) {
      work.resize(std::max(need, work.size() + work.size() / 2));
    }
    char* p = work.data() + used;
    if (!adjusts) {
      std::memcpy(p, row.data(), row.size());
      p += row.size();
    } else {
      // Six fields: the scan saw five commas on every row.
      const float factor = factors[i];
      const char* f = row.data();
      for (; *f != ','; ++f) *p++ = *f;  // the date
      for (std::size_t field = kFirstPriceField; field <= kLastPriceField; ++field) {
        *p++ = ',';
        std::tie(f, p) = put_price(f + 1, p, factor);
      }
      p = put_bytes(p, std::string_view(f, static_cast<std::size_t>(row.data() + row.size() - f)));
    }
    *p++ = '\r';
    *p++ = '\n';
    used = static_cast<std::size_t>(p - work.data());
  }
  return std::string_view(work.data(), used);
}

}  // namespace karigane
