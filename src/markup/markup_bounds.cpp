// The measure of a document's tree: see markup_bounds.h. A tokenizer that reads tags, comments
// and raw text, and a model of the parser's stack of open elements and its list of active
// formatting elements. Where the model is unsure it keeps more elements open than the parser
// would, so a page never measures smaller than its tree.
#include "markup/markup_bounds.h"

#include <cstdint>
#include <string>
#include <vector>

#include "markup/markup_tokens.h"

namespace karigane {
namespace {

using namespace markup_tokens;

constexpr std::uint32_t kTableTags = kCell | kRow | kSection | kCaption | kTable;

// The ids of the tags the model names.
struct known_ids {
  static constexpr std::uint64_t p = tag_id("p");
  static constexpr std::uint64_t a = tag_id("a");
  static constexpr std::uint64_t nobr = tag_id("nobr");
  static constexpr std::uint64_t br = tag_id("br");
  static constexpr std::uint64_t tr = tag_id("tr");
  static constexpr std::uint64_t tbody = tag_id("tbody");
  static constexpr std::uint64_t button = tag_id("button");
  static constexpr std::uint64_t div = tag_id("div");
  static constexpr std::uint64_t select = tag_id("select");
  static constexpr std::uint64_t input = tag_id("input");
  static constexpr std::uint64_t keygen = tag_id("keygen");
  static constexpr std::uint64_t textarea = tag_id("textarea");
  static constexpr std::uint64_t address = tag_id("address");
};

std::uint32_t flags_of(std::string_view lower_name, std::uint64_t id) {
  const tag* t = find_tag(lower_name, id);
  return t == nullptr ? 0 : t->flags;
}

class tree_model {
 public:
  tree_model(std::string_view s, const markup_limits& limits) : s_(s), limits_(limits) {}

  markup_measure run();

 private:
  struct open_element {
    std::uint64_t id;
    std::uint32_t flags;
    int slot;  // index in the formatting list, -1 when none
  };
  struct formatting_entry {
    std::uint64_t id;
    std::uint64_t attributes;
    int element;  // index in the stack, -1 when not open (waiting to be re-created)
    bool marker;
  };

  // Tokenizer.
  void read_tag(std::size_t lt);
  std::size_t tag_end(std::size_t from, std::uint64_t& attribute_hash, bool& self_closing) const;
  std::size_t comment_end(std::size_t from) const;
  std::size_t raw_text_end(std::size_t from, std::string_view name) const;

  // Tree construction.
  void start_tag(std::uint64_t id, std::uint32_t f, std::uint64_t attributes, bool self_closing);
  void end_tag(std::uint64_t id, std::uint32_t f);
  void formatting_end(std::uint64_t id, std::uint32_t f);
  void text() { reconstruct(); }

