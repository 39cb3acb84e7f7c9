// How much tree a document would make, measured before the HTML5 parser sees it. The parser's
// work grows with the depth of its tree times the number of tokens (scope checks walk the stack
// of open elements; formatting elements are made again after every block that closed them), so
// one hostile megabyte can hold it for minutes. The measure follows tree construction just far
// enough to count what the parser builds: the start tags, the elements it implies, the
// formatting elements it re-creates, and the depth of its open elements. It is not exact, but
// where it is unsure it keeps elements open, so no page builds many times the tree it was
// measured at (the serializer's fuzz harness checks this); it reads every byte once (a
// megabyte in a few milliseconds).
#pragma once

#include <cstddef>
#include <string_view>

namespace karigane {

struct markup_limits {
  std::size_t max_depth;     // open elements, plus formatting elements waiting to be re-created
  std::size_t max_elements;  // elements the tree would hold
};

// Far beyond any quote page: the local quote site's largest pages reach a depth of about 15 and
// about 2,600 elements, and browsers themselves flatten trees deeper than 512.
inline constexpr markup_limits kPageMarkupLimits{400, 100000};

struct markup_measure {
  std::size_t depth = 0;     // the deepest point reached
  std::size_t elements = 0;  // elements counted
  bool within = true;        // false once a limit was passed (the measure stops there)
};

markup_measure measure_markup(std::string_view document,
                              const markup_limits& limits = kPageMarkupLimits);

}  // namespace karigane
