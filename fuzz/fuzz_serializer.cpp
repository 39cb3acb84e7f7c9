// The legacy serializer: the quick path against the full HTML5 parser (whenever the quick path
// takes a page, both must write the same bytes), the bounds (a page the parser may see must not
// make a tree much deeper or larger than its measure) and the combined entry point.
#include <gumbo.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "markup/legacy_html.h"
#include "markup/legacy_parsers.h"
#include "markup/markup_bounds.h"

namespace {

[[noreturn]] void fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "%s\n--- first (%zu bytes)\n%.*s\n--- second (%zu bytes)\n%.*s\n", what, a.size(),
               static_cast<int>(a.size()), a.data(), b.size(), static_cast<int>(b.size()), b.data());
  std::abort();
}

struct tree_size {
  std::size_t depth = 0;     // below the body element
  std::size_t elements = 0;  // in the whole document
};

// The size of the tree the parser builds, walked without recursion.
tree_size parsed_tree_size(std::string_view document) {
  tree_size size;
  GumboOutput* out = gumbo_parse_with_options(&kGumboDefaultOptions, document.data(), document.size());
  struct frame {
    const GumboNode* node;
    std::size_t depth;  // 0 for the nodes outside the body
  };
  std::vector<frame> todo{{out->root, 0}};
  while (!todo.empty()) {
    const frame f = todo.back();
    todo.pop_back();
    if (f.node->type != GUMBO_NODE_ELEMENT && f.node->type != GUMBO_NODE_TEMPLATE) continue;
    ++size.elements;
    if (f.depth > size.depth) size.depth = f.depth;
    const bool body = f.node->v.element.tag == GUMBO_TAG_BODY;
    const GumboVector& children = f.node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
      todo.push_back({static_cast<const GumboNode*>(children.data[i]), f.depth > 0 || body ? f.depth + 1 : 0});
    }
  }
  gumbo_destroy_output(&kGumboDefaultOptions, out);
  return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace karigane;
  const std::string_view document(reinterpret_cast<const char*>(data), size);
  std::string quick = "(untouched)";
  const bool taken = plain_page_body_html(document, quick);
  if (!taken && quick != "(untouched)") fail("the quick path wrote a page it gave up", quick, "");

  std::string combined = "(untouched)";
  const body_result result = legacy_body_html(document, combined);
  if (taken && (result != body_result::written || combined != quick)) {
    fail("the entry point did not take the quick path's page", quick, combined);
  }
  if (result == body_result::refused) {
    if (combined != "(untouched)") fail("a refused page was written", combined, "");
    return 0;
  }

  // The parser may see the page (within the bounds, or a page the quick path kept within them),
  // and its tree is not much larger than measured: the measure follows the tree construction
  // only roughly, but closely enough that no page makes many times the tree it was measured at.
  const markup_measure measure = measure_markup(document);
  const tree_size tree = parsed_tree_size(document);
  if (measure.within && (tree.depth > 2 * measure.depth + 8 || tree.elements > 2 * measure.elements + 32)) {
    char what[200];
    std::snprintf(what, sizeof what, "the tree (depth %zu, %zu elements) is larger than measured (%zu, %zu)",
                  tree.depth, tree.elements, measure.depth, measure.elements);
    fail(what, document, "");
  }
  std::string full = "(untouched)";
  const bool has_body = parsed_body_html(document, full);
  if (taken && (!has_body || full != quick)) fail("the quick path and the parser differ", quick, full);
  if (!taken && result == body_result::written && combined != full) {
    fail("the entry point and the parser differ", combined, full);
  }
  return 0;
}
