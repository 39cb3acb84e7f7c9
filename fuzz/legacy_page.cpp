// Writes the legacy body of the document on standard input to standard output, as page
// retrieval would hand it to an extractor; the corpus script makes the extractors' seeds with it.
#include <iostream>
#include <iterator>
#include <string>

#include "markup/legacy_html.h"

int main() {
  std::ios::sync_with_stdio(false);
  const std::string document((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::string body;
  if (karigane::legacy_body_html(document, body) != karigane::body_result::written) return 1;
  std::cout << body;
  return 0;
}
