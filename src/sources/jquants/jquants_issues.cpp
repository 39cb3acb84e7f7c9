// J-Quants' issues: see jquants_issues.h.
#include "sources/jquants/jquants_issues.h"

#include <array>

#include "core/cp932.h"
#include "core/stock_code.h"
#include "core/text.h"
#include "latest/stock_list_renewal.h"

namespace karigane {
namespace {

struct segment {
  std::string_view code;
  const char* name;
};

// The segments of J-Quants' Mkt field: the Prime, Standard and Growth markets since April 2022,
// the sections and markets before them.
constexpr std::array<segment, 10> kSegments{{
    {"0111", "東証プライム"},
    {"0112", "東証スタンダード"},
    {"0113", "東証グロース"},
    {"0101", "東証1部"},
    {"0102", "東証2部"},
    {"0104", "マザーズ"},
    {"0105", "東証PRO"},
    {"0106", "JQS"},
    {"0107", "JQG"},
    {"0109", "東証その他"},
}};

}  // namespace

std::optional<std::string> program_code_of(std::string_view api_code) {
  if (api_code.size() != 5 || api_code.back() != '0') return std::nullopt;
  const std::string_view code = api_code.substr(0, 4);
  if (!is_stock_code(code)) return std::nullopt;
  return std::string(code);
}

bool is_program_index_code(std::string_view code) {
  return is_numeric_code(code) && code < std::string_view("1300");
}

std::string api_code_of(std::string_view code) { return std::string(code) + "0"; }

std::string stored_name(std::string_view name) {
  std::string out;
  for (const char c : cp932_roundtrip(name)) {
    if (c == ',') {
      out += "，";
    } else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
      out += c;
    }
  }
  return trim(out);
}

std::string market_name_of(std::string_view segment_code, std::string_view segment_name) {
  for (const segment& s : kSegments) {
    if (s.code == segment_code) return s.name;
  }
  return stored_name("東証" + trim(segment_name));
}

const stock_entry* issue_register::find(run_context& ctx, const std::string& code) {
  if (!read_) {
    read_ = true;
    entries_.clear();
    index_.clear();
    stock_list list;
    if (read_stock_list(ctx, layout_, list)) entries_ = std::move(list.entries);
    for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(trim(entries_[i].code), i);
  }
  const auto it = index_.find(code);
  return it == index_.end() ? nullptr : &entries_[it->second];
}

api_outcome listed_issues(run_context& ctx, jquants_client& client, const date& day,
                          std::vector<stock_entry>& issues) {
  return client.get(ctx, api_endpoint::master, {{"date", api_date(day)}}, [&](const api_row& row) {
    const auto api_code = row.text("Code");
    const std::optional<std::string> code = api_code ? program_code_of(*api_code) : std::nullopt;
    if (!code) return;
    const std::string market =
        market_name_of(row.text("Mkt").value_or(""), row.text("MktNm").value_or(""));
    issues.push_back(
        {*code, market_letter(market), market, stored_name(row.text("CoName").value_or(""))});
  });
}

}  // namespace karigane
