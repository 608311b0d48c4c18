// Writing an output file so that it is never seen half-written.
#pragma once

#include <optional>
#include <string>

namespace linegen_tool {

// Writes `content` to a temporary file beside `path` and renames it over
// `path` once it is complete and flushed; "-" writes to standard output. On
// failure the temporary file is removed, `path` is left as it was, and the
// result says what went wrong.
std::optional<std::string> write_file_atomically(std::string const& path, std::string const& content);

}  // namespace linegen_tool
