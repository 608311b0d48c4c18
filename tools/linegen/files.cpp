#include "files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linegen_tool {

namespace {

bool write_all(int fd, std::string const& content) {
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string error_text(char const* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::optional<std::string> write_file_atomically(std::string const& path, std::string const& content) {
  if (path == "-") {
    if (std::fwrite(content.data(), 1, content.size(), stdout) != content.size() || std::fflush(stdout) != 0)
      return error_text("cannot write to standard output");
    return std::nullopt;
  }
  // The temporary file lives in the same directory so that the rename stays
  // within one file system and is atomic.
  std::vector<char> name(path.begin(), path.end());
  const std::string suffix = ".tmp-XXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return error_text("cannot create a file there");
  const std::string temporary(name.data());

  // mkstemp makes the file private; give it the mode a new file would get.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0;
  std::string failure = ok ? "" : error_text("cannot set the file mode");
  if (ok && !(ok = write_all(fd, content))) failure = error_text("cannot write");
  if (ok && !(ok = ::fsync(fd) == 0)) failure = error_text("cannot write");
  if (::close(fd) != 0 && ok) ok = false, failure = error_text("cannot write");
  if (ok && !(ok = std::rename(temporary.c_str(), path.c_str()) == 0))
    failure = error_text("cannot replace the file");
  if (!ok) {
    ::unlink(temporary.c_str());
    return failure;
  }
  return std::nullopt;
}

FileText read_file(std::string const& path) {
  if (path == "-") {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (std::cin.bad()) return {std::nullopt, Fault{"", "cannot read standard input"}};
    return {std::move(text), std::nullopt};
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    return {std::nullopt, Fault{"", "is a directory, not a job file"}};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {std::nullopt, Fault{"", std::string("cannot open: ") + std::strerror(errno)}};
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return {std::nullopt, Fault{"", "cannot read the file"}};
  return {text.str(), std::nullopt};
}

}  // namespace linegen_tool
