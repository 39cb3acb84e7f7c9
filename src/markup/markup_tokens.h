// The tokenizer's table, the one that every reader and writer of markup in this folder uses:
// the character classes of HTML and the tag table.
//   - Whitespace is what the HTML tokenizer takes for it: tab, LF, FF, CR and space (a CR never
//     reaches a tokenizer in a browser, whose input stream makes "\r\n" and "\r" into "\n";
//     the quick path does the same before it reads a page that holds one).
//   - Each tag the readers know has one row: the role the quick path gives it (none: the quick
//     path leaves a page with the tag to the full parser) and the flags the bounds' model of
//     tree construction reads. A tag without a row has neither.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace karigane::markup_tokens {

enum char_class : std::uint8_t {
  kSpaceChar = 1u << 0,
  kAlphaChar = 1u << 1,
  kDigitChar = 1u << 2,
  kUpperChar = 1u << 3,
  kBareValueChar = 1u << 4,  // may stand in an unquoted attribute value of the legacy form
};

inline constexpr auto kCharClasses = [] {
  std::array<std::uint8_t, 256> c{};
  for (unsigned char s : {'\t', '\n', '\f', '\r', ' '}) c[s] |= kSpaceChar;
  for (int k = 0; k < 26; ++k) {
    c['a' + k] |= kAlphaChar | kBareValueChar;
    c['A' + k] |= kAlphaChar | kUpperChar | kBareValueChar;
  }
  for (int k = 0; k < 10; ++k) c['0' + k] |= kDigitChar | kBareValueChar;
  for (unsigned char s : {'-', '_', '.'}) c[s] |= kBareValueChar;
  for (int k = 0x80; k < 0x100; ++k) c[k] |= kBareValueChar;
  return c;
}();

inline bool has_class(char c, std::uint8_t classes) {
  return (kCharClasses[static_cast<unsigned char>(c)] & classes) != 0;
}
inline bool is_space(char c) { return has_class(c, kSpaceChar); }
inline bool is_alpha(char c) { return has_class(c, kAlphaChar); }
inline bool is_alnum(char c) { return has_class(c, kAlphaChar | kDigitChar); }
inline char ascii_lower(char c) { return has_class(c, kUpperChar) ? static_cast<char>(c + 32) : c; }
inline char ascii_upper(char c) {
  return has_class(c, kAlphaChar) && !has_class(c, kUpperChar) ? static_cast<char>(c - 32) : c;
}

// What the quick path does with an element.
enum class role : std::uint8_t {
  none,       // nothing: a page with it goes to the full parser
  plain,      // phrasing or flow element without special parsing (a block closes an open P
              // by its flag kClosesP)
  p,
  list,       // UL, OL
  list_item,
  dl,
  dl_item,
  heading,
  anchor,
  form,
  table,
  caption,
  table_section,  // THEAD, TBODY, TFOOT
  row,
  cell,
  select,
  option,
  void_element,
  script,  // content up to </script> is text, copied as it is
  style,   // likewise up to </style>
};

// What the bounds' model of tree construction reads of an element.
enum tag_flag : std::uint32_t {
  kVoid = 1u << 0,
  kFormatting = 1u << 1,
  kSpecial = 1u << 2,
  kScope = 1u << 3,       // ends the default scope (and the scopes built on it)
  kMarker = 1u << 4,      // puts a marker on the list of active formatting elements
  kRawText = 1u << 5,     // content up to the matching end tag is text
  kClosesP = 1u << 6,     // its start tag closes an open P
  kListItem = 1u << 7,    // LI
  kDefItem = 1u << 8,     // DD, DT
  kCell = 1u << 9,        // TD, TH
  kRow = 1u << 10,        // TR
  kSection = 1u << 11,    // TBODY, THEAD, TFOOT
  kTable = 1u << 12,
  kHeading = 1u << 13,
  kIgnored = 1u << 14,    // HTML, HEAD, BODY: never a new element in the body
  kPlainText = 1u << 15,  // PLAINTEXT: the rest of the document is text
  kForeign = 1u << 16,    // SVG, MATH: self-closing tags inside are honoured
  kButton = 1u << 17,
  kList = 1u << 18,       // UL, OL: end the list-item scope
  kOption = 1u << 19,
  kCaption = 1u << 20,
  kColumn = 1u << 21,     // COL, COLGROUP
  kP = 1u << 22,
  kSelect = 1u << 23,
};

