// How much tree a document would make, and how much work it would take, measured before the
// HTML5 parser sees it. The parser's work grows with the depth of its tree times the number of
// tokens (scope checks walk the stack of open elements; formatting elements are made again
// after every block that closed them), so one hostile megabyte can hold it for minutes. The
// measure follows tree construction just far enough to count what the parser builds and does:
// the start tags, the elements it implies, the formatting elements it re-creates, the depth of
// its open elements, and the open elements its searches look at (a thousand stray end tags
// below 400 open elements: 400,000 steps). It is not exact, but where it is unsure it keeps
// elements open, so no page builds many times the tree it was measured at (the serializer's
// fuzz harness checks this). It stops at the first limit passed: a megabyte takes it
// milliseconds, at most some tens of them.
#pragma once

#include <cstddef>
#include <string_view>

namespace karigane {

struct markup_limits {
  std::size_t max_depth;     // open elements, plus formatting elements waiting to be re-created
  std::size_t max_elements;  // elements the tree would hold
  std::size_t max_steps;     // open elements looked at while the tree is built
};

// Far beyond any quote page: the local quote site's largest pages reach a depth of 9, 850
// elements and 4,200 steps (a large real page some 30, 3,000 and 100,000); browsers themselves
// flatten trees deeper than 512. At the bounds the parser needs about a tenth of a second.
inline constexpr markup_limits kPageMarkupLimits{400, 100000, 10000000};

struct markup_measure {
  std::size_t depth = 0;     // the deepest point reached
  std::size_t elements = 0;  // elements counted
  std::size_t steps = 0;     // open elements looked at
  bool within = true;        // false once a limit was passed (the measure stops there)
};

markup_measure measure_markup(std::string_view document,
                              const markup_limits& limits = kPageMarkupLimits);

}  // namespace karigane
