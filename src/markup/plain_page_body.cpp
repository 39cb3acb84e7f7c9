// The quick path of the legacy serializer: see legacy_parsers.h. One pass over the page that
// tokenizes it and writes the legacy form directly. It follows the HTML5 tree construction only
// as far as plain pages need it (implied html, head and body, TBODY implied before a row,
// whitespace after the body's end, scripts and styles as raw text, the named character
// references) and gives up, leaving the page to the full parser, at the first thing whose tree
// would not simply follow the page's nesting.
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/cp932.h"
#include "core/text.h"
#include "markup/legacy_parsers.h"
#include "markup/legacy_writer.h"
#include "markup/markup_bounds.h"
#include "markup/markup_tokens.h"
#include "markup/named_references.h"

namespace karigane {
namespace {

using markup_tokens::ascii_lower;
using markup_tokens::find_tag;
using markup_tokens::is_alnum;
using markup_tokens::is_alpha;
using markup_tokens::is_space;
using markup_tokens::kClosesP;
using markup_tokens::role;
using markup_tokens::tag;

// A tag the quick path takes, or nullptr.
const tag* quick_tag(std::string_view name) {
  const tag* t = find_tag(name);
  return t != nullptr && t->quick != role::none ? t : nullptr;
}

bool starts_with_nocase(std::string_view s, std::size_t at, std::string_view word) {
  if (at > s.size() || s.size() - at < word.size()) return false;
  for (std::size_t k = 0; k < word.size(); ++k) {
    if (ascii_lower(s[at + k]) != word[k]) return false;
  }
  return true;
}

// Code points a numeric reference stands for unchanged (others are remapped or replaced by the
// parser, which the quick path leaves to it).
bool plain_code_point(char32_t cp) {
  if (cp == '\t' || cp == '\n') return true;
  if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) return false;
  if (cp >= 0xD800 && cp <= 0xDFFF) return false;
  if (cp >= 0xFDD0 && cp <= 0xFDEF) return false;
  if ((cp & 0xFFFE) == 0xFFFE) return false;
  return cp <= 0x10FFFF;
}

int digit_value(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes text or an attribute value as the tokenizer does: a name of the full table followed
// by ";", else the longest of the old names that need no ";" (which an attribute value keeps
// as written when a letter, a digit or "=" follows), else a plain "&". False at a numeric
// reference the quick path leaves to the parser (a missing ";", a code point the parser
// remaps or replaces).
bool decode(std::string_view raw, bool in_attribute, std::string& out) {
  out.clear();
  std::size_t i = 0;
  while (i < raw.size()) {
    const std::size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.substr(i));
      break;
    }
    out.append(raw.substr(i, amp - i));
    i = amp + 1;
    if (i < raw.size() && raw[i] == '#') {
      std::size_t j = i + 1;
      const bool hex = j < raw.size() && (raw[j] == 'x' || raw[j] == 'X');
      if (hex) ++j;
      const std::size_t digits = j;
      char32_t cp = 0;
      for (int v; j < raw.size() && j - digits < 8 && (v = digit_value(raw[j], hex)) >= 0; ++j) {
        cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
      }
      if (j == digits || j - digits > 7 || j >= raw.size() || raw[j] != ';') return false;
      if (!plain_code_point(cp)) return false;
      append_utf8(out, cp);
      i = j + 1;
      continue;
    }
    std::size_t j = i;
    while (j < raw.size() && is_alnum(raw[j])) ++j;
    if (j == i) {
      out.push_back('&');  // not a character reference
      continue;
    }
    if (j < raw.size() && raw[j] == ';') {
      if (const std::string_view* text = find_named_reference(raw.substr(i, j + 1 - i))) {
        out.append(*text);
        i = j + 1;
        continue;
      }
    }
    const std::string_view* old_name = nullptr;
    std::size_t length = std::min<std::size_t>(6, j - i);  // the old names have 2 to 6 letters
    while (length >= 2 && (old_name = find_named_reference(raw.substr(i, length))) == nullptr) --length;
    const std::size_t after = i + length;
    if (old_name == nullptr ||
        (in_attribute && after < raw.size() && (is_alnum(raw[after]) || raw[after] == '='))) {
      out.push_back('&');
      continue;
    }
    out.append(*old_name);
    i = after;
  }
  return true;
}

