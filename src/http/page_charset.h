// The character set a fetched page declares, and its decoding to UTF-8: the HTTP header's
// charset parameter wins, else the first meta tag that names a charset; no declaration means
// UTF-8. Shift_JIS/CP932 and EUC-JP are the charsets the quote sites have used.
#pragma once

#include <string>
#include <string_view>

namespace karigane {

// The charset parameter of a Content-Type value ("text/html; charset=EUC-JP"), lower case,
// without quotes; "" when there is none.
std::string content_type_charset(std::string_view content_type);

// The charset named by a meta tag near the start of the page (<meta charset=...> or
// <meta http-equiv="Content-Type" content="...; charset=...">), lower case; "" when none.
std::string meta_charset(std::string_view body);

// The page's bytes as UTF-8, decoded by the declared charset.
std::string decode_page(std::string_view body, std::string_view content_type);

}  // namespace karigane
