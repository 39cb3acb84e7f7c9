// Hand-written margin pages: see margin_pages.h.
#include "margin_pages.h"

namespace karigane::testing {
namespace {

std::string select_new(const char* id, const std::string& selected) {
  return "<SELECT id=" + std::string(id) + "><OPTION value=1>1</OPTION><OPTION selected value=" +
         selected + ">" + selected + "</OPTION></SELECT>";
}

std::string table_html(const margin_page& p, bool small) {
  auto cell = [small](const char* tag, const std::string& text) {
    return std::string("<") + tag + ">" + (small ? "<SMALL>" + text + "</SMALL>" : text) + "</" + tag + ">";
  };
  std::string html = "<TABLE class=margin><TBODY>\n<TR>";
  for (const char* head : {"日付", "売残", "買残", "売残前週比", "買残前週比", "信用倍率"}) html += cell("TH", head);
  html += "</TR>\n";
  for (const auto& row : p.rows) {
    html += "<TR>";
    for (const std::string& c : row) html += "\n" + cell("TD", c);
    html += "</TR>\n";
  }
  return html + "</TBODY></TABLE>";
}

}  // namespace

margin_page two_weeks() {
  margin_page p;
  p.rows = {{"2013年1月11日", "1,234,500", "2,345,600", "+12,300", "-4,500", "1.90"},
            {"2013年1月4日", "1,222,200", "2,350,100", "-300", "+1,000", "1.92"}};
  return p;
}

std::string new_margin_page(const margin_page& p) {
  return "<BODY><DIV id=header>top</DIV>\n<UL><LI><A href=\"/stocks/detail/?code=" + p.code +
         "\" title=株価詳細>株価詳細</A></LI><LI><A href=\"/history/?code=" + p.code +
         "\">時系列</A></LI></UL>\n<H1>" + p.name + "</H1><SPAN class=yjSb>" + p.market +
         "</SPAN>\n<FORM><INPUT type=hidden name=code value=" + p.code + ">\n" +
         select_new("selYear", p.from[0]) + select_new("selMonth", p.from[1]) +
         select_new("selDay", p.from[2]) + select_new("selYear", p.to[0]) +
         select_new("selMonth", p.to[1]) + select_new("selDay", p.to[2]) +
         "</FORM>\n<H2>詳細情報</H2><A href=\"/stocks/detail/?code=" + p.code + "\">株価</A>\n" +
         p.extra + table_html(p, false) + "</BODY>";
}

std::string old_margin_page(const margin_page& p) {
  return "<BODY><DIV id=tableName><SPAN class=yjXL>" + p.name + "</SPAN></DIV>\n<FORM><P>銘柄コード:<INPUT name=s value=" +
         p.code + " size=10></P>\n<TABLE><TBODY><TR><TH>年</TH><TH>月</TH><TH>日</TH></TR>\n<TR><TD><INPUT name=c value=" +
         p.from[0] + " size=4></TD><TD><SELECT name=a><OPTION value=" + p.from[1] + " selected>" + p.from[1] +
         "</OPTION></SELECT></TD><TD><INPUT name=b size=2 value=" + p.from[2] + "></TD></TR>\n<TR><TD><INPUT name=f value=" +
         p.to[0] + " size=4></TD><TD><SELECT name=d><OPTION value=" + p.to[1] + " selected>" + p.to[1] +
         "</OPTION></SELECT></TD><TD><INPUT name=e size=2 value=" + p.to[2] + "></TD></TR></TBODY></TABLE></FORM>\n" +
         p.extra + table_html(p, true) + "</BODY>";
}

}  // namespace karigane::testing
