// The two ways page retrieval turns a document into its legacy body (legacy_html.h): a quick
// path for plain, well-nested pages, which builds exactly the tree a browser builds for them,
// and the full HTML5 parser for everything else.
#pragma once

#include <string>
#include <string_view>

namespace karigane {

// The quick path. False, with `out` untouched, when the page holds anything the browser's tree
// construction would treat otherwise than by its plain nesting (misnested or unclosed tags,
// text in tables, foreign content, characters the parser replaces, ...), or passes the bounds
// of markup_bounds.h. Scripts, styles, comments and every named character reference it takes.
bool plain_page_body_html(std::string_view document, std::string& out);

// The full parser (gumbo). False when the document has no body element.
bool parsed_body_html(std::string_view document, std::string& out);

}  // namespace karigane
