// The margin pages' balance table: see margin_table.h.
#include "margin_table.h"

#include <array>

#include "page_html.h"

namespace karigane::quote_site {

std::string margin_table_html(const std::vector<margin_week>& weeks, row_date_form form,
                              margin_cells cells, const std::string& table_class) {
  const bool small = cells == margin_cells::small;
  auto cell = [small](const char* tag, const std::string& text) {
    return std::string("<") + tag + ">" + (small ? "<small>" + text + "</small>" : text) + "</" + tag + ">";
  };
  std::string html;
  html.reserve(256 + weeks.size() * (small ? 260 : 160));
  html += "<table class=\"" + table_class + "\">\n<tr>";
  for (const char* head : {"日付", "売残", "買残", "売残前週比", "買残前週比", "信用倍率"}) html += cell("th", head);
  html += "</tr>\n";
  for (const margin_week& w : weeks) {
    html += "<tr>";
    html += cell("td", form == row_date_form::kanji ? kanji_date(w.day) : plain_slash_date(w.day));
    html += cell("td", thousands(w.sell));
    html += cell("td", thousands(w.buy));
    html += cell("td", change_text(w.sell_change));
    html += cell("td", change_text(w.buy_change));
    html += cell("td", margin_ratio_text(w));
    html += "</tr>\n";
  }
  html += "</table>\n";
  return html;
}

}  // namespace karigane::quote_site