  void add_elements(std::size_t n) {
    m_.elements += n;
    if (m_.elements > limits_.max_elements) m_.within = false;
    note_depth();
  }
  void push(std::uint64_t id, std::uint32_t f) {
    add_elements(1);
    stack_.push_back({id, f, -1});
    if (f & kForeign) ++foreign_;
    if (f & kSelect) ++select_;
    note_depth();
  }
  // The deepest element may be a leaf (a void element, a text element) in the current node.
  void note_depth() {
    const std::size_t d = std::max(stack_.size() + 1, list_.size());
    if (d > m_.depth) m_.depth = d;
    if (d > limits_.max_depth) m_.within = false;
  }
  void pop_to(std::size_t k);  // pops stack_[k] and everything above it
  void clear_to_marker();
  void erase_entry(std::size_t e);
  void push_formatting(std::uint64_t id, std::uint32_t f, std::uint64_t attributes);
  void push_marker() {
    list_.push_back({0, 0, -1, true});
    note_depth();
  }
  void reconstruct();
  // Index of the topmost `id` below no element with any of `stop` flags; npos when none.
  std::size_t in_scope(std::uint64_t id, std::uint32_t stop);
  std::size_t topmost_with(std::uint32_t f, std::uint32_t stop);
  // A select opened inside a table: the table's own tags end it.
  bool select_in_table() {
    const std::size_t table = topmost_with(kTable, 0);
    return table != kNone && table < topmost_with(kSelect, 0);
  }
  void close_p() {
    const std::size_t k = in_scope(known_ids::p, kScope | kButton);
    if (k != kNone) pop_to(k);
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::string_view s_;
  const markup_limits& limits_;
  markup_measure m_;
  std::size_t i_ = 0;
  std::string name_;
  std::vector<open_element> stack_;
  std::vector<formatting_entry> list_;
  int foreign_ = 0;
  int select_ = 0;  // a select drops the start tags of raw text elements but script's
};

std::size_t tree_model::comment_end(std::size_t from) const {
  // `from` is just after "<!--". "<!-->" and "<!--->" are empty comments; "--!>" also ends one.
  if (s_.compare(from, 1, ">") == 0) return from + 1;
  if (s_.compare(from, 2, "->") == 0) return from + 2;
  for (std::size_t p = from; (p = s_.find("--", p)) != std::string_view::npos; ++p) {
    if (s_.compare(p + 2, 1, ">") == 0) return p + 3;
    if (s_.compare(p + 2, 2, "!>") == 0) return p + 4;
  }
  return s_.size();
}

std::size_t tree_model::tag_end(std::size_t i, std::uint64_t& attribute_hash,
                                bool& self_closing) const {
  // From just after the tag name to just after its ">": attribute values in quotes may hold ">".
  std::uint64_t h = 1469598103934665603ull;
  self_closing = false;
  const std::size_t n = s_.size();
  while (i < n) {
    const char c = s_[i];
    if (c == '>') {
      attribute_hash = h;
      return i + 1;
    }
    self_closing = c == '/';
    if (c == '=') {
      h = (h ^ '=') * 1099511628211ull;
      ++i;
      while (i < n && is_space(s_[i])) ++i;
      if (i < n && (s_[i] == '"' || s_[i] == '\'')) {
        const std::size_t close = s_.find(s_[i], i + 1);
        const std::size_t end = close == std::string_view::npos ? n : close;
        for (std::size_t k = i + 1; k < end; ++k) h = (h ^ static_cast<unsigned char>(s_[k])) * 1099511628211ull;
        i = end + 1;
        self_closing = false;
        continue;
      }
      continue;
    }
    h = (h ^ static_cast<unsigned char>(ascii_lower(c))) * 1099511628211ull;
    ++i;
  }
  attribute_hash = h;
  return n;
}

std::size_t tree_model::raw_text_end(std::size_t from, std::string_view name) const {
  for (std::size_t p = from; (p = s_.find("</", p)) != std::string_view::npos; p += 2) {
    if (s_.size() - (p + 2) < name.size()) return s_.size();
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k) same = ascii_lower(s_[p + 2 + k]) == name[k];
    if (!same) continue;
    const std::size_t after = p + 2 + name.size();
    if (after >= s_.size() || is_space(s_[after]) || s_[after] == '/' || s_[after] == '>') return p;
  }
  return s_.size();
}

void tree_model::read_tag(std::size_t lt) {
  // At "<" followed by a letter or by "/" and a letter.
  const bool end = s_[lt + 1] == '/';
  std::size_t i = lt + (end ? 2 : 1);
  name_.clear();
  while (i < s_.size() && !is_space(s_[i]) && s_[i] != '/' && s_[i] != '>') name_.push_back(ascii_lower(s_[i++]));
  std::uint64_t attributes = 0;
  bool self_closing = false;
  i_ = tag_end(i, attributes, self_closing);
  const std::uint64_t id = tag_id(name_);
  const std::uint32_t f = flags_of(name_, id);
  if (end) {
    end_tag(id, f);
    return;
  }
  start_tag(id, f, attributes, self_closing);
  // Where the parser would drop the start tag, its content is markup: the model reads it so.
  const bool dropped = foreign_ > 0 || (select_ > 0 && name_ != "script");
  if ((f & kRawText) && !dropped) {
    const std::size_t close = raw_text_end(i_, name_);
    i_ = close;  // the end tag is read as a tag of its own
  } else if ((f & kPlainText) && !dropped) {
    i_ = s_.size();
  }
}

std::size_t tree_model::in_scope(std::uint64_t id, std::uint32_t stop) {
  for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
    if (stack_[k].id == id) return k;
    if (stack_[k].flags & stop) return kNone;
  }
  return kNone;
}

std::size_t tree_model::topmost_with(std::uint32_t f, std::uint32_t stop) {
  for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
    if (stack_[k].flags & f) return k;
    if (stack_[k].flags & stop) return kNone;
  }
  return kNone;
}