struct attribute {
  std::string name;
  std::string value;
};

struct start_tag {
  std::string name;
  std::vector<attribute> attributes;
  bool self_closing = false;
};

class plain_parser {
 public:
  explicit plain_parser(std::string_view s) : s_(s) {}

  bool run(std::string& out);

 private:
  struct open_element {
    const tag* t;
    bool implied;
  };

  // Tokenizer pieces; each returns false where the quick path gives up.
  bool read_start_tag(start_tag& t);
  bool read_end_tag(std::string& name);
  bool read_comment(std::string_view& data);
  bool skip_raw_text(std::string_view end_name, std::string_view* content = nullptr);
  bool body_raw_text(const start_tag& t, const tag* element);
  bool read_head();

  bool body_start_tag(const start_tag& t);
  bool body_end_tag(const std::string& name);
  bool body_text(std::string_view raw);

  const tag* current() const { return stack_.empty() ? nullptr : stack_.back().t; }
  bool in_table_context() const {
    const tag* c = current();
    return c != nullptr && (c->quick == role::table || c->quick == role::table_section || c->quick == role::row);
  }
  void push(const tag* t, bool implied) {
    stack_.push_back({t, implied});
    count(t, 1);
  }
  // The bounds of every page (markup_bounds.h): past them the page is left to be measured.
  bool within_bounds() const {
    return stack_.size() <= kPageMarkupLimits.max_depth && elements_ <= kPageMarkupLimits.max_elements;
  }
  void pop() {
    pending_text_ = npos_;
    count(stack_.back().t, -1);
    out_ += "</";
    legacy_writer::append_tag_name(out_, stack_.back().t->name);
    out_.push_back('>');
    stack_.pop_back();
  }
  void count(const tag* t, int d) {
    if (t->quick == role::p) open_p_ += d;
    if (t->quick == role::anchor) open_a_ += d;
    if (t->quick == role::form) open_form_ += d;
    if (t->quick == role::select) open_select_ += d;
  }
  void write_start(std::string_view name, const std::vector<attribute>& attributes) {
    ++elements_;
    pending_text_ = npos_;
    out_.push_back('<');
    legacy_writer::append_tag_name(out_, name);
    for (const auto& a : attributes) legacy_writer::append_attribute(out_, a.name, a.value);
    out_.push_back('>');
  }

  static constexpr std::size_t npos_ = std::string::npos;

  std::string_view s_;
  std::size_t i_ = 0;
  // Where the text written since the last tag or comment starts in out_, and at which depth.
  std::size_t pending_text_ = npos_;
  std::size_t pending_depth_ = 0;
  std::string out_;
  std::string scratch_;
  std::vector<open_element> stack_;  // below the body
  int open_p_ = 0;
  int open_a_ = 0;
  int open_form_ = 0;
  int open_select_ = 0;
  std::size_t elements_ = 2;  // html and head
};

