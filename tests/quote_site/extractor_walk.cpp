// The extractor walk: see extractor_walk.h.
#include "extractor_walk.h"

#include "core/cp932.h"
#include "core/text.h"
#include "sources/quote_site/quote_addresses.h"

namespace karigane::testing {
namespace {

struct text {
  u32 s;
  std::size_t find(const char* needle, std::size_t from = 1) const { return instr(s, to_u32(needle), from); }
  std::string between(std::size_t from, std::size_t to) const {  // characters from..to-1
    return to > from ? to_utf8(mid(s, from, to - from)) : std::string();
  }
  bool has(const char* needle) const { return find(needle) != 0; }
};

std::string kanji_date_digits(const std::string& cell) {
  const text t{to_u32(cell)};
  const std::size_t y = t.find("年");
  const std::size_t m = t.find("月", y);
  const std::size_t d = t.find("日", m);
  return t.between(1, y) + zero_pad_below_10(t.between(y + 1, m)) + zero_pad_below_10(t.between(m + 1, d));
}

std::string slash_date_digits(const std::string& cell) {
  const text t{to_u32(cell)};
  const std::size_t a = t.find("/");
  const std::size_t b = t.find("/", a + 1);
  return t.between(1, a) + zero_pad_below_10(t.between(a + 1, b)) +
         zero_pad_below_10(to_utf8(mid(t.s, b + 1)));
}

// Six selected option texts: marker, then `selected`, then ">", text up to "<".
std::string read_period(const text& page, const std::array<const char*, 6>& markers, const char* selected) {
  std::size_t p = 1;
  std::string parts[6];
  for (int i = 0; i < 6; ++i) {
    p = page.find(markers[i], p);
    if (p == 0) return {};
    p = page.find(selected, p);
    if (p == 0) return {};
    p = page.find(">", p);
    const std::size_t q = page.find("<", p);
    parts[i] = trim(page.between(p + 1, q));
    if (i % 3 != 0) parts[i] = zero_pad_below_10(parts[i]);
    p = q;
  }
  return parts[0] + "/" + parts[1] + "/" + parts[2] + "-" + parts[3] + "/" + parts[4] + "/" + parts[5];
}

// Cuts the table body and reads its rows; `slash_dates` for the mobile price rows.
void read_rows(const text& page, bool slash_dates, walked_page& w) {
  std::size_t p = page.find(">終値<");
  if (p == 0) { w.failed = "b41"; return; }
  p = page.find("<TR", p);
  text body{mid(page.s, p)};
  const std::size_t end = body.find("</TBODY");
  if (end == 0) { w.failed = "b51"; return; }
  const std::size_t last = instr_rev(body.s, to_u32("</TR"), end);
  if (last == 0) { w.failed = "b52"; return; }
  body.s = mid(body.s, 1, last + 4);
  while (body.has("<TR")) {
    const std::size_t row_end = body.find("</TR");
    const text row{mid(body.s, 1, row_end + 4)};
    body.s = mid(body.s, row_end + 5);
    std::vector<std::string> cells;
    std::size_t s = 1;
    for (int c = 0; c < 7; ++c) {
      s = row.find("<TD", s);
      if (s == 0) break;
      s = row.find(">", s) + 1;
      const std::size_t e = row.find("</TD", s);
      cells.push_back(row.between(s, e));
      s = e;
    }
    if (row.has("分割")) {
      const text cell{to_u32(cells.size() > 1 ? cells[1] : "")};
      const std::size_t a = cell.find("分割:") + 3;
      const std::size_t a_end = cell.find("株", a);
      const std::size_t b = cell.find(";", a_end) + 1;
      const std::size_t b_end = cell.find("株", b);
      w.splits.push_back({kanji_date_digits(cells[0]), trim(cell.between(a, a_end)), trim(cell.between(b, b_end))});
      continue;
    }
    std::array<std::string, 7> out{};
    for (std::size_t c = 0; c < cells.size(); ++c) out[c] = c == 0 ? cells[0] : remove_all(cells[c], ",");
    out[0] = slash_dates ? slash_date_digits(cells[0]) : kanji_date_digits(cells[0]);
    w.rows.push_back(out);
  }
}

bool is_index(const std::string& code) { return int_value(code) <= 1004; }

}  // namespace

walked_page walk_history_page(const std::string& page_utf8, const std::string& requested) {
  walked_page w;
  const text page{to_u32(page_utf8)};
  if (page.has("価格データはありません") || page.has("該当する銘柄はありません")) {
    w.failed = "no such page";
    return w;
  }
  if (!is_index(requested)) {
    std::size_t p = page.find("=株価詳細>") + 1;
    p = page.find("code=", p);
    const std::size_t q = p == 0 ? 0 : page.find(".", p + 5);
    if (p == 0 || q == 0) { w.failed = "code"; return w; }
    w.code = program_code_from_site(trim(page.between(p + 5, q)));
  }
  w.period = read_period(page, {"id=selYear", "id=selMonth", "id=selDay", "id=selYear", "id=selMonth", "id=selDay"},
                         "selected value=");
  if (w.period.empty()) { w.failed = "period"; return w; }
  if (page.has("該当する期間のデータはありません")) { w.no_data = true; return w; }
  std::size_t p = page.find("=株価詳細>");
  if (p == 0) { w.failed = "b11"; return w; }
  p = page.find("<H1>", p);
  if (p == 0) { w.failed = "b12"; return w; }
  p = page.find(">", p);
  w.name = clean_stock_name(trim(page.between(p + 1, page.find("<", p))));
  p = page.find("yjSb");
  if (p == 0) { w.failed = "b21"; return w; }
  p = page.find(">", p);
  w.market = trim(page.between(p + 1, page.find("<", p)));
  if (is_index(requested)) {
    w.code = page.has(("value=" + history_site_code(requested)).c_str()) ? requested : "not " + requested;
  }
  read_rows(page, false, w);
  return w;
}

walked_page walk_mobile_page(const std::string& page_utf8, const std::string& requested) {
  walked_page w;
  const text page{to_u32(page_utf8)};
  if (page.has("ページは存在しません")) { w.failed = "no such page"; return w; }
  std::size_t p = page.find("id=content") + 1;
  p = page.find("code=", p);
  std::size_t q = p == 0 ? 0 : page.find(".", p + 5);
  if (p == 0 || q == 0) { w.failed = "code"; return w; }
  w.code = program_code_from_site(trim(page.between(p + 5, q)));
  w.period = read_period(page, {"name=fy> <OPTION", "name=fm> <OPTION", "name=fd> <OPTION",
                                "name=ty> <OPTION", "name=tm> <OPTION", "name=td> <OPTION"},
                         "selected>");
  if (w.period.empty()) { w.failed = "period"; return w; }
  if (page.has("検索期間の価格データはありません")) { w.no_data = true; return w; }
  if (!is_index(requested)) {
    p = page.find("id=content");
    if (p == 0) { w.failed = "b11"; return w; }
    p = page.find("class=title>", p + 1);
    if (p == 0) { w.failed = "b12"; return w; }
    p = page.find("code=", p + 1);
    q = p == 0 ? 0 : page.find(".", p + 5);
    if (p == 0 || q == 0) { w.failed = "b13"; return w; }
    w.code = program_code_from_site(trim(page.between(p + 5, q)));
    p += 5;
  } else {
    const std::string marker = "value=" + history_site_code(requested);
    p = page.find(marker.c_str());
    w.code = p != 0 ? requested : "not " + requested;
  }
  p = page.find(">", p);
  w.name = clean_stock_name(trim(page.between(p + 1, page.find("<", p))));
  p = page.find("（", p);
  if (p == 0) { w.failed = "b21"; return w; }
  w.market = trim(page.between(p + 1, page.find("）", p)));
  read_rows(page, true, w);
  return w;
}

}  // namespace karigane::testing
