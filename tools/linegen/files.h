// Files in and out: reading a job, and writing an output so that it is
// never seen half-written.
#pragma once

#include <optional>
#include <string>

#include "job.h"

namespace linegen_tool {

// Reads a whole file (or standard input for "-"); on failure the fault says
// why (missing, a directory, unreadable).
struct FileText {
  std::optional<std::string> text;
  std::optional<Fault> fault;
};
FileText read_file(std::string const& path);

// Writes `content` to a temporary file beside `path` and renames it over
// `path` once it is complete and flushed; "-" writes to standard output. On
// failure the temporary file is removed, `path` is left as it was, and the
// result says what went wrong.
std::optional<std::string> write_file_atomically(std::string const& path, std::string const& content);

}  // namespace linegen_tool
