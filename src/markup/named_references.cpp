// Finding a named character reference: see named_references.h. Binary search over the sorted
// table; the quick path asks only at an "&" that starts a name.
#include "markup/named_references.h"

#include <algorithm>

namespace karigane {

const std::string_view* find_named_reference(std::string_view name) {
  const named_reference* end = kNamedReferences + kNamedReferenceCount;
  const named_reference* it = std::lower_bound(
      kNamedReferences, end, name, [](const named_reference& r, std::string_view n) { return r.name < n; });
  return it != end && it->name == name ? &it->text : nullptr;
}

}  // namespace karigane