void tree_model::pop_to(std::size_t k) {
  while (stack_.size() > k) {
    const open_element& e = stack_.back();
    if (e.slot >= 0) list_[static_cast<std::size_t>(e.slot)].element = -1;
    if (e.flags & kForeign) --foreign_;
    if (e.flags & kSelect) --select_;
    const bool marker = (e.flags & kMarker) != 0;
    stack_.pop_back();
    if (marker) clear_to_marker();
  }
}

void tree_model::clear_to_marker() {
  while (!list_.empty()) {
    const formatting_entry e = list_.back();
    list_.pop_back();
    if (e.element >= 0) stack_[static_cast<std::size_t>(e.element)].slot = -1;
    if (e.marker) return;
  }
}

void tree_model::erase_entry(std::size_t e) {
  if (list_[e].element >= 0) stack_[static_cast<std::size_t>(list_[e].element)].slot = -1;
  list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(e));
  for (std::size_t k = e; k < list_.size(); ++k) {
    ++m_.steps;
    if (list_[k].element >= 0) stack_[static_cast<std::size_t>(list_[k].element)].slot = static_cast<int>(k);
  }
}

void tree_model::push_formatting(std::uint64_t id, std::uint32_t f, std::uint64_t attributes) {
  push(id, f);
  // The parser keeps at most three equal entries (same tag, same attributes) after a marker.
  std::size_t equal = 0;
  std::size_t earliest = kNone;
  for (std::size_t k = list_.size(); k-- > 0;) {
    ++m_.steps;
    if (list_[k].marker) break;
    if (list_[k].id == id && list_[k].attributes == attributes) {
      ++equal;
      earliest = k;
    }
  }
  if (equal >= 3) erase_entry(earliest);
  list_.push_back({id, attributes, static_cast<int>(stack_.size() - 1), false});
  stack_.back().slot = static_cast<int>(list_.size() - 1);
  note_depth();
}

void tree_model::reconstruct() {
  if (list_.empty() || list_.back().marker || list_.back().element >= 0) return;
  std::size_t k = list_.size() - 1;
  while (k > 0 && !list_[k - 1].marker && list_[k - 1].element < 0) --k;
  for (; k < list_.size() && m_.within; ++k) {
    push(list_[k].id, kFormatting);
    list_[k].element = static_cast<int>(stack_.size() - 1);
    stack_.back().slot = static_cast<int>(k);
  }
}

void tree_model::formatting_end(std::uint64_t id, std::uint32_t f) {
  std::size_t e = kNone;
  for (std::size_t k = list_.size(); k-- > 0;) {
    ++m_.steps;
    if (list_[k].marker) break;
    if (list_[k].id == id) {
      e = k;
      break;
    }
  }
  if (e == kNone) {
    // Not an active formatting element: the rule of any other end tag.
    for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
      if (stack_[k].id == id) return pop_to(k);
      if (stack_[k].flags & kSpecial) return;
    }
    return;
  }
  if (list_[e].element < 0) return erase_entry(e);
  const std::size_t k = static_cast<std::size_t>(list_[e].element);
  for (std::size_t j = k + 1; j < stack_.size(); ++j) {
    ++m_.steps;
    if (stack_[j].flags & kScope) return;  // not in scope: ignored
  }
  for (std::size_t j = k + 1; j < stack_.size(); ++j) {
    ++m_.steps;
    if (stack_[j].flags & kSpecial) {
      // A block inside the formatting element: the parser clones formatting elements (at most
      // eight rounds of a few clones) and leaves the block open; the model leaves the stack.
      add_elements(8 * 4);
      return;
    }
  }
  erase_entry(e);
  pop_to(k);
}