bool plain_parser::read_start_tag(start_tag& t) {
  // At "<" followed by a letter.
  std::size_t i = i_ + 1;
  t.name.clear();
  t.attributes.clear();
  t.self_closing = false;
  while (i < s_.size() && is_alnum(s_[i])) t.name.push_back(ascii_lower(s_[i++]));
  // A name running into another character ("<my-tag") is not one the quick path knows.
  if (i < s_.size() && !is_space(s_[i]) && s_[i] != '/' && s_[i] != '>') return false;
  for (;;) {
    while (i < s_.size() && is_space(s_[i])) ++i;
    if (i >= s_.size()) return false;
    if (s_[i] == '>') {
      i_ = i + 1;
      return true;
    }
    if (s_[i] == '/') {
      if (i + 1 >= s_.size() || s_[i + 1] != '>') return false;
      t.self_closing = true;
      i_ = i + 2;
      return true;
    }
    attribute a;
    while (i < s_.size() && !is_space(s_[i]) && s_[i] != '/' && s_[i] != '>' && s_[i] != '=') {
      const char c = s_[i];
      if (c == '"' || c == '\'' || c == '<' || c == '\0') return false;
      a.name.push_back(ascii_lower(c));
      ++i;
    }
    if (a.name.empty()) return false;
    std::size_t j = i;
    while (j < s_.size() && is_space(s_[j])) ++j;
    if (j < s_.size() && s_[j] == '=') {
      i = j + 1;
      while (i < s_.size() && is_space(s_[i])) ++i;
      if (i >= s_.size()) return false;
      std::string_view raw;
      char quote = 0;
      if (s_[i] == '"' || s_[i] == '\'') {
        quote = s_[i];
        const std::size_t end = s_.find(quote, i + 1);
        if (end == std::string_view::npos) return false;
        raw = s_.substr(i + 1, end - i - 1);
        i = end + 1;
        if (i < s_.size() && !is_space(s_[i]) && s_[i] != '>' && s_[i] != '/') return false;
      } else {
        const std::size_t from = i;
        while (i < s_.size() && !is_space(s_[i]) && s_[i] != '>') {
          const char c = s_[i];
          if (c == '"' || c == '\'' || c == '<' || c == '=' || c == '`') return false;
          ++i;
        }
        raw = s_.substr(from, i - from);
        if (raw.empty()) return false;
      }
      if (!decode(raw, true, a.value)) return false;
    }
    for (const auto& other : t.attributes) {
      if (other.name == a.name) return false;  // the parser keeps the first; rare enough
    }
    t.attributes.push_back(std::move(a));
  }
}

bool plain_parser::read_end_tag(std::string& name) {
  // At "</".
  std::size_t i = i_ + 2;
  name.clear();
  if (i >= s_.size() || !is_alpha(s_[i])) return false;
  while (i < s_.size() && is_alnum(s_[i])) name.push_back(ascii_lower(s_[i++]));
  while (i < s_.size() && is_space(s_[i])) ++i;
  if (i >= s_.size() || s_[i] != '>') return false;
  i_ = i + 1;
  return true;
}

bool plain_parser::read_comment(std::string_view& data) {
  // At "<!--".
  const std::size_t from = i_ + 4;
  const std::size_t end = s_.find("-->", from);
  if (end == std::string_view::npos) return false;
  data = s_.substr(from, end - from);
  if (data.substr(0, 1) == ">" || data.substr(0, 2) == "->" || data.find("--!") != std::string_view::npos) {
    return false;
  }
  i_ = end + 3;
  return true;
}

bool plain_parser::skip_raw_text(std::string_view end_name, std::string_view* content) {
  // Just after the start tag of a title, style or script element; on success `content` gets the
  // element's text and i_ points after its end tag.
  for (std::size_t i = i_; (i = s_.find("</", i)) != std::string_view::npos; i += 2) {
    if (!starts_with_nocase(s_, i + 2, end_name)) continue;
    const std::size_t after = i + 2 + end_name.size();
    if (after < s_.size() && (s_[after] == '>' || is_space(s_[after]) || s_[after] == '/')) {
      const std::string_view text = s_.substr(i_, i - i_);
      // A script's "<!--" can hide its end tag from the tokenizer when a "<script" follows.
      if (end_name == "script" && text.find("<!--") != std::string_view::npos) {
        for (std::size_t k = text.find('<'); k != std::string_view::npos; k = text.find('<', k + 1)) {
          if (starts_with_nocase(text, k + 1, "script")) return false;
        }
      }
      if (content != nullptr) *content = text;
      i_ = i;
      std::string name;
      return read_end_tag(name);
    }
  }
  return false;
}

bool plain_parser::body_raw_text(const start_tag& st, const tag* t) {
  // Scripts and styles go where they stand, also in tables; a style is dropped in a select.
  if (st.self_closing || (t->quick == role::style && open_select_ > 0)) return false;
  std::string_view content;
  if (!skip_raw_text(t->name, &content)) return false;
  write_start(t->name, st.attributes);
  out_ += content;
  out_ += "</";
  legacy_writer::append_tag_name(out_, t->name);
  out_.push_back('>');
  pending_text_ = npos_;
  return within_bounds();
}

