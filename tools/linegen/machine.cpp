#include "machine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

namespace linegen_tool {

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A "Name:   123 kB" line of a /proc file, in bytes.
std::optional<double> proc_kib(char const* file, std::string const& name) {
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(name + ":", 0) == 0) {
      std::istringstream words(line.substr(name.size() + 1));
      double kib = 0;
      if (words >> kib) return kib * 1024;
    }
  return std::nullopt;
}

}  // namespace

std::optional<double> memory_size(std::string const& text) {
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (...) {
    return std::nullopt;
  }
  std::string unit = text.substr(used);
  for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (unit.size() > 1 && (unit.substr(1) == "B" || unit.substr(1) == "IB")) unit = unit.substr(0, 1);
  const std::string units = "KMGT";
  double scale = 1;
  if (!unit.empty()) {
    const std::size_t at = unit.size() == 1 ? units.find(unit[0]) : std::string::npos;
    if (at == std::string::npos) return std::nullopt;
    scale = std::pow(1024.0, static_cast<double>(at + 1));
  }
  if (!(value > 0) || !std::isfinite(value * scale)) return std::nullopt;
  return value * scale;
}

std::optional<double> default_memory_budget() {
  const auto available = proc_kib("/proc/meminfo", "MemAvailable");
  if (!available) return std::nullopt;
  return 0.75 * *available;
}

std::string memory_text(double bytes) {
  char text[32];
  char const* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  int k = 0;
  while (bytes >= 1024 && k < 4) bytes /= 1024, ++k;
  std::snprintf(text, sizeof text, k == 0 ? "%.0f %s" : "%.1f %s", bytes, units[k]);
  return text;
}

bool limit_address_space(double budget, unsigned int threads) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return false;  // the sanitizers map shadow memory as they go
#endif
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  return false;
#endif
#endif
  const auto mapped = proc_kib("/proc/self/status", "VmSize");
  if (!mapped) return false;
  // Each thread maps a stack and may map a malloc arena of its own.
  const double room = static_cast<double>(threads) * 80.0 * 1024 * 1024;
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0) return false;
  // Never beyond what the system can give: past that the kernel kills.
  const auto available = proc_kib("/proc/meminfo", "MemAvailable");
  const auto swap = proc_kib("/proc/meminfo", "SwapFree");
  if (available) budget = std::min(budget, *available + swap.value_or(0));
  const double wanted = *mapped + budget + room;
  if (limit.rlim_max != RLIM_INFINITY && wanted >= static_cast<double>(limit.rlim_max)) return false;
  limit.rlim_cur = static_cast<rlim_t>(wanted);
  return setrlimit(RLIMIT_AS, &limit) == 0;
}

bool stderr_is_terminal() { return isatty(STDERR_FILENO) == 1; }

Progress::Progress(std::ostream& err) : err_(err), start_(now()) {}

void Progress::operator()(std::size_t done, std::size_t total, std::size_t elements) {
  const double t = now();
  if (t - start_ < 1.0 || t - last_ < 0.2) return;
  last_ = t, shown_ = true;
  err_ << "\rlinegen: " << done << " of " << total << " curves meshed, " << elements << " elements\x1b[K"
       << std::flush;
}

void Progress::finish() {
  if (shown_) err_ << "\r\x1b[K" << std::flush;
  shown_ = false;
}

}  // namespace linegen_tool
