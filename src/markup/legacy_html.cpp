// The legacy serializer: see legacy_html.h. Plain pages, such as the quote sites' history
// pages, take the quick path (which keeps to the same bounds); every other page is measured and
// then goes through the full HTML5 parser.
#include "markup/legacy_html.h"

#include "markup/legacy_parsers.h"
#include "markup/markup_bounds.h"

namespace karigane {

body_result legacy_body_html(std::string_view document, std::string& out) {
  if (plain_page_body_html(document, out)) return body_result::written;
  if (!measure_markup(document).within) return body_result::refused;
  return parsed_body_html(document, out) ? body_result::written : body_result::no_body;
}

}  // namespace karigane