// Everything before <body>: only what the parser puts into the head or drops.
bool plain_parser::read_head() {
  start_tag t;
  std::string name;
  for (;;) {
    while (i_ < s_.size() && is_space(s_[i_])) ++i_;
    if (i_ >= s_.size() || s_[i_] != '<') return false;
    if (s_.compare(i_, 4, "<!--") == 0) {
      std::string_view data;
      if (!read_comment(data)) return false;
    } else if (starts_with_nocase(s_, i_, "<!doctype")) {
      const std::size_t end = s_.find('>', i_);
      if (end == std::string_view::npos) return false;
      i_ = end + 1;
    } else if (s_.compare(i_, 2, "</") == 0) {
      if (!read_end_tag(name) || name != "head") return false;
    } else if (i_ + 1 < s_.size() && is_alpha(s_[i_ + 1])) {
      if (!read_start_tag(t)) return false;
      if (t.name == "body") {
        write_start("body", t.attributes);
        return true;
      }
      if (t.name == "title" || t.name == "style" || t.name == "script") {
        if (!skip_raw_text(t.name)) return false;
      } else if (t.name != "html" && t.name != "head" && t.name != "meta" && t.name != "link" &&
                 t.name != "base") {
        return false;
      }
    } else {
      return false;
    }
  }
}

bool plain_parser::body_start_tag(const start_tag& st) {
  const tag* t = quick_tag(st.name);
  if (t == nullptr) return false;
  if (t->quick == role::script || t->quick == role::style) return body_raw_text(st, t);
  const tag* cur = current();
  const role cr = cur == nullptr ? role::plain : cur->quick;
  const bool is_void = t->quick == role::void_element;
  if (st.self_closing && !is_void) return false;

  if (open_select_ > 0) {
    // Inside a select only options (directly in it) are plain.
    if (t->quick != role::option || cr != role::select) return false;
  } else if (in_table_context()) {
    bool ok = false;
    if (cr == role::table) {
      if (t->quick == role::caption || t->quick == role::table_section) ok = true;
      if (t->quick == role::row) {
        static const tag* const kImpliedBody = find_tag("tbody");
        out_ += "<TBODY>";
        ++elements_;
        push(kImpliedBody, true);
        ok = true;
      }
    } else if (cr == role::table_section) {
      ok = t->quick == role::row;
    } else if (cr == role::row) {
      ok = t->quick == role::cell;
    }
    if (!ok) return false;
  } else {
    switch (t->quick) {
      case role::caption:
      case role::table_section:
      case role::row:
      case role::cell:
      case role::option:
        return false;
      case role::list_item:
        if (cr != role::list) return false;
        break;
      case role::dl_item:
        if (cr != role::dl) return false;
        break;
      case role::heading:
        if (cr == role::heading) return false;
        break;
      case role::anchor:
        if (open_a_ > 0) return false;
        break;
      case role::form:
        if (open_form_ > 0) return false;
        break;
      default:
        break;
    }
    if ((t->flags & kClosesP) && open_p_ > 0) return false;
  }
  write_start(t->name, st.attributes);
  if (!is_void) push(t, false);
  return within_bounds();
}

bool plain_parser::body_end_tag(const std::string& name) {
  const tag* t = quick_tag(name);
  if (t == nullptr) return false;
  if (t->quick == role::void_element) {
    return name != "br";  // the parser drops other void end tags; </br> makes a BR
  }
  // </table> also closes the table's open section, implied or not, as the parser does.
  if (t->quick == role::table && !stack_.empty() && current()->quick == role::table_section) pop();
  if (stack_.empty() || current()->name != t->name) return false;
  if (t->quick == role::form && pending_text_ != npos_ && pending_depth_ == stack_.size()) {
    // The full parser takes the form off its stack before it places the form's last text, so
    // that text ends up after the form; the quick path writes what the full parser writes.
    const std::string text = out_.substr(pending_text_);
    out_.resize(pending_text_);
    pop();
    pending_text_ = out_.size();
    pending_depth_ = stack_.size();
    out_ += text;
    return true;
  }
  pop();
  return true;
}