struct tag {
  std::string_view name;  // lower case
  role quick;
  std::uint32_t flags;
};

// The tag table, by name. The voids (kVoid) are also the elements the legacy form writes
// without an end tag ("image" never stands in a tree: the parser makes it an IMG).
inline constexpr tag kTags[] = {
    {"a", role::anchor, kFormatting},
    {"abbr", role::plain, 0},
    {"acronym", role::plain, 0},
    {"address", role::plain, kSpecial | kClosesP},
    {"applet", role::none, kSpecial | kScope | kMarker},
    {"area", role::void_element, kVoid | kSpecial},
    {"article", role::plain, kSpecial | kClosesP},
    {"aside", role::plain, kSpecial | kClosesP},
    {"b", role::plain, kFormatting},
    {"base", role::none, kVoid | kSpecial},
    {"basefont", role::none, kVoid | kSpecial},
    {"bdo", role::plain, 0},
    {"bgsound", role::none, kVoid | kSpecial},
    {"big", role::plain, kFormatting},
    {"blockquote", role::plain, kSpecial | kClosesP},
    {"body", role::none, kSpecial | kIgnored},
    {"br", role::void_element, kVoid | kSpecial},
    {"button", role::none, kSpecial | kButton},
    {"caption", role::caption, kSpecial | kScope | kMarker | kCaption},
    {"center", role::plain, kSpecial | kClosesP},
    {"cite", role::plain, 0},
    {"code", role::plain, kFormatting},
    {"col", role::none, kVoid | kSpecial | kColumn},
    {"colgroup", role::none, kSpecial | kColumn},
    {"dd", role::dl_item, kSpecial | kClosesP | kDefItem},
    {"del", role::plain, 0},
    {"details", role::none, kSpecial | kClosesP},
    {"dfn", role::plain, 0},
    {"dialog", role::none, kClosesP},
    {"dir", role::none, kSpecial | kClosesP},
    {"div", role::plain, kSpecial | kClosesP},
    {"dl", role::dl, kSpecial | kClosesP},
    {"dt", role::dl_item, kSpecial | kClosesP | kDefItem},
    {"em", role::plain, kFormatting},
    {"embed", role::none, kVoid | kSpecial},
    {"fieldset", role::none, kSpecial | kClosesP},
    {"figcaption", role::none, kSpecial | kClosesP},
    {"figure", role::none, kSpecial | kClosesP},
    {"font", role::plain, kFormatting},
    {"footer", role::plain, kSpecial | kClosesP},
    {"form", role::form, kSpecial | kClosesP},
    {"frame", role::none, kVoid | kSpecial},
    {"frameset", role::none, kSpecial},
    {"h1", role::heading, kSpecial | kClosesP | kHeading},
    {"h2", role::heading, kSpecial | kClosesP | kHeading},
    {"h3", role::heading, kSpecial | kClosesP | kHeading},
    {"h4", role::heading, kSpecial | kClosesP | kHeading},
    {"h5", role::heading, kSpecial | kClosesP | kHeading},
    {"h6", role::heading, kSpecial | kClosesP | kHeading},
    {"head", role::none, kSpecial | kIgnored},
    {"header", role::plain, kSpecial | kClosesP},
    {"hgroup", role::none, kSpecial | kClosesP},
    {"hr", role::void_element, kVoid | kSpecial | kClosesP},
    {"html", role::none, kSpecial | kScope | kIgnored},
    {"i", role::plain, kFormatting},
    {"iframe", role::none, kSpecial | kRawText},
    {"image", role::none, kVoid},
    {"img", role::void_element, kVoid | kSpecial},
    {"input", role::void_element, kVoid | kSpecial},
    {"ins", role::plain, 0},
    {"kbd", role::plain, 0},
    {"keygen", role::none, kVoid | kSpecial},
    {"label", role::plain, 0},
    {"li", role::list_item, kSpecial | kClosesP | kListItem},
    {"link", role::none, kVoid | kSpecial},
    {"listing", role::none, kSpecial | kClosesP},
    {"main", role::plain, kSpecial | kClosesP},
    {"map", role::plain, 0},
    {"mark", role::plain, 0},
    {"marquee", role::none, kSpecial | kScope | kMarker},
    {"math", role::none, kForeign},
    {"menu", role::none, kSpecial | kClosesP},
    {"meta", role::none, kVoid | kSpecial},
    {"nav", role::plain, kSpecial | kClosesP},
    {"nobr", role::none, kFormatting},
    {"noembed", role::none, kSpecial | kRawText},
    {"noframes", role::none, kSpecial | kRawText},
    {"noscript", role::plain, kSpecial},
    {"object", role::none, kSpecial | kScope | kMarker},
    {"ol", role::list, kSpecial | kClosesP | kList},
    {"optgroup", role::none, kOption},
    {"option", role::option, kOption},
    {"p", role::p, kSpecial | kClosesP | kP},
    {"param", role::none, kVoid | kSpecial},
    {"plaintext", role::none, kSpecial | kClosesP | kPlainText},
    {"pre", role::none, kSpecial | kClosesP},
    {"q", role::plain, 0},
    {"s", role::plain, kFormatting},
    {"samp", role::plain, 0},
    {"script", role::script, kSpecial | kRawText},
    {"section", role::plain, kSpecial | kClosesP},
    {"select", role::select, kSpecial | kSelect},
    {"small", role::plain, kFormatting},
    {"source", role::none, kVoid | kSpecial},
    {"span", role::plain, 0},
    {"strike", role::plain, kFormatting},
    {"strong", role::plain, kFormatting},
    {"style", role::style, kSpecial | kRawText},
    {"sub", role::plain, 0},
    {"summary", role::none, kSpecial | kClosesP},
    {"sup", role::plain, 0},
    {"svg", role::none, kForeign},
    {"table", role::table, kSpecial | kScope | kClosesP | kTable},
    {"tbody", role::table_section, kSpecial | kSection},
    {"td", role::cell, kSpecial | kScope | kMarker | kCell},
    {"template", role::none, kSpecial | kScope | kMarker},
    {"textarea", role::none, kSpecial | kRawText},
    {"tfoot", role::table_section, kSpecial | kSection},
    {"th", role::cell, kSpecial | kScope | kMarker | kCell},
    {"thead", role::table_section, kSpecial | kSection},
    {"time", role::plain, 0},
    {"title", role::none, kSpecial | kRawText},
    {"tr", role::row, kSpecial | kRow},
    {"track", role::none, kVoid | kSpecial},
    {"tt", role::plain, kFormatting},
    {"u", role::plain, kFormatting},
    {"ul", role::list, kSpecial | kClosesP | kList},
    {"var", role::plain, 0},
    {"wbr", role::none, kVoid | kSpecial},
    {"xmp", role::none, kSpecial | kRawText | kClosesP},
};

