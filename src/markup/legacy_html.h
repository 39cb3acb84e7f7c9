// The legacy browser form of a page: the document is parsed as a browser parses it (gumbo,
// HTML5: TBODY inserted, entities decoded, unclosed tags closed) and its body element is
// written the way the old browser control returned it, which is the form every extractor's
// markers are written in:
//   - tag names in upper case; void elements (BR, IMG, INPUT, ...) without an end tag;
//   - attributes in source order, names in lower case; an empty or valueless attribute bare
//     (`<OPTION selected value=2013>`); a value made only of ASCII letters, digits, "-", "_",
//     "." and non-ASCII characters unquoted (`id=selYear`, `alt=単独決算`), any other value in
//     double quotes with "&" and '"' written as &amp; and &quot;;
//   - text with "&", "<", ">" and the no-break space written as &amp; &lt; &gt; &nbsp;, every
//     other character as itself, whitespace kept; script and style contents as they are;
//   - comments kept as <!--text-->, as the old control kept them.
// A text already in this form comes out unchanged. A document whose tree would be deeper or
// larger than any quote page (markup_bounds.h) is refused before the parser spends minutes on
// it.
#pragma once

#include <string>
#include <string_view>

namespace karigane {

enum class body_result {
  written,  // `out` holds the body
  no_body,  // a document without a body element (a frameset page); `out` left as it was
  refused,  // nested too deeply or too many elements; `out` left as it was
};

// Parses `document` (UTF-8) and writes the body element's outer HTML in the legacy form to
// `out`. Any input, however malformed, is accepted within the bounds.
body_result legacy_body_html(std::string_view document, std::string& out);

}  // namespace karigane
