// The serializer's quick path for plain pages against the full HTML5 parser: whenever the
// quick path takes a page it must write exactly what the parser's tree gives, and it must take
// the plain pages the quote sites serve.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "markup/legacy_parsers.h"
#include "markup/legacy_writer.h"
#include "markup/named_references.h"

namespace karigane {
namespace {

// Random documents that mix plain markup with what only the full parser handles.
class page_maker {
 public:
  // A careful maker writes only what plain pages hold; a careless one mixes in the rest.
  page_maker(unsigned seed, bool careful) : rng_(seed), careful_(careful) {}

  std::string document() {
    std::string d;
    switch (pick(5)) {
      case 0: d += "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>A &amp; B</title>\n</head>\n"; break;
      case 1: d += "<html><head><script>var s = '<b>x</b>';</script><style>p > a { }</style></head>\n"; break;
      case 3: d += "<head><script type=\"text/javascript\"><!--\nvar a = 1; //--></script><style><!-- p { } --></style>"; break;
      case 2: d += "<!-- top -->\n<HEAD><TITLE>t</TITLE></HEAD>"; break;
      default: break;
    }
    if (!slip(10)) d += "<body" + attributes() + ">";
    d += flow(0);
    switch (careful_ ? pick(3) : pick(5)) {
      case 0: d += "</body>\n</html>\n"; break;
      case 1: d += "</body>"; break;
      case 2: d += "</body><!-- after -->\n</html>\n "; break;
      case 3: d += "</BODY>x"; break;
      default: break;
    }
    return d;
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  // A chance of something only the full parser handles; never for a careful maker.
  bool slip(int one_in) { return !careful_ && pick(one_in) == 0; }
  template <typename T, std::size_t N>
  const T& one_of(const T (&items)[N]) { return items[pick(static_cast<int>(N))]; }

  std::string text() {
    static const char* pieces[] = {"abc", " ", "\n", "日本語", "&amp;", "&lt;", "&gt;", "&nbsp;", "&copy;",
                                   "&#x20BB7;", "&#128;", "&#0;", "a & b", "x<y", "AT&T;", "1株 -&gt; 100株",
                                   "\t", "&#39;", "&apos;", "\r\n", "&quot;", "\xC2\xA0", "> ", "&AMP;", "&#65"};
    static const char* plain[] = {"abc", " ", "\n", "日本語", "&amp;", "&lt;", "&gt;", "&nbsp;",
                                  "1株 -&gt; 100株", "\t", "&#39;", "&quot;", "&#x20BB7;", "> ",
                                  "&copy;", "&hellip;", "&copy 2013", "&notit;", "&NotSquareSubsetEqual;",
                                  "&nosuch;", "AT&T;", "&amp", "&frac34x", "&lt3"};
    std::string t;
    for (int n = pick(4) + 1; n > 0; --n) t += careful_ ? one_of(plain) : one_of(pieces);
    return t;
  }

  std::string attributes() {
    static const char* names[] = {"id", "class", "href", "value", "selected", "colspan", "title", "data-x", "CLASS", "id"};
    static const char* values[] = {"", "a", "a b", "/x?a=1&amp;b=2", "単独決算", "1301.T", "x&quot;y", "it's", "&#x41;", "a&b",
                                   "?a=1&copy=2", "&copy;&yen", "&notin;x&notx", "&lt"};
    std::string a;
    std::vector<std::string> used;
    for (int n = pick(3); n > 0; --n) {
      const std::string name = one_of(names);
      if (careful_ && std::find(used.begin(), used.end(), name) != used.end()) continue;
      used.push_back(name);
      a += std::string(pick(8) == 0 ? "\n" : " ") + name;
      std::string v = one_of(values);
      switch (pick(5)) {
        case 0: break;  // bare
        case 1: a += v.find('\'') == std::string::npos ? "='" + v + "'" : "=\"" + v + "\""; break;
        case 2: if (v.find_first_of(" '\"") == std::string::npos && !v.empty()) { a += "=" + v; break; } [[fallthrough]];
        default: a += "=\"" + v + "\""; break;
      }
    }
    return a;
  }

  std::string element(int depth) {
    static const char* tags[] = {"div", "span", "p", "a", "b", "i", "h1", "h2", "ul", "li", "font", "center",
                                 "em", "strong", "label", "blockquote", "pre", "script", "textarea", "button",
                                 "nobr", "dl", "dd", "form", "small", "td", "tr", "option", "custom-tag"};
    static const char* voids[] = {"br", "img", "input", "hr", "wbr", "area"};
    if (pick(6) == 0) {
      const std::string v = one_of(voids);
      return "<" + v + attributes() + (pick(3) == 0 ? "/>" : ">") + (pick(8) == 0 ? "</" + v + ">" : "");
    }
    static const char* plain_tags[] = {"div", "span", "p", "a", "b", "i", "h1", "h2", "ul", "font",
                                       "center", "em", "strong", "label", "small", "dl", "form"};
    const std::string t = careful_ ? one_of(plain_tags) : one_of(tags);
    std::string e = "<" + (slip(6) ? std::string("DIV") : t) + attributes() + ">";
    if (t == "ul") {
      for (int n = pick(3); n > 0; --n) e += "<li>" + flow(depth + 1) + (slip(6) ? "" : "</li>") + "\n";
    } else if (t == "dl") {
      e += "<dt>" + text() + "</dt><dd>" + flow(depth + 1) + "</dd>";
    } else {
      e += flow(depth + 1);
    }
    if (slip(12)) return e;  // left open
    if (slip(12)) return e + "</div>";
    return e + "</" + t + ">";
  }

  std::string table(int depth) {
    std::string t = "<table" + attributes() + ">" + (pick(2) ? "\n" : "");
    const bool section = pick(3) == 0;
    if (section) t += "<tbody>";
    if (slip(10)) t += "stray";
    for (int r = pick(3); r > 0; --r) {
      t += "<tr>";
      if (pick(6) == 0) t += raw_text();
      for (int c = pick(3) + 1; c > 0; --c) {
        const bool head = pick(5) == 0;
        t += std::string(head ? "<th colspan=2>" : "<td>") + flow(depth + 1) + (slip(10) ? "" : head ? "</th>" : "</td>");
      }
      t += slip(10) ? "\n" : "</tr>\n";
    }
    if (section && pick(2)) t += "</tbody>";
    return t + (slip(10) ? "" : "</table>");
  }

  std::string select() {
    std::string s = "<select name=\"sy\" id=\"selYear\">" + std::string(pick(2) ? " " : "");
    for (int n = pick(4); n > 0; --n) {
      s += pick(2) ? "<option selected value=\"2013\">2013" : "<option value=\"1\" selected>1";
      if (careful_ || pick(3) == 0) s += "</option>";
    }
    if (slip(10)) s += "<b>x</b>";
    return s + "</select>";
  }

  // Scripts and styles as pages carry them, some of their text looking like markup.
  std::string raw_text() {
    static const char* scripts[] = {"var s = '<b>x</b>' && a < b;", "<!-- hide\n document.write('<p>'); //-->",
                                    "if (a</b) x();", "", "<!-- a --> <script>", "x = '</scripty>';"};
    static const char* styles[] = {"p > a { color: red; }", "<!-- td { } -->", "", "a::after { content: '&amp;'; }"};
    const bool script = pick(2) == 0;
    const std::string end = script ? (pick(4) == 0 ? "</SCRIPT >" : "</script>") : "</style>";
    return (script ? "<script" + attributes() + ">" + one_of(scripts) : "<style>" + std::string(one_of(styles))) + end;
  }

  std::string flow(int depth) {
    std::string f;
    for (int n = depth > 3 ? pick(2) : pick(5); n > 0; --n) {
      switch (pick(depth > 3 ? 3 : 8)) {
        case 0: f += text(); break;
        case 1: f += "<!--" + std::string(slip(4) ? "->" : " note ") + "-->"; break;
        case 2: f += raw_text(); break;
        case 3: f += table(depth); break;
        case 4: f += select(); break;
        default: f += element(depth); break;
      }
    }
    return f;
  }

  std::mt19937 rng_;
  bool careful_;
};

TEST(PlainPagePath, WritesExactlyWhatTheFullParserWritesWheneverItTakesAPage) {
  int taken = 0;
  const int total = 4000;
  for (int k = 0; k < total; ++k) {
    page_maker maker(static_cast<unsigned>(k), k % 2 == 0);
    const std::string doc = maker.document();
    std::string full;
    const bool has_body = parsed_body_html(doc, full);
    std::string quick = "(untouched)";
    if (plain_page_body_html(doc, quick)) {
      ++taken;
      ASSERT_TRUE(has_body);
      ASSERT_EQ(quick, full) << "document " << k << ":\n" << doc;
    } else {
      ASSERT_EQ(quick, "(untouched)");
    }
  }
  // The comparison means something only if the quick path took a good share of the pages.
  EXPECT_GT(taken, total / 3);
}

TEST(PlainPagePath, TakesPlainPagesAndLeavesTheRestToTheParser) {
  const std::string plain =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
      "<title>(株)極洋【1301】</title>\n</head>\n<body>\n<div id=\"main\"><h1>A&amp;B</h1>"
      "<select name=\"fy\"> <option value=\"2013\" selected>2013</option></select>\n"
      "<table class=\"boardFin yjSt\">\n<tr><th>終値</th></tr>\n<tr><td>1,234</td></tr>\n</table></div>\n</body>\n</html>\n";
  std::string quick;
  std::string full;
  ASSERT_TRUE(plain_page_body_html(plain, quick));
  ASSERT_TRUE(parsed_body_html(plain, full));
  EXPECT_EQ(quick, full);
  EXPECT_NE(quick.find("<TABLE class=\"boardFin yjSt\">\n<TBODY><TR><TH>終値</TH></TR>"), std::string::npos);
  EXPECT_EQ(quick.substr(quick.size() - 10), "\n\n\n</BODY>");  // whitespace after </body> stays in it

  // Whitespace as HTML has it: a form feed or a CR separates in tags, and line ends ("\r\n",
  // "\r") are rewritten as the parser's input stream rewrites them, in text, attribute values,
  // comments and scripts alike.
  for (const char* spaced : {"<body>a\r\nb\rc\r\r\nd\fe</body>\r\n",
                             "<html>\r\n<head>\f<title>t</title>\r</head>\r\n<body\fid=x\r\nclass='a\rb'>"
                             "<table\f>\r\n<tr\r><td\rclass=c\f>1</td\f>\f</tr>\r</table>"
                             "<!--\r\n--><script>a\r\nb</script\r></body\f>\f\r\n"}) {
    std::string quick;
    std::string full;
    ASSERT_TRUE(plain_page_body_html(spaced, quick)) << spaced;
    ASSERT_TRUE(parsed_body_html(spaced, full));
    EXPECT_EQ(quick, full);
    EXPECT_EQ(quick.find('\r'), std::string::npos);
  }

  for (const char* other : {"<body><p><div>x</div></p></body>",      // a block closes the paragraph
                            "<body><table>text<tr></tr></table>",    // text moved out of the table
                            "<body><b><i>x</b></i></body>",          // misnested formatting
                            "<body><td>x</td></body>",               // a cell outside a table
                            "<p>no body tag</p>",                    // implied body
                            "<body>a\x7F\xC2\x85" "b\xEF\xB7\x90</body>",  // characters it replaces
                            "<body>0123456789\x01zyxwvutsrqponm</body>",  // a control character amid text
                            "<body>&#x80;</body>",                   // a reference it remaps
                            "<body><script><!--<script></script>--></script>",  // a hidden end tag
                            "<body><select><style>x</style></select>",  // a style it drops
                            "<frameset></frameset>"}) {
    std::string out = "(untouched)";
    EXPECT_FALSE(plain_page_body_html(other, out)) << other;
    EXPECT_EQ(out, "(untouched)");
  }
}

// The quick path's table of named references is the parser's, name for name.
TEST(NamedReferences, DecodeAsTheParserDecodesThem) {
  ASSERT_GT(kNamedReferenceCount, 2000u);
  for (std::size_t k = 0; k < kNamedReferenceCount; ++k) {
    const named_reference& r = kNamedReferences[k];
    const std::string tail = r.name.back() == ';' ? "" : " x";
    const std::string doc = "<body>&" + std::string(r.name) + tail + "</body>";
    std::string expected = "<BODY>";
    legacy_writer::append_text(expected, r.text);
    expected += tail + "</BODY>";
    std::string full;
    std::string quick;
    ASSERT_TRUE(parsed_body_html(doc, full));
    ASSERT_EQ(full, expected) << r.name;
    ASSERT_TRUE(plain_page_body_html(doc, quick)) << r.name;
    ASSERT_EQ(quick, expected) << r.name;
  }
}

}  // namespace
}  // namespace karigane