// An id for any tag name (lower case), known or not: the bounds' model tells elements apart by
// it.
constexpr std::uint64_t tag_id(std::string_view lower_name) {
  std::uint64_t h = 1469598103934665603ull;
  for (char c : lower_name) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

namespace detail {

// An open-addressing table over kTags, built at compile time: slot value k + 1 is kTags[k].
inline constexpr std::size_t kTagSlotCount = 256;
static_assert(std::size(kTags) < kTagSlotCount / 2);

inline constexpr auto kTagSlots = [] {
  std::array<std::uint8_t, kTagSlotCount> slots{};
  for (std::size_t k = 0; k < std::size(kTags); ++k) {
    std::size_t h = tag_id(kTags[k].name) % kTagSlotCount;
    while (slots[h] != 0) h = (h + 1) % kTagSlotCount;
    slots[h] = static_cast<std::uint8_t>(k + 1);
  }
  return slots;
}();

}  // namespace detail

// The row of a tag (its name in lower case), or nullptr when the table has none; `id` is
// tag_id(name).
inline const tag* find_tag(std::string_view lower_name, std::uint64_t id) {
  using detail::kTagSlotCount;
  using detail::kTagSlots;
  for (std::size_t h = id % kTagSlotCount; kTagSlots[h] != 0; h = (h + 1) % kTagSlotCount) {
    const tag& t = kTags[kTagSlots[h] - 1];
    if (t.name == lower_name) return &t;
  }
  return nullptr;
}
inline const tag* find_tag(std::string_view lower_name) {
  return find_tag(lower_name, tag_id(lower_name));
}

}  // namespace karigane::markup_tokens
