// The picture formats a chart can be written in, named by the file's extension.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karigane {

enum class picture_format { png, jpeg, svg };

// The format the extension of `path` names (in any case); nothing for any other extension.
std::optional<picture_format> picture_format_of(std::string_view path);

// Why `path` cannot be a chart's picture, naming the extensions that can.
std::string unknown_picture_format_message(const std::string& path);

}  // namespace karigane
