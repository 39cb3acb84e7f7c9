// Page pieces: see page_html.h.
#include "page_html.h"

#include <cstdlib>

namespace karigane::quote_site {

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string thousands(std::int64_t value) {
  const bool negative = value < 0;
  std::string digits = std::to_string(negative ? -value : value);
  std::string out;
  out.reserve(digits.size() + digits.size() / 3 + 1);
  if (negative) out.push_back('-');
  const std::size_t lead = digits.size() % 3 == 0 ? 3 : digits.size() % 3;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i >= lead && (i - lead) % 3 == 0) out.push_back(',');
    out.push_back(digits[i]);
  }
  return out;
}

std::string price_text(std::int64_t hundredths, bool index) {
  const bool negative = hundredths < 0;
  const std::int64_t v = negative ? -hundredths : hundredths;
  std::string out = thousands(v / 100);
  if (negative) out.insert(out.begin(), '-');
  const std::int64_t cents = v % 100;
  if (index || cents != 0) {
    out.push_back('.');
    out.push_back(static_cast<char>('0' + cents / 10));
    out.push_back(static_cast<char>('0' + cents % 10));
  }
  return out;
}

std::string kanji_date(const date& d) {
  return std::to_string(d.y) + "年" + std::to_string(d.m) + "月" + std::to_string(d.d) + "日";
}

std::string plain_slash_date(const date& d) {
  return std::to_string(d.y) + "/" + std::to_string(d.m) + "/" + std::to_string(d.d);
}

std::string number_options(int first, int last, int chosen, selected_place place) {
  std::string out;
  out.reserve(static_cast<std::size_t>(std::abs(last - first) + 1) * 36);
  for (int v = first; v <= last; ++v) {
    const std::string n = std::to_string(v);
    if (v != chosen) {
      out += "<option value=\"" + n + "\">" + n + "</option>";
    } else if (place == selected_place::before_value) {
      out += "<option selected value=\"" + n + "\">" + n + "</option>";
    } else {
      out += "<option value=\"" + n + "\" selected>" + n + "</option>";
    }
  }
  return out;
}

std::string site_header() {
  return "<div id=\"header\"><p class=\"logo\"><a href=\"/\">Karigane ファイナンス</a></p>\n"
         "<form action=\"/search/\" method=\"get\" class=\"searchBox\"><input type=\"text\" "
         "name=\"query\" size=\"20\"> <input type=\"submit\" value=\"検索\"></form></div>\n";
}

std::string unknown_stock_body() {
  return site_header() +
         "<div id=\"main\">\n<p class=\"error\">該当する銘柄はありません。<br>"
         "銘柄コードをお確かめのうえ、もう一度検索してください。</p>\n</div>\n";
}

std::string mobile_header() {
  return "<div id=\"header\"><a href=\"/\">Karigane ファイナンス</a></div>\n";
}

std::string mobile_missing_page_body() {
  return mobile_header() +
         "<div id=\"content\">\n<p class=\"error\">指定されたページは存在しません。</p>\n</div>\n";
}

std::string mobile_period_select(const char* name, int first, int last, int chosen) {
  return std::string("<select name=\"") + name + "\"> " +
         number_options(first, last, chosen, selected_place::after_value) + "</select>";
}

}  // namespace karigane::quote_site