void tree_model::start_tag(std::uint64_t id, std::uint32_t f, std::uint64_t attributes,
                           bool self_closing) {
  using t = known_ids;
  if (f & kIgnored) return;
  if (select_ > 0 && (f & kTableTags) && select_in_table()) {
    pop_to(topmost_with(kSelect, 0));  // a table's tags end a select in one, and count again
  }
  if (select_ > 0) {
    // In a select the parser drops every start tag but a few; the model counts them as
    // elements all the same, and never lets them close anything outside the select.
    if (id == t::select || id == t::input || id == t::keygen || id == t::textarea) {
      pop_to(topmost_with(kSelect, 0));
      if (id == t::select) return;
    } else if (f & kOption) {
      if (stack_.back().flags & kOption) pop_to(stack_.size() - 1);
      return push(id, f);
    } else {
      if (f & (kVoid | kRawText)) return add_elements(1);
      return push(id, f);
    }
  }
  if (foreign_ > 0 && f == 0) {
    // Inside SVG or MathML the parser honours "/>".
    if (self_closing) return add_elements(1);
    return push(id, f);
  }
  if (f & (kCell | kRow | kSection | kCaption | kColumn)) {
    const std::size_t table = topmost_with(kTable, 0);
    if (table == kNone) return;  // ignored outside a table
    if (f & kColumn) return add_elements(2);
    if (f & kCell) {
      const std::size_t cell = topmost_with(kCell, kTable);
      if (cell != kNone) pop_to(cell);
      if (topmost_with(kRow, kTable) == kNone) {
        if (topmost_with(kSection, kTable) == kNone) push(t::tbody, kSection | kSpecial);
        push(t::tr, kRow | kSpecial);
      }
      push(id, f);
      return push_marker();
    }
    if (f & kRow) {
      const std::size_t row = topmost_with(kRow, kTable);
      if (row != kNone) pop_to(row);
      if (topmost_with(kSection, kTable) == kNone) push(t::tbody, kSection | kSpecial);
      return push(id, f);
    }
    pop_to(table + 1);  // sections and captions go directly into the table
    push(id, f);
    if (f & kCaption) push_marker();
    return;
  }
  if (f & kListItem) {
    for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
      if (stack_[k].flags & kListItem) {
        pop_to(k);
        break;
      }
      if ((stack_[k].flags & kSpecial) && !(stack_[k].flags & kP) && stack_[k].id != t::div &&
          stack_[k].id != t::address) {
        break;
      }
    }
  } else if (f & kDefItem) {
    for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
      if (stack_[k].flags & kDefItem) {
        pop_to(k);
        break;
      }
      if ((stack_[k].flags & kSpecial) && !(stack_[k].flags & kP)) break;
    }
  } else if (f & kOption) {
    if (!stack_.empty() && (stack_.back().flags & kOption)) pop_to(stack_.size() - 1);
  } else if (f & kButton) {
    const std::size_t b = in_scope(id, kScope);
    if (b != kNone) pop_to(b);
  }
  if (f & kClosesP) close_p();
  if ((f & kHeading) && !stack_.empty() && (stack_.back().flags & kHeading)) pop_to(stack_.size() - 1);
  if (id == t::a || id == t::nobr) {
    for (std::size_t k = list_.size(); k-- > 0;) {
    ++m_.steps;
      if (list_[k].marker) break;
      if (list_[k].id == id) {
        formatting_end(id, f);
        break;
      }
    }
  }
  if (!(f & (kClosesP | kTable))) reconstruct();
  if (f & kVoid) return add_elements(1);
  if (f & kRawText) return add_elements(1);  // its content is text, its end tag closes it
  if (f & kFormatting) return push_formatting(id, f, attributes);
  push(id, f);
  if (f & kMarker) push_marker();
}

