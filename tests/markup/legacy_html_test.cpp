// The legacy serializer on its own: the form the extractors' markers are written in, and its
// robustness against whatever a server sends.
#include "markup/legacy_html.h"

#include <gtest/gtest.h>

#include <string>

namespace karigane {
namespace {

std::string legacy(const std::string& html) {
  std::string out = "(untouched)";
  EXPECT_EQ(legacy_body_html(html, out), body_result::written) << html;
  return out;
}

TEST(LegacyHtml, WritesTagsUpperCaseAndAttributesByTheQuotingRule) {
  EXPECT_EQ(legacy("<html><body><div id=\"selYear\" class=\"yjSb\">x</div></body></html>"),
            "<BODY><DIV id=selYear class=yjSb>x</DIV></BODY>");
  // Values with characters outside letters, digits, "-", "_", "." are quoted; non-ASCII is not.
  EXPECT_EQ(legacy("<a href=\"/stocks/detail/?code=1301.T\" title=\"株価詳細\">株価詳細</a>"),
            "<BODY><A href=\"/stocks/detail/?code=1301.T\" title=株価詳細>株価詳細</A></BODY>");
  EXPECT_EQ(legacy("<img alt='単独決算' src=\"a b.png\" data-x=\"a_b-c.d9\">"),
            "<BODY><IMG alt=単独決算 src=\"a b.png\" data-x=a_b-c.d9></BODY>");
  // Attribute names come out lower case, in source order; & and " inside quoted values escaped.
  EXPECT_EQ(legacy("<table><tr><td COLSPAN=6 Class=\"through\" title='say \"hi\" &amp; go'>a</td></tr></table>"),
            "<BODY><TABLE><TBODY><TR><TD colspan=6 class=through title=\"say &quot;hi&quot; &amp; go\">a</TD>"
            "</TR></TBODY></TABLE></BODY>");
}

TEST(LegacyHtml, WritesEmptyAndValuelessAttributesBare) {
  EXPECT_EQ(legacy("<select name=\"sy\" id=\"selYear\"><option selected value=\"2013\">2013</option>"
                   "<option value=\"2014\" selected=\"\">2014</option></select>"),
            "<BODY><SELECT name=sy id=selYear><OPTION selected value=2013>2013</OPTION>"
            "<OPTION value=2014 selected>2014</OPTION></SELECT></BODY>");
  EXPECT_EQ(legacy("<input type=\"radio\" name=\"tm\" value=\"\" checked>"),
            "<BODY><INPUT type=radio name=tm value checked></BODY>");
}

TEST(LegacyHtml, WritesVoidElementsWithoutEndTags) {
  EXPECT_EQ(legacy("<p>a<br/>b<input name=q><img src=x.png></img><wbr></p><hr>"),
            "<BODY><P>a<BR>b<INPUT name=q><IMG src=x.png><WBR></P><HR></BODY>");
}

TEST(LegacyHtml, InsertsTheTableBodyAsABrowserDoes) {
  EXPECT_EQ(legacy("<table class=\"boardFin\"><tr><th>終値</th></tr><tr><td>1,234</td></tr></table>"),
            "<BODY><TABLE class=boardFin><TBODY><TR><TH>終値</TH></TR><TR><TD>1,234</TD></TR>"
            "</TBODY></TABLE></BODY>");
}

TEST(LegacyHtml, DecodesEntitiesAndEscapesOnlyAmpersandAngleBracketsAndNoBreakSpace) {
  EXPECT_EQ(legacy("<p>A&amp;B &copy; &#x20BB7; 分割: 1株 -&gt; 100株 a &lt; b &quot;q&quot; x&nbsp;y\u00a0z</p>"),
            "<BODY><P>A&amp;B © 𠮷 分割: 1株 -&gt; 100株 a &lt; b \"q\" x&nbsp;y&nbsp;z</P></BODY>");
  // A bare ">" and a bare "&" in text come out as entities too.
  EXPECT_EQ(legacy("<td>1株 -> 100株 & more</td>"), "<BODY>1株 -&gt; 100株 &amp; more</BODY>");
}

TEST(LegacyHtml, KeepsWhitespaceCommentsAndScriptText) {
  EXPECT_EQ(legacy("<body>\n  <div>\ta  b </div>\n<!-- note -->\n<script>if (a < b && c) x();</script></body>"),
            "<BODY>\n  <DIV>\ta  b </DIV>\n<!-- note -->\n<SCRIPT>if (a < b && c) x();</SCRIPT></BODY>");
  // The newline the parser drops after <pre> is written back, so it survives a second pass.
  EXPECT_EQ(legacy("<pre>\n\nline</pre>"), "<BODY><PRE>\n\nline</PRE></BODY>");
}

TEST(LegacyHtml, LeavesAPageAlreadyInLegacyFormUnchanged) {
  const std::string page =
      "<BODY class=yj950-2>\n<DIV id=header><A href=\"/\">Top</A></DIV>\n"
      "<UL class=stockNav><LI><A href=\"/stocks/detail/?code=1301.T\" title=株価詳細>株価詳細</A></LI></UL>\n"
      "<H1>A&amp;B(株)</H1><SPAN class=yjSb>東証1部</SPAN>\n"
      "<FORM action=\"/history/\" method=get><INPUT type=hidden name=code value=998407.O>"
      "<SELECT name=sy id=selYear><OPTION value=2012>2012</OPTION><OPTION selected value=2013>2013</OPTION></SELECT>"
      "<SELECT name=fy> <OPTION value=2013 selected>2013</OPTION></SELECT></FORM>\n"
      "<TABLE class=\"boardFin yjSt marB6\"><TBODY><TR><TH>終値</TH></TR>\n"
      "<TR><TD>2013年9月26日</TD><TD colspan=6 class=through>分割: 1株 -&gt; 100株</TD></TR>\n"
      "<TR><TD>2013年1月4日</TD><TD>1,234</TD><TD>x&nbsp;y</TD></TR></TBODY></TABLE>\n"
      "<!-- kept --><P>a<BR>b<IMG alt=単独決算 src=\"/i/a b.gif\"></P>\n<A href=\"/q?a=1&amp;b=2\">q</A></BODY>";
  EXPECT_EQ(legacy(page), page);
  // And a modern page, once serialized, is stable under a second pass.
  const std::string once = legacy(
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>t</title></head><body>"
      "<table><tr><td colspan=\"2\" class=\"a b\">x &amp; y</td></tr></table>"
      "<select name=\"fy\"> <option value=\"2013\" selected>2013</option></select></body></html>");
  EXPECT_EQ(legacy(once), once);
}

TEST(LegacyHtml, AcceptsMalformedInputWithoutCrashing) {
  EXPECT_EQ(legacy(""), "<BODY></BODY>");
  EXPECT_EQ(legacy("<div><p>open <b>bold <i>both</b> end"),
            "<BODY><DIV><P>open <B>bold <I>both</I></B><I> end</I></P></DIV></BODY>");
  EXPECT_EQ(legacy("</td></tr></table>text</div>"), "<BODY>text</BODY>");
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  std::string out;
  EXPECT_EQ(legacy_body_html(garbage, out), body_result::written);
  EXPECT_EQ(out.rfind("<BODY>", 0), 0u);
  // Nesting as deep as the bounds allow is written out; deeper is refused.
  auto nested = [](int levels) {
    std::string deep;
    for (int i = 0; i < levels; ++i) deep += "<div><b>";
    return deep + "x";
  };
  EXPECT_EQ(legacy_body_html(nested(150), out), body_result::written);
  EXPECT_NE(out.find("<DIV><B>x</B></DIV></B></DIV>"), std::string::npos);
  out = "kept";
  EXPECT_EQ(legacy_body_html(nested(2000), out), body_result::refused);
  EXPECT_EQ(out, "kept");
}

TEST(LegacyHtml, ReportsADocumentWithoutBodyAndLeavesTheOutputAlone) {
  std::string out = "previous";
  EXPECT_EQ(legacy_body_html("<html><frameset><frame src=\"a.html\"></frameset></html>", out),
            body_result::no_body);
  EXPECT_EQ(out, "previous");
}

}  // namespace
}  // namespace karigane
