// The picture formats of a chart: see picture_format.h.
#include "chart/picture_format.h"

#include <cctype>
#include <string>

#include "core/messages.h"

namespace karigane {

std::optional<picture_format> picture_format_of(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  std::string extension;
  for (const char c : name.substr(dot + 1)) {
    extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (extension == "png") return picture_format::png;
  if (extension == "jpg" || extension == "jpeg") return picture_format::jpeg;
  if (extension == "svg") return picture_format::svg;
  return std::nullopt;
}

std::string unknown_picture_format_message(const std::string& path) {
  return tr_format("chart --out の画像の形式は拡張子 .png, .jpg, .jpeg, .svg で指定してください: %s",
                   {path});
}

}  // namespace karigane
