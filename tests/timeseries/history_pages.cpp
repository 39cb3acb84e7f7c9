// Hand-written history pages for the extractor tests: see history_pages.h.
#include "history_pages.h"

namespace karigane::testing {
namespace {

std::string select_new(const char* id, const std::string& selected) {
  return "<SELECT id=" + std::string(id) + "><OPTION value=1>1</OPTION><OPTION selected value=" +
         selected + ">" + selected + "</OPTION></SELECT>";
}

std::string select_mobile(const char* name, const std::string& selected) {
  return "<SELECT name=" + std::string(name) + "> <OPTION value=1>1</OPTION><OPTION value=" +
         selected + " selected>" + selected + "</OPTION></SELECT>";
}

std::string rows_html(const history_page& p) {
  std::string html;
  for (std::size_t i = 0; i + 1 < p.split_rows.size(); i += 2) {
    html += "<TR><TD>" + p.split_rows[i] + "</TD><TD colspan=6>" + p.split_rows[i + 1] +
            "</TD></TR>\n";
  }
  for (const page_row& r : p.rows) {
    html += "<TR>\n<TD>" + r.date + "</TD>\n<TD>" + r.open + "</TD>\n<TD>" + r.high +
            "</TD>\n<TD>" + r.low + "</TD>\n<TD>" + r.close + "</TD>\n<TD>" + r.volume +
            "</TD>\n<TD>" + r.adjusted + "</TD></TR>\n";
  }
  return html;
}

std::string table_html(const history_page& p) {
  return "<TABLE class=boardFin><TBODY>\n<TR><TH>日付</TH><TH>始値</TH><TH>高値</TH><TH>安値</TH>"
         "<TH>終値</TH><TH>出来高</TH><TH>調整後終値*</TH></TR>\n" +
         rows_html(p) + "</TBODY></TABLE>";
}

}  // namespace

std::string new_form_page(const history_page& p) {
  return "<BODY><DIV id=header><A href=\"/\">top</A></DIV>\n" + p.lead +
         "<DIV class=stocksInfo title=株価詳細><A href=\"/stocks/detail/?code=" + p.code +
         "\">詳細</A>\n<H1>" + p.name + "</H1><SPAN class=yjSb>" + p.market + "</SPAN></DIV>\n" +
         "<FORM action=\"/history/\"><INPUT type=hidden name=code value=" +
         p.code.substr(0, p.code.find('.')) + ">\n" + select_new("selYear", p.from[0]) +
         select_new("selMonth", p.from[1]) + select_new("selDay", p.from[2]) +
         select_new("selYear", p.to[0]) + select_new("selMonth", p.to[1]) +
         select_new("selDay", p.to[2]) + "</FORM>\n" + p.extra + table_html(p) + "</BODY>";
}

std::string mobile_form_page(const history_page& p) {
  return "<BODY><DIV id=header>m</DIV>\n<DIV id=content>" + p.lead + "<P class=title><A href=\"/stock/?code=" +
         p.code + "\">" + p.name + "</A></P><P>（" + p.market + "）</P>\n<FORM>" +
         select_mobile("fy", p.from[0]) + select_mobile("fm", p.from[1]) +
         select_mobile("fd", p.from[2]) + select_mobile("ty", p.to[0]) +
         select_mobile("tm", p.to[1]) + select_mobile("td", p.to[2]) + "</FORM>\n" + p.extra +
         table_html(p) + "</DIV></BODY>";
}

}  // namespace karigane::testing
