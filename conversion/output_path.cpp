#include "conversion/output_path.h"

namespace karvonel::conversion {

std::string OutputPathFor(std::string_view in_path, bool backslash_separates) {
  const std::string_view separators = backslash_separates ? "/\\" : "/";
  const std::size_t last_separator = in_path.find_last_of(separators);
  const std::size_t name_start = last_separator == std::string_view::npos ? 0 : last_separator + 1;
  const std::size_t dot = in_path.rfind('.');
  const bool has_extension = dot != std::string_view::npos && dot >= name_start;
  std::string out(has_extension ? in_path.substr(0, dot) : in_path);
  out += ".igs";
  return out;
}

}  // namespace karvonel::conversion