bool plain_parser::body_text(std::string_view raw) {
  if (raw.find('\0') != std::string_view::npos) return false;
  if (!decode(raw, false, scratch_)) return false;
  if (in_table_context() && open_select_ == 0) {
    for (char c : scratch_) {
      if (!is_space(c)) return false;  // the parser would move it out of the table
    }
  }
  if (pending_text_ == npos_) {
    pending_text_ = out_.size();
    pending_depth_ = stack_.size();
  }
  legacy_writer::append_text(out_, scratch_);
  return true;
}

bool plain_parser::run(std::string& out) {
  out_.reserve(s_.size() + s_.size() / 8 + 64);
  if (!read_head()) return false;
  start_tag t;
  std::string name;
  bool after_body = false;
  while (i_ < s_.size()) {
    if (s_[i_] != '<') {
      std::size_t end = s_.find('<', i_);
      if (end == std::string_view::npos) end = s_.size();
      const std::string_view raw = s_.substr(i_, end - i_);
      i_ = end;
      if (after_body) {
        for (char c : raw) {
          if (!is_space(c)) return false;
        }
        out_ += raw;  // whitespace after </body> still lands in the body
      } else if (!body_text(raw)) {
        return false;
      }
      continue;
    }
    // The byte after "<" tells a comment and an end tag apart before any comparison.
    const char next = i_ + 1 < s_.size() ? s_[i_ + 1] : '\0';
    if (next == '!' && s_.compare(i_, 4, "<!--") == 0) {
      std::string_view data;
      if (!read_comment(data)) return false;
      if (!after_body) {
        pending_text_ = npos_;
        out_ += "<!--";
        out_ += data;
        out_ += "-->";
      }
      continue;
    }
    if (next == '/') {
      if (!read_end_tag(name)) return false;
      if (name == "body" || name == "html") {
        if (!stack_.empty()) return false;
        after_body = true;
        continue;
      }
      if (after_body || !body_end_tag(name)) return false;
      continue;
    }
    if (after_body || !is_alpha(next)) return false;
    if (!read_start_tag(t) || !body_start_tag(t)) return false;
  }
  while (!stack_.empty()) pop();
  out_ += "</BODY>";
  out = std::move(out_);
  return true;
}

// What a document's characters allow the quick path: nothing the parser would replace or drop
// (bytes that are not well-formed UTF-8, a byte-order mark, control characters other than
// whitespace, noncharacters), and whether it must first rewrite line ends ("\r\n" and "\r"
// to "\n") as the parser's input stream does.
enum class page_characters { plain, with_cr, other };

page_characters characters_of(std::string_view s) {
  const std::size_t n = s.size();
  if (s.substr(0, 3) == "\xEF\xBB\xBF") return page_characters::other;
  bool cr = false;
  std::size_t i = 0;
  while (i < n) {
    // Eight printable ASCII bytes at a time: no byte below 0x20 nor from 0x7F up.
    for (std::uint64_t w; i + 8 <= n; i += 8) {
      std::memcpy(&w, s.data() + i, 8);
      constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
      constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
      if (((w - 0x20 * kOnes) | (w + 0x01 * kOnes) | w) & kHighs) break;
    }
    if (i >= n) break;
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F) {
      ++i;
      continue;
    }
    if (c < 0x80) {
      if (!is_space(static_cast<char>(c))) return page_characters::other;
      cr = cr || c == '\r';
      ++i;
      continue;
    }
    char32_t cp = 0;
    const std::size_t length = utf8_sequence_at(s, i, cp);
    if (length == 0 || cp <= 0x9F || (cp >= 0xFDD0 && cp <= 0xFDEF) || (cp & 0xFFFE) == 0xFFFE) {
      return page_characters::other;
    }
    i += length;
  }
  return cr ? page_characters::with_cr : page_characters::plain;
}

std::string with_lf_line_ends(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\r') {
      out.push_back(s[i]);
      continue;
    }
    out.push_back('\n');
    if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
  }
  return out;
}

}  // namespace

bool plain_page_body_html(std::string_view document, std::string& out) {
  switch (characters_of(document)) {
    case page_characters::plain:
      return plain_parser(document).run(out);
    case page_characters::with_cr: {
      const std::string lf = with_lf_line_ends(document);
      return plain_parser(lf).run(out);
    }
    case page_characters::other:
      break;
  }
  return false;
}

}  // namespace karigane
