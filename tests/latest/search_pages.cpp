// Hand-written search pages: see search_pages.h. The table ends with a footer row, which the
// parser leaves out; the time cell of list view 1 carries an attribute, as the parser's
// search for the end of that cell's tag expects.
#include "search_pages.h"

namespace karigane::testing {
namespace {

std::string head(const std::string& query) {
  return "<BODY><FORM action=\"/search/\"><INPUT name=query value=\"" + query +
         "\"></FORM>\n<TABLE class=yjS>\n";
}

std::string name_cell(const search_row& r) {
  return "<TD><A class=ico href=\"/q?s=" + r.code + "\">" + r.name + "</A></TD>";
}

}  // namespace

std::string list_view1_page(const std::vector<search_row>& rows, const std::string& query) {
  std::string html = head(query) +
                     "<TR><TH>コード</TH><TH>市場</TH><TH>名称</TH><TH>取引値</TH><TH>"
                     "</TH><TH>出来高</TH></TR>\n";
  for (const search_row& r : rows) {
    html += "<TR><TD>" + r.code + "</TD><TD>" + r.market + "</TD>" + name_cell(r) + "<TD class=time>" +
            r.time + "</TD><TD><STRONG>" + r.price + "</STRONG></TD><TD>" + r.volume +
            "</TD></TR>\n";
  }
  return html + "<TR><TD colspan=6>footer</TD></TR>\n</TABLE></BODY>";
}

std::string list_view2_page(const std::vector<search_row>& rows, const std::string& query) {
  std::string html = head(query) +
                     "<TR><TH>コード</TH><TH>市場</TH><TH>名称</TH><TH>取引値</TH><TH>始値</TH>"
                     "<TH>高値</TH><TH>安値</TH></TR>\n";
  for (const search_row& r : rows) {
    html += "<TR><TD>" + r.code + "</TD><TD>" + r.market + "</TD>" + name_cell(r) +
            "<TD><STRONG>" + r.price + "</STRONG>" + (r.limit_high ? "<SPAN>S高</SPAN>" : "") +
            (r.limit_low ? "<SPAN>S安</SPAN>" : "") + "</TD><TD>" + r.open + "</TD><TD" +
            (r.limit_high ? " class=greenFin" : "") + ">" + r.high + "</TD><TD" +
            (r.limit_low ? " class=redFin" : "") + ">" + r.low + "</TD></TR>\n";
  }
  return html + "<TR><TD colspan=7>footer</TD></TR>\n</TABLE></BODY>";
}

}  // namespace karigane::testing
