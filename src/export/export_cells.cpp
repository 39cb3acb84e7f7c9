// The exported cells: see export_cells.h.
#include "export/export_cells.h"

#include <charconv>
#include <cmath>
#include <cstring>

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

// The cell's field, made through a cell kept for the thread.
template <typename Add>
void append_through_cell(std::string& out, Add add) {
  thread_local export_cells one;
  one.clear();
  add(one);
  const export_cell& c = one[0];
  append_csv_field(out, c, c.k == export_cell::kind::text ? one.text_of(c) : std::string_view());
}

}  // namespace

void append_csv_number(std::string& out, std::string_view text) {
  if (written_as_exported(text)) {
    out += text;
  } else if (!is_placeholder(text)) {
    append_through_cell(out, [&](export_cells& c) { c.number(text); });
  }
}

void append_csv_date(std::string& out, std::string_view text) {
  if (text.size() == 8 && all_digits(text)) {
    char iso[10] = {text[0], text[1], text[2], text[3], '-', text[4],
                    text[5], '-',     text[6], text[7]};
    out.append(iso, sizeof iso);
  } else if (!is_placeholder(text)) {
    append_through_cell(out, [&](export_cells& c) { c.date(text); });
  }
}

char* export_cells::add_text_space(std::size_t size) {
  export_cell c;
  c.k = export_cell::kind::text;
  c.size = static_cast<std::uint32_t>(size);
  c.at = texts_.size();
  cells_.push_back(c);
  texts_.resize(texts_.size() + size);
  return texts_.data() + c.at;
}

export_cell export_cells::kept_text(std::string_view text) {
  if (text.empty()) return {};
  export_cell c;
  c.k = export_cell::kind::text;
  c.size = static_cast<std::uint32_t>(text.size());
  c.at = texts_.size();
  texts_.append(text);
  return c;
}

void export_cells::add_text(std::string_view text) {
  std::memcpy(add_text_space(text.size()), text.data(), text.size());
}

void export_cells::number(std::string_view text) {
  if (is_placeholder(text)) {
    null();
    return;
  }
  const bool signed_text = text[0] == '+' || text[0] == '-';
  const std::string_view digits = text.substr(signed_text ? 1 : 0);
  if (!digits.empty() && digits.size() <= 18) {
    std::int64_t v = 0;
    std::size_t i = 0;
    for (; i < digits.size(); ++i) {
      const unsigned d = static_cast<unsigned>(digits[i] - '0');
      if (d > 9) break;
      v = v * 10 + d;
    }
    if (i == digits.size()) {
      export_cell& c = cells_.emplace_back();
      c.k = export_cell::kind::integer;
      c.i = text[0] == '-' ? -v : v;
      return;
    }
  }
  if (const std::optional<double> v = stored_number(text)) {
    export_cell& c = cells_.emplace_back();
    c.k = export_cell::kind::real;
    c.r = *v;
    return;
  }
  add_text(text);
}

void export_cells::scaled(std::string_view text, const volume_factor& factor) {
  const std::optional<double> v = stored_number(text);
  if (!v) {
    null();
    return;
  }
  const double product = factor.of(*v);
  export_cell& c = cells_.emplace_back();
  if (std::fabs(product) < 9.0e15 && product == std::floor(product)) {
    c.k = export_cell::kind::integer;
    c.i = static_cast<std::int64_t>(product);
  } else {
    c.k = export_cell::kind::real;
    c.r = product;
  }
}

void export_cells::date(std::string_view text) {
  if (is_placeholder(text)) {
    null();
    return;
  }
  if (text.size() >= 8 && all_digits(text.substr(0, 8))) {
    const bool day = text.size() == 8;
    const bool time = text.size() == 13 && text[8] == '_' && all_digits(text.substr(9, 4));
    if (day || time) {
      char* out = add_text_space(day ? 10 : 16);
      std::memcpy(out, text.data(), 4);
      out[4] = '-';
      std::memcpy(out + 5, text.data() + 4, 2);
      out[7] = '-';
      std::memcpy(out + 8, text.data() + 6, 2);
      if (time) {
        out[10] = ' ';
        std::memcpy(out + 11, text.data() + 9, 2);
        out[13] = ':';
        std::memcpy(out + 14, text.data() + 11, 2);
      }
      return;
    }
  }
  add_text(text);
}

void export_cells::period(std::string_view text) {
  if (is_placeholder(text)) {
    null();
    return;
  }
  if (text.size() == 8 && all_digits(text) && text.substr(6) == "00") {
    char* out = add_text_space(7);
    std::memcpy(out, text.data(), 4);
    out[4] = '-';
    std::memcpy(out + 5, text.data() + 4, 2);
    return;
  }
  add_text(text);
}

void export_cells::text(std::string_view text) {
  if (text.empty()) {
    null();
    return;
  }
  add_text(text);
}

void append_csv_field(std::string& out, const export_cell& cell, std::string_view text) {
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
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace karigane
