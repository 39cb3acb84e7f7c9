// The exported cells: see export_cells.h.
#include "export/export_cells.h"

#include <charconv>

#include "adjust/price_adjustment.h"

namespace karigane {
namespace {

bool is_placeholder(std::string_view text) { return text.empty() || text == "---"; }

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

export_cell text_of(std::string_view text) {
  export_cell c;
  c.k = export_cell::kind::text;
  c.t.assign(text);
  return c;
}

}  // namespace

export_cell number_cell(std::string_view text) {
  export_cell c;
  if (is_placeholder(text)) return c;
  std::size_t b = 0;
  if (text[0] == '+' || text[0] == '-') b = 1;
  const std::string_view digits = text.substr(b);
  if (all_digits(digits) && digits.size() <= 18) {
    std::int64_t v = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    c.k = export_cell::kind::integer;
    c.i = text[0] == '-' ? -v : v;
    return c;
  }
  if (const std::optional<double> v = stored_number(text)) {
    c.k = export_cell::kind::real;
    c.r = *v;
    return c;
  }
  return text_of(text);
}

export_cell date_cell(std::string_view text) {
  if (is_placeholder(text)) return {};
  std::string iso;
  if (text.size() >= 8 && all_digits(text.substr(0, 8))) {
    iso.reserve(16);
    iso.append(text.substr(0, 4)).append("-").append(text.substr(4, 2)).append("-")
        .append(text.substr(6, 2));
    if (text.size() == 8) return text_of(iso);
    if (text.size() == 13 && text[8] == '_' && all_digits(text.substr(9, 4))) {
      iso.append(" ").append(text.substr(9, 2)).append(":").append(text.substr(11, 2));
      return text_of(iso);
    }
  }
  return text_of(text);
}

export_cell period_cell(std::string_view text) {
  if (is_placeholder(text)) return {};
  if (text.size() == 8 && all_digits(text) && text.substr(6) == "00") {
    std::string iso;
    iso.append(text.substr(0, 4)).append("-").append(text.substr(4, 2));
    return text_of(iso);
  }
  return text_of(text);
}

export_cell text_cell(std::string_view text) {
  if (text.empty()) return {};
  return text_of(text);
}

void append_csv_field(std::string& out, const export_cell& cell) {
  switch (cell.k) {
    case export_cell::kind::null:
      return;
    case export_cell::kind::integer: {
      char buf[24];
      const auto r = std::to_chars(buf, buf + sizeof buf, cell.i);
      out.append(buf, r.ptr);
      return;
    }
    case export_cell::kind::real: {
      char buf[32];
      const auto r = std::to_chars(buf, buf + sizeof buf, cell.r);
      out.append(buf, r.ptr);
      return;
    }
    case export_cell::kind::text:
      break;
  }
  if (cell.t.find_first_of(",\"\r\n") == std::string::npos) {
    out += cell.t;
    return;
  }
  out += '"';
  for (char ch : cell.t) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace karigane
