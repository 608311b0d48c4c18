// What the command line asks of the machine: a memory budget it runs under,
// the threads it meshes on, progress on a terminal.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace linegen_tool {

// Bytes a mesh element costs the tool at its peak, all told: the library's
// working arrays, the node coordinates and sizes, the text of the output.
constexpr double bytes_per_element = 250;

// "512M", "2G", "1.5GiB", "100000" (bytes); nothing for anything else.
std::optional<double> memory_size(std::string const& text);
// The default budget: three quarters of the memory the system has available
// (MemAvailable), or nothing when it does not say.
std::optional<double> default_memory_budget();
// "1.5 GiB".
std::string memory_text(double bytes);
// Caps the process's address space at what it maps now plus `budget` (at
// most the memory and swap available, and room for `threads` thread stacks),
// so that allocations beyond fail instead of waking the kernel's
// out-of-memory killer. False when the system refuses.
bool limit_address_space(double budget, unsigned int threads);

// A progress line on `err` (a terminal) once meshing has run for a second:
// curves done of all, elements so far; rewritten in place, at most five
// times a second, and wiped by `finish`.
class Progress {
 public:
  explicit Progress(std::ostream& err);
  void operator()(std::size_t done, std::size_t total, std::size_t elements);
  void finish();

 private:
  std::ostream& err_;
  double start_, last_ = -1;
  bool shown_ = false;
};
bool stderr_is_terminal();

}  // namespace linegen_tool