void tree_model::end_tag(std::uint64_t id, std::uint32_t f) {
  using t = known_ids;
  if (f & (kIgnored | kRawText)) return;
  if (select_ > 0 && (f & kTableTags) && select_in_table()) {
    const std::size_t select = topmost_with(kSelect, 0);
    for (std::size_t k = 0; k < select; ++k) {
      ++m_.steps;
      if (stack_[k].id == id) {
        pop_to(select);  // ends the select, then the element as below
        break;
      }
    }
  }
  if (select_ > 0) {
    // In a select the parser drops every end tag but those of the select and its options.
    if (id == t::select) {
      pop_to(topmost_with(kSelect, 0));
    } else if ((f & kOption) && stack_.back().id == id) {
      pop_to(stack_.size() - 1);
    }
    return;
  }
  if (id == t::br) return start_tag(id, f, 0, false);  // </br> makes a BR
  if (id == t::p) {
    const std::size_t k = in_scope(id, kScope | kButton);
    if (k == kNone) return add_elements(1);  // an empty P is made
    return pop_to(k);
  }
  if (f & kFormatting) return formatting_end(id, f);
  if (f & (kCell | kRow | kSection | kTable | kCaption)) {
    const std::size_t k = in_scope(id, kTable);
    if (k != kNone) pop_to(k);
    return;
  }
  if (f & kHeading) {
    const std::size_t k = topmost_with(kHeading, kScope);
    if (k != kNone) pop_to(k);
    return;
  }
  if (f & kSpecial) {
    const std::size_t k = in_scope(id, kScope | ((f & kListItem) ? std::uint32_t{kList} : 0u));
    if (k != kNone) pop_to(k);
    return;
  }
  for (std::size_t k = stack_.size(); k-- > 0;) {
    ++m_.steps;
    if (stack_[k].id == id) return pop_to(k);
    if (stack_[k].flags & kSpecial) return;
  }
}

markup_measure tree_model::run() {
  m_.elements = 3;  // html, head and body
  const std::size_t n = s_.size();
  while (i_ < n && m_.within) {
    if (m_.steps > limits_.max_steps) {
      m_.within = false;
      break;
    }
    const std::size_t lt = s_.find('<', i_);
    if (lt != i_) {
      text();
      if (lt == std::string_view::npos) break;
    }
    i_ = lt;
    if (s_.compare(lt, 4, "<!--") == 0) {
      i_ = comment_end(lt + 4);
    } else if (lt + 1 < n && (s_[lt + 1] == '!' || s_[lt + 1] == '?')) {
      const std::size_t gt = s_.find('>', lt);
      i_ = gt == std::string_view::npos ? n : gt + 1;
    } else if (lt + 2 < n && s_[lt + 1] == '/' && is_alpha(s_[lt + 2])) {
      read_tag(lt);
    } else if (lt + 1 < n && s_[lt + 1] == '/') {
      const std::size_t gt = s_.find('>', lt);  // "</>" is dropped, "</3" a comment
      i_ = gt == std::string_view::npos ? n : gt + 1;
    } else if (lt + 1 < n && is_alpha(s_[lt + 1])) {
      read_tag(lt);
    } else {
      text();  // a "<" that starts no tag
      i_ = lt + 1;
    }
  }
  return m_;
}

}  // namespace

markup_measure measure_markup(std::string_view document, const markup_limits& limits) {
  tree_model model(document, limits);
  return model.run();
}

}  // namespace karigane
