// Writing pieces of the legacy browser form (see legacy_html.h): tag names, attributes and
// text. Shared by the two ways a page is parsed (the full HTML parser and the quick path for
// plain pages), so both write exactly the same text.
#pragma once

#include <string>
#include <string_view>

namespace karigane::legacy_writer {

// The tag name in upper case (ASCII letters only).
void append_tag_name(std::string& out, std::string_view name);

// " name", " name=value" or " name=\"value\"" by the quoting rule; the name in lower case.
void append_attribute(std::string& out, std::string_view name, std::string_view value);

// Text with &, <, > and the no-break space as entities.
void append_text(std::string& out, std::string_view text);

// Elements written without an end tag, by lower-case name.
bool is_void_element(std::string_view name);

}  // namespace karigane::legacy_writer
