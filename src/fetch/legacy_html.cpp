// The legacy serializer: see legacy_html.h. Plain pages, such as the quote sites' history
// pages, take the quick path; every other page the full HTML5 parser.
#include "fetch/legacy_html.h"

#include "fetch/legacy_parsers.h"

namespace karigane {

bool legacy_body_html(std::string_view document, std::string& out) {
  return plain_page_body_html(document, out) || parsed_body_html(document, out);
}

}  // namespace karigane
