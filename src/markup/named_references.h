// The HTML5 named character references ("&amp;", "&copy;", "&NotSquareSubsetEqual;", ...): the
// whole table, as the HTML5 parser knows it, for the quick path of the serializer. A name ends
// with ";" except for the few old names that are also recognised without it ("&copy").
#pragma once

#include <cstddef>
#include <string_view>

namespace karigane {

struct named_reference {
  std::string_view name;  // "copy;" or "copy"
  std::string_view text;  // UTF-8
};

extern const named_reference kNamedReferences[];
extern const std::size_t kNamedReferenceCount;

// The text of a reference by its name (with its ";" when it has one); nullptr when unknown.
const std::string_view* find_named_reference(std::string_view name);

}  // namespace karigane
